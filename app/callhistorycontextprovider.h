#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include "contextservice.h"

namespace ContextProvider {
class Property;
}

// Publishes "CallHistory.Inbox" (service "com.velto.CallHistory.Context"): true while the user
// is on the call history page. A value left from an earlier run is cleared at construction.
//
// A page switch sets the value, and what the screen shows need not wait for the bus: changes
// are published once the window on the screen has painted its next frame (the switch), or in
// the next turn of the event loop when no window is on the screen, and at the latest after
// PaintWaitMs should no frame come. All of them are published, in the order made (a change and
// its undoing within one turn are both announced); those still waiting when the provider goes
// are published then.
class CallHistoryContextProvider : public QObject
{
    Q_OBJECT
public:
    static constexpr int PaintWaitMs = 100;

    static CallHistoryContextProvider *instance();
    ~CallHistoryContextProvider() override;
    void setInbox(bool on);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit CallHistoryContextProvider(QObject *parent);
    void publish();
    void stopWatchingPaints();

    ContextProvider::Property *m_inbox;
    ContextProvider::Service m_service;
    // The last value asked for; an unset property reads as false.
    bool m_wanted = false;
    QList<bool> m_pending;
    bool m_scheduled = false;
    // The window area whose next paint the changes wait for.
    QPointer<QWidget> m_painted;
    QTimer m_paintWait;
};
