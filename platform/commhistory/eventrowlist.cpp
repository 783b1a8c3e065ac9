#include "eventrowlist.h"

#include <algorithm>

namespace CommHistory {

int EventRowList::rowOf(int id) const
{
    qint64 end = 0;
    if (!m_endTimes.find(id, &end))
        return -1;
    // The first row whose oldest call is not newer than the event (order of EventGrouper).
    const auto it = std::partition_point(
        m_rows.constBegin(), m_rows.constEnd(), [end, id](const EventRow &row) {
            const Event &oldest = row.oldest();
            return oldest.endTimeT() > end || (oldest.endTimeT() == end && oldest.id() > id);
        });
    const int row = int(it - m_rows.constBegin());
    if (row < m_rows.size() && m_rows.at(row).contains(id))
        return row;
    // Rows out of order would be a fault of the model: still answer right, if slowly.
    for (int r = 0; r < m_rows.size(); ++r)
        if (m_rows.at(r).contains(id))
            return r;
    return -1;
}

void EventRowList::index(const EventRow &row)
{
    for (int i = 0; i < row.size(); ++i)
        m_endTimes.insert(row.member(i).id(), row.member(i).endTimeT());
}

void EventRowList::unindex(const EventRow &row)
{
    for (int i = 0; i < row.size(); ++i)
        m_endTimes.remove(row.member(i).id());
}

void EventRowList::replace(int row, const EventRow &value)
{
    unindex(m_rows.at(row));
    m_rows[row] = value;
    index(value);
}

void EventRowList::insert(int pos, const EventRow *first, int count)
{
    if (count <= 0)
        return;
    m_rows.insert(pos, count, EventRow());
    for (int i = 0; i < count; ++i) {
        m_rows[pos + i] = first[i];
        index(first[i]);
    }
}

void EventRowList::remove(int first, int count)
{
    if (count <= 0)
        return;
    for (int r = first; r < first + count; ++r)
        unindex(m_rows.at(r));
    m_rows.erase(m_rows.begin() + first, m_rows.begin() + first + count);
}

void EventRowList::clear()
{
    m_rows.clear();
    m_endTimes.clear();
    squeeze();
}

void EventRowList::squeeze()
{
    m_rows.squeeze();
    m_endTimes.squeeze();
}

} // namespace CommHistory
