#pragma once

#include "callhistorycontact.h"

#include <QObject>
#include <QPointer>
#include <QString>

class CallHistoryCache;

// The costly parts of one call history row, prepared ahead by CallHistoryCache: the formatted
// start time and the contact details that need the address book (the kind of number the call
// used, the contact's presence on the call's account, how many numbers the contact has). The
// contact fields are valid once contactInfoSet is true.
//
// Always held through QSharedPointer; a row keeps its item for as long as it shows the event,
// even when the cache drops it.
class CallHistoryCacheItem : public QObject
{
    Q_OBJECT
public:
    CallHistoryCacheItem(int eventId, CallHistoryCache *cache);

    QString text;
    int eventId;
    CallHistoryContact::NumberType numberType = CallHistoryContact::NumberTypeNone;
    CallHistoryContact::PresenceCode presence = CallHistoryContact::PresenceNone;
    int numberCount = 0;
    bool contactInfoSet = false;

public Q_SLOTS:
    // The contact record (the sender) was resolved or changed.
    void onContactUpdated();

private:
    QPointer<CallHistoryCache> m_cache;
};
