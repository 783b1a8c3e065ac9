#include "eventgrouper.h"

#include "eventfilter.h"

namespace CommHistory {

bool EventGrouper::isNewer(const Event &a, const Event &b)
{
    if (a.endTimeT() != b.endTimeT())
        return a.endTimeT() > b.endTimeT();
    return a.id() > b.id();
}

bool EventGrouper::sameGroup(const Event &a, const Event &b)
{
    return a.remoteUid() == b.remoteUid() && a.localUid() == b.localUid() &&
           EventFilter::kindOf(a) == EventFilter::kindOf(b);
}

EventRow EventGrouper::makeRow(const QVector<Event> &members)
{
    EventRow row;
    if (members.size() == 1) {
        row.shown = members.first();
        if (row.shown.eventCount() != 1)
            row.shown.setEventCount(1);
        return row;
    }
    row.members = members;
    row.shown = members.first();
    bool read = true;
    for (const Event &e : members)
        read = read && e.isRead();
    row.shown.setEventCount(members.size());
    row.shown.setIsRead(read);
    return row;
}

QVector<EventRow> EventGrouper::group(const QVector<Event> &events, bool collapse)
{
    QVector<EventRow> rows;
    rows.reserve(events.size());
    QVector<Event> members;
    for (const Event &e : events) {
        if (!members.isEmpty() && !(collapse && sameGroup(members.constLast(), e))) {
            rows.append(makeRow(members));
            members.clear();
        }
        members.append(e);
    }
    if (!members.isEmpty())
        rows.append(makeRow(members));
    return rows;
}

} // namespace CommHistory
