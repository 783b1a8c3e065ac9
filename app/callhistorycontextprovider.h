#pragma once

#include <QObject>

#include "contextservice.h"

namespace ContextProvider {
class Property;
}

// Publishes "CallHistory.Inbox" (service "com.velto.CallHistory.Context"): true while the user
// is on the call history page. A value left from an earlier run is cleared at construction.
class CallHistoryContextProvider : public QObject
{
    Q_OBJECT
public:
    static CallHistoryContextProvider *instance();
    void setInbox(bool on);

private:
    explicit CallHistoryContextProvider(QObject *parent);

    ContextProvider::Property *m_inbox;
    ContextProvider::Service m_service;
};
