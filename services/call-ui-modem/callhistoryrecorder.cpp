#include "callhistoryrecorder.h"

#include "eventfilter.h"
#include "eventstore.h"

CallHistoryRecorder::CallHistoryRecorder(CommHistory::EventStore *store) : m_store(store) {}

CommHistory::Event CallHistoryRecorder::eventFor(const CallRecord &call, qint64 endedMs)
{
    CommHistory::Event e;
    e.setType(CommHistory::Event::CallEvent);
    const bool incoming = call.direction != CallRecord::Outgoing;
    const bool answered = call.answeredMs > 0;
    e.setDirection(incoming ? CommHistory::Event::Inbound : CommHistory::Event::Outbound);
    e.setLocalUid(call.accountPath);
    e.setRemoteUid(call.number);
    const qint64 start = answered ? call.answeredMs : call.startedMs;
    const qint64 end = answered ? qMax(endedMs, start) : start;
    e.setStartTimeT(start / 1000);
    e.setEndTimeT(end / 1000);
    e.setIsMissedCall(incoming && !answered);
    e.setIsRead(!(incoming && !answered));
    e.setIsEmergencyCall(call.emergency);
    return e;
}

bool CallHistoryRecorder::isStored(const CommHistory::Event &event, bool *stored)
{
    const CommHistory::EventFilter filter(CommHistory::EventFilter::kindOf(event),
                                          event.startTime());
    CommHistory::Event after;
    *stored = false;
    for (;;) {
        QList<CommHistory::Event> page;
        if (!m_store->events(filter, after, 200, &page))
            return false;
        for (const CommHistory::Event &e : qAsConst(page)) {
            if (e.startTimeT() == event.startTimeT() && e.direction() == event.direction() &&
                e.localUid() == event.localUid() && e.remoteUid() == event.remoteUid()) {
                *stored = true;
                return true;
            }
        }
        if (page.size() < 200)
            return true;
        after = page.last();
    }
}

bool CallHistoryRecorder::record(const CallRecord &call, qint64 endedMs, QString *error)
{
    CommHistory::Event event = eventFor(call, endedMs);
    bool stored = false;
    if ((!m_store->isOpen() && !m_store->open()) || (call.writing && !isStored(event, &stored)) ||
        (!stored && !m_store->addEvent(event))) {
        *error = m_store->errorString();
        return false;
    }
    return true;
}
