#include "eventworker.h"

#include "eventgrouper.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace CommHistory {

EventWorker::EventWorker(const QString &databasePath) : m_store(databasePath)
{
    qRegisterMetaType<QVector<CommHistory::EventRow>>("QVector<CommHistory::EventRow>");
}

void EventWorker::setContactResolver(const std::shared_ptr<ContactResolver> &resolver)
{
    m_resolver = resolver;
}

void EventWorker::resolve(QList<Event> &events)
{
    if (!m_resolver)
        return;
    for (Event &e : events)
        e.setContacts(m_resolver->contactsFor(e.localUid(), e.remoteUid()));
}

void EventWorker::fetch(int generation, const EventFilter &filter, const Event &after, int rows,
                        bool collapse)
{
    rows = qMax(rows, 1);
    QList<Event> out;
    bool atEnd = false;
    bool full = false;
    Event cursor = after;
    int groups = 0;
    // Read one event past the last row: it tells whether more exist and, when collapsing,
    // where the last row ends.
    const int batch = collapse ? rows + rows / 4 + 2 : rows + 1;
    while (!atEnd && !full) {
        QList<Event> read;
        if (!m_store.events(filter, cursor, batch, &read)) {
            Q_EMIT fetchFailed(generation, m_store.errorString());
            return;
        }
        atEnd = read.size() < batch;
        for (const Event &e : qAsConst(read)) {
            if (out.isEmpty() || !collapse || !EventGrouper::sameGroup(out.constLast(), e)) {
                if (groups == rows) {
                    full = true;
                    break;
                }
                ++groups;
            }
            out.append(e);
        }
        if (!read.isEmpty())
            cursor = read.constLast();
    }
    // The events are held by `out` alone now, so resolving their contacts changes each in
    // place instead of copying it.
    cursor = Event();
    resolve(out);
    Q_EMIT fetched(generation, EventGrouper::group(out.toVector(), collapse), !full);
}

void EventWorker::reread(int generation, int reason, const EventFilter &filter,
                         const QList<int> &ids)
{
    QList<Event> found;
    const bool ok = m_store.eventsById(ids, &found);
    QList<Event> matching;
    for (const Event &e : qAsConst(found))
        if (filter.matches(e))
            matching.append(e);
    found.clear(); // resolved in place, not copied
    resolve(matching);
    Q_EMIT rereadDone(generation, reason, ids, matching, ok);
}

void EventWorker::write(int operation, const QList<Event> &events, const QList<int> &ids)
{
    QList<Event> done = events;
    bool ok = false;
    switch (operation) {
    case Add:
        ok = m_store.addEvents(done);
        break;
    case Modify:
        ok = m_store.modifyEvents(done);
        break;
    case Delete:
        ok = m_store.deleteEvents(ids);
        break;
    case DeleteAll:
        ok = m_store.deleteAll();
        break;
    }
    Q_EMIT written(operation, ok, done, ids, ok ? QString() : m_store.errorString());
}

void EventWorker::releaseMemory()
{
    m_store.releaseMemory();
#ifdef __GLIBC__
    // The rows let go of were read in this thread, and may be freed only now: the pages they
    // leave free go back when asked, after they are free.
    malloc_trim(0);
#endif
}

} // namespace CommHistory
