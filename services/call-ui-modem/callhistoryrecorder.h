#pragma once

#include "callrecord.h"

#include "event.h"

namespace CommHistory {
class EventStore;
}

// Writes the calls of the modem call-UI service into the call history store, each once.
//
// A call becomes one event: dialled (outgoing), received (incoming and answered) or missed
// (incoming, never answered; left unread, unless the person declined it, or it was blocked: then
// read, and a blocked one marked blocked). An answered call runs from its answer to its end; a
// call never answered starts and ends when it began to ring or dial, so that its duration is 0.
// The remote id is the number as the network gave it (empty for a withheld number, and for one
// ModemCalls::checkedNumber() does not take, so that the store never refuses a call for it), the
// local id the cellular account's path.
//
// Once: for a call whose write may have happened already (CallRecord::writing: a service killed
// between writing a call and noting that it did), the event is added only if the store has none
// with the same direction, account, number and start second (EventStore::addNewEvents).
// Other calls are written without a search, so two calls from one number within a second stay
// two calls.
class CallHistoryRecorder
{
public:
    explicit CallHistoryRecorder(CommHistory::EventStore *store);

    static CommHistory::Event eventFor(const CallRecord &call, qint64 endedMs);
    // False with the store's reason when it could not be read or written.
    bool record(const CallRecord &call, qint64 endedMs, QString *error);

private:
    CommHistory::EventStore *m_store;
};
