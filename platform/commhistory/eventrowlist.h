#ifndef COMMHISTORY_EVENTROWLIST_H
#define COMMHISTORY_EVENTROWLIST_H

#include "endtimeindex.h"
#include "eventrow.h"

#include <QVector>

namespace CommHistory {

/*
 * The rows of an event model, newest first, with a lookup of the row that holds an event id.
 *
 * Beside the rows it keeps the end time of every event they hold, by id. rowOf() takes the
 * event's end time from there and finds its row by binary search over the rows' order
 * (EventGrouper::isNewer), so a lookup costs O(log rows) however many rows are loaded, and each
 * change costs what it touches plus moving the rows after it. This is what lets a model apply
 * an announcement of many ids to many loaded rows without freezing its thread.
 *
 * Limits: the rows must stay in order (newest first, each row's calls newer than the next
 * row's) and an id may be held by one row only, as the models keep them.
 */
class EventRowList
{
public:
    int size() const { return m_rows.size(); }
    bool isEmpty() const { return m_rows.isEmpty(); }
    const EventRow &at(int row) const { return m_rows.at(row); }
    const EventRow &constLast() const { return m_rows.constLast(); }
    const QVector<EventRow> &rows() const { return m_rows; }

    // The row holding the event with this id, or -1.
    int rowOf(int id) const;

    void replace(int row, const EventRow &value);
    void insert(int pos, const EventRow *first, int count);
    void remove(int first, int count);
    void clear();
    // Gives back the memory that rows removed before held.
    void squeeze();

private:
    void index(const EventRow &row);
    void unindex(const EventRow &row);

    QVector<EventRow> m_rows;
    EndTimeIndex m_endTimes;
};

} // namespace CommHistory

#endif
