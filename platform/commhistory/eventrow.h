#ifndef COMMHISTORY_EVENTROW_H
#define COMMHISTORY_EVENTROW_H

#include "event.h"

#include <QMetaType>
#include <QVector>

namespace CommHistory {

/*
 * One row of an event model: the event it shows and, when it stands for several calls, all of
 * them, newest first. A row of one call keeps no member list (the shown event is the call).
 */
struct EventRow
{
    Event shown;
    QVector<Event> members;

    int size() const { return members.isEmpty() ? 1 : members.size(); }
    const Event &member(int i) const { return members.isEmpty() ? shown : members.at(i); }
    const Event &oldest() const { return members.isEmpty() ? shown : members.constLast(); }
    bool contains(int id) const;
    bool sameCalls(const EventRow &other) const;
};

inline bool EventRow::contains(int id) const
{
    if (members.isEmpty())
        return shown.id() == id;
    for (const Event &e : members)
        if (e.id() == id)
            return true;
    return false;
}

inline bool EventRow::sameCalls(const EventRow &other) const
{
    if (size() != other.size())
        return false;
    for (int i = 0; i < size(); ++i)
        if (member(i) != other.member(i))
            return false;
    return true;
}

} // namespace CommHistory

// Rows hold shared pointers only: moving them in memory is safe, and inserting a row among many
// then moves memory instead of copying every row after it.
Q_DECLARE_TYPEINFO(CommHistory::EventRow, Q_MOVABLE_TYPE);
// Rows made in the store's thread reach the model through queued signals.
Q_DECLARE_METATYPE(QVector<CommHistory::EventRow>)

#endif
