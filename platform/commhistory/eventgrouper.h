#ifndef COMMHISTORY_EVENTGROUPER_H
#define COMMHISTORY_EVENTGROUPER_H

#include "eventrow.h"

namespace CommHistory {

/*
 * The rules that order events and collapse repeated calls into one row, shared by the query
 * worker (which counts rows while it reads) and the models (which regroup after changes).
 *
 * Order: newest first by end time, then by id. Collapsing: consecutive calls with the same
 * remote identifier (compared exactly), the same account and the same kind (dialled, missed,
 * received) form one row showing the newest call, with eventCount() the number of calls and
 * isRead() true only when every call of the row is read.
 */
class EventGrouper
{
public:
    static bool isNewer(const Event &a, const Event &b);
    static bool sameGroup(const Event &a, const Event &b);
    // Rows of events that are already in order.
    static QVector<EventRow> group(const QVector<Event> &events, bool collapse);
    static EventRow makeRow(const QVector<Event> &members);
};

} // namespace CommHistory

#endif
