#ifndef COMMHISTORY_ENDTIMEINDEX_H
#define COMMHISTORY_ENDTIMEINDEX_H

#include <QtGlobal>
#include <vector>

namespace CommHistory {

/*
 * The end time of every event a model holds, by event id: a hash table kept in one block of
 * memory (open addressing, linear probing), not one allocation per event. A model that loaded
 * a hundred thousand rows and lets most of them go then hands back one block, instead of
 * leaving its few remaining entries scattered over pages of freed ones.
 *
 * The block grows when the table is more than 70 % full and shrinks when it is less than an
 * eighth full, so its size follows the number of events held. Any int is a valid id.
 */
class EndTimeIndex
{
public:
    int size() const { return m_size; }
    // The end time of the event, or false when the id is not held.
    bool find(int id, qint64 *end) const;
    // Sets the end time of the event, adding it when missing.
    void insert(int id, qint64 end);
    void remove(int id);
    void clear();
    // Room for the entries held now and not much more.
    void squeeze();
    // Slots of the block (for inspection).
    int capacity() const { return int(m_slots.size()); }

private:
    struct Slot
    {
        qint64 end = 0;
        int id = 0;
        bool used = false;
    };

    int slotOf(int id) const;
    int home(int id) const;
    void rehash(int capacity);
    static int capacityFor(int entries);

    std::vector<Slot> m_slots;
    int m_size = 0;
    // 32 minus the bits of the capacity.
    int m_shift = 32;
};

} // namespace CommHistory

#endif
