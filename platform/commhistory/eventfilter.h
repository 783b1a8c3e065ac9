#ifndef COMMHISTORY_EVENTFILTER_H
#define COMMHISTORY_EVENTFILTER_H

#include "event.h"

namespace CommHistory {

/*
 * Which stored calls a query returns: a call type (the numbers of CallModel::CallType: 0 all,
 * 1 dialled, 2 missed, 3 received) and an optional earliest end time. Used by the store to build
 * its SQL and by the models to decide whether a changed event belongs to them.
 *
 * The kind of a call follows how the call history shows it: dialled when outbound, missed when
 * inbound and missed, received otherwise (so a call of unknown direction counts as received).
 */
class EventFilter
{
public:
    enum CallKind { AnyKind = 0, Dialled = 1, Missed = 2, Received = 3 };

    EventFilter() = default;
    EventFilter(int callKind, const QDateTime &since);

    int callKind() const { return m_callKind; }
    // UTC seconds since the epoch of the earliest end time, or no limit.
    bool hasSince() const { return m_hasSince; }
    qint64 sinceT() const { return m_since; }

    bool matches(const Event &event) const;

    static int kindOf(const Event &event);

private:
    int m_callKind = AnyKind;
    bool m_hasSince = false;
    qint64 m_since = 0;
};

} // namespace CommHistory

Q_DECLARE_METATYPE(CommHistory::EventFilter)

#endif
