#include "endtimeindex.h"

namespace CommHistory {

static const int MinCapacity = 16;

int EndTimeIndex::capacityFor(int entries)
{
    // The smallest power of two that holds the entries at most 70 % full.
    int capacity = MinCapacity;
    while (entries * 10 > capacity * 7)
        capacity *= 2;
    return capacity;
}

int EndTimeIndex::home(int id) const
{
    // Fibonacci hashing: the high bits of the product, so that ids in any regular steps spread
    // over the table.
    return int((quint32(id) * 2654435769u) >> m_shift);
}

int EndTimeIndex::slotOf(int id) const
{
    if (m_slots.empty())
        return -1;
    const int mask = int(m_slots.size()) - 1;
    for (int i = home(id);; i = (i + 1) & mask) {
        const Slot &slot = m_slots[size_t(i)];
        if (!slot.used)
            return -1;
        if (slot.id == id)
            return i;
    }
}

bool EndTimeIndex::find(int id, qint64 *end) const
{
    const int i = slotOf(id);
    if (i < 0)
        return false;
    *end = m_slots[size_t(i)].end;
    return true;
}

void EndTimeIndex::insert(int id, qint64 end)
{
    if (m_slots.empty() || (m_size + 1) * 10 > int(m_slots.size()) * 7)
        rehash(capacityFor(m_size + 1));
    const int mask = int(m_slots.size()) - 1;
    int i = home(id);
    while (m_slots[size_t(i)].used && m_slots[size_t(i)].id != id)
        i = (i + 1) & mask;
    Slot &slot = m_slots[size_t(i)];
    if (!slot.used)
        ++m_size;
    slot.used = true;
    slot.id = id;
    slot.end = end;
}

void EndTimeIndex::remove(int id)
{
    int hole = slotOf(id);
    if (hole < 0)
        return;
    // Backward shift: the entries after the hole that could live in it move up, so that a
    // search never stops early at an empty slot.
    const int mask = int(m_slots.size()) - 1;
    for (int i = (hole + 1) & mask; m_slots[size_t(i)].used; i = (i + 1) & mask) {
        const int want = home(m_slots[size_t(i)].id);
        // Whether `want` lies cyclically in (hole, i]: then the entry stays.
        const bool stays = hole <= i ? (hole < want && want <= i) : (hole < want || want <= i);
        if (!stays) {
            m_slots[size_t(hole)] = m_slots[size_t(i)];
            hole = i;
        }
    }
    m_slots[size_t(hole)] = Slot();
    --m_size;
    if (int(m_slots.size()) > MinCapacity && m_size * 8 < int(m_slots.size()))
        squeeze();
}

void EndTimeIndex::clear()
{
    std::vector<Slot>().swap(m_slots);
    m_size = 0;
}

void EndTimeIndex::squeeze()
{
    if (m_size == 0) {
        clear();
        return;
    }
    const int capacity = capacityFor(m_size);
    if (capacity != int(m_slots.size()))
        rehash(capacity);
}

void EndTimeIndex::rehash(int capacity)
{
    std::vector<Slot> old;
    old.swap(m_slots);
    m_slots.resize(size_t(capacity));
    m_shift = 32;
    for (int c = capacity; c > 1; c /= 2)
        --m_shift;
    m_size = 0;
    for (const Slot &slot : old) {
        if (slot.used)
            insert(slot.id, slot.end);
    }
}

} // namespace CommHistory
