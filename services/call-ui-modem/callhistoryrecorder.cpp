#include "callhistoryrecorder.h"

#include "eventstore.h"
#include "modemcalls.h"

CallHistoryRecorder::CallHistoryRecorder(CommHistory::EventStore *store) : m_store(store) {}

CommHistory::Event CallHistoryRecorder::eventFor(const CallRecord &call, qint64 endedMs)
{
    CommHistory::Event e;
    e.setType(CommHistory::Event::CallEvent);
    const bool incoming = call.direction != CallRecord::Outgoing;
    const bool answered = call.answeredMs > 0;
    e.setDirection(incoming ? CommHistory::Event::Inbound : CommHistory::Event::Outbound);
    e.setLocalUid(call.accountPath);
    // Never a number the store would refuse, whatever the journal held: such a call is kept
    // as one from a withheld number rather than lost.
    e.setRemoteUid(ModemCalls::checkedNumber(call.number));
    const qint64 start = answered ? call.answeredMs : call.startedMs;
    const qint64 end = answered ? qMax(endedMs, start) : start;
    e.setStartTimeT(start / 1000);
    e.setEndTimeT(end / 1000);
    e.setIsMissedCall(incoming && !answered);
    // A call the person declined was seen: missed, but read. A blocked call is kept, read, so
    // that nothing calls for attention.
    e.setIsRead(!(incoming && !answered) || call.declined || call.blocked);
    e.setIsBlocked(call.blocked);
    e.setIsEmergencyCall(call.emergency);
    return e;
}

bool CallHistoryRecorder::record(const CallRecord &call, qint64 endedMs, QString *error)
{
    QList<CommHistory::Event> events{eventFor(call, endedMs)};
    // A call whose write may have happened already is added only if the store has no such call.
    if ((!m_store->isOpen() && !m_store->open()) ||
        !(call.writing ? m_store->addNewEvents(events) : m_store->addEvent(events.first()))) {
        *error = m_store->errorString();
        return false;
    }
    return true;
}
