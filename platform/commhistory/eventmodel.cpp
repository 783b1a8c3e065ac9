#include "eventmodel.h"

#include "commitnotifier.h"
#include "eventgrouper.h"
#include "eventstore.h"
#include "eventworker.h"

#include <QFileInfo>
#include <algorithm>

namespace CommHistory {

// fetchAll() reads in larger chunks: the rows are wanted as a whole (for a search), not screen
// by screen, and fewer, larger insertions cost views and proxies less.
static const int LoadAllChunk = 1000;

EventModel::EventModel(QObject *parent) : QAbstractListModel(parent)
{
    connect(CommitNotifier::instance(), &CommitNotifier::committed, this, &EventModel::onCommitted);
}

EventModel::~EventModel()
{
    if (m_worker) {
        disconnect(m_worker, nullptr, this, nullptr);
        // The thread may be gone already (its owner deletes it before its children).
        QThread *thread = m_ownThread ? m_ownThread : m_thread.data();
        if (thread && thread->isRunning() && thread != QThread::currentThread()) {
            // Queries of a model that is gone are of no use; its writes were asked for and
            // still run, before the worker goes.
            m_worker->interruptReads();
            m_worker->deleteLater();
        } else {
            m_worker->interrupt();
            delete m_worker;
        }
    }
    if (m_ownThread) {
        m_ownThread->quit();
        m_ownThread->wait();
        delete m_ownThread;
    }
}

void EventModel::interrupt()
{
    if (m_worker)
        m_worker->interrupt();
}

void EventModel::setBackgroundThread(QThread *thread)
{
    m_thread = thread;
}

QThread *EventModel::backgroundThread() const
{
    return m_worker ? m_worker->thread() : m_thread.data();
}

void EventModel::setFirstChunkSize(uint size)
{
    m_firstChunkSize = size;
}

void EventModel::enableContactChanges(bool enabled)
{
    m_contactChanges = enabled;
}

void EventModel::setDatabasePath(const QString &path)
{
    m_databasePath = path;
}

QString EventModel::databasePath() const
{
    return QFileInfo(m_databasePath.isEmpty() ? EventStore::defaultPath() : m_databasePath)
        .absoluteFilePath();
}

void EventModel::setContactResolver(const std::shared_ptr<ContactResolver> &resolver)
{
    m_resolver = resolver;
    if (m_worker) {
        EventWorker *w = m_worker;
        QMetaObject::invokeMethod(
            w, [w, resolver]() { w->setContactResolver(resolver); }, Qt::QueuedConnection);
    }
}

void EventModel::setQueryMode(int mode)
{
    m_queryMode = mode == OnDemand ? OnDemand : AutoLoad;
}

void EventModel::setChunkSize(uint size)
{
    m_chunkSize = size;
}

void EventModel::setLoadLimit(int rows)
{
    m_loadLimit = qMax(rows, 0);
}

EventWorker *EventModel::worker()
{
    if (m_worker)
        return m_worker;
    QThread *thread = m_thread.data();
    if (!thread) {
        m_ownThread = new QThread;
        m_ownThread->start();
        thread = m_ownThread;
    }
    m_worker = new EventWorker(databasePath());
    m_worker->setContactResolver(m_resolver);
    m_worker->moveToThread(thread);
    connect(m_worker, &EventWorker::fetched, this, &EventModel::onFetched);
    connect(m_worker, &EventWorker::fetchFailed, this, &EventModel::onFetchFailed);
    connect(m_worker, &EventWorker::rereadDone, this, &EventModel::onReread);
    connect(m_worker, &EventWorker::written, this, &EventModel::onWritten);
    return m_worker;
}

bool EventModel::getEvents()
{
    m_started = true;
    reload();
    return true;
}

void EventModel::setQuery(const EventFilter &filter, bool collapse)
{
    m_filter = filter;
    m_collapse = collapse;
    if (m_started)
        reload();
}

void EventModel::reload()
{
    ++m_generation;
    m_error.clear();
    m_atEnd = false;
    m_ready = false;
    m_loadAll = false;
    m_moreWanted = false;
    m_deleting.clear();
    // Views asking for more while the old rows go must not start a load of their own.
    m_fetching = true;
    clearRows();
    requestChunk(int(m_firstChunkSize ? m_firstChunkSize : m_chunkSize));
}

void EventModel::clearRows()
{
    if (m_rows.isEmpty())
        return;
    beginRemoveRows(QModelIndex(), 0, m_rows.size() - 1);
    m_rows.clear();
    endRemoveRows();
}

void EventModel::requestChunk(int rows)
{
    EventWorker *w = worker();
    m_fetching = true;
    const int generation = m_generation;
    const EventFilter filter = m_filter;
    const Event after = m_rows.isEmpty() ? Event() : m_rows.constLast().oldest();
    const bool collapse = m_collapse;
    rows = qMax(rows, 1);
    QMetaObject::invokeMethod(
        w, [=]() { w->fetch(generation, filter, after, rows, collapse); }, Qt::QueuedConnection);
}

void EventModel::requestReread(int reason, const QList<int> &ids)
{
    EventWorker *w = worker();
    const int generation = m_generation;
    const EventFilter filter = m_filter;
    QMetaObject::invokeMethod(
        w, [=]() { w->reread(generation, reason, filter, ids); }, Qt::QueuedConnection);
}

void EventModel::requestWrite(int operation, const QList<Event> &events, const QList<int> &ids)
{
    EventWorker *w = worker();
    QMetaObject::invokeMethod(
        w, [=]() { w->write(operation, events, ids); }, Qt::QueuedConnection);
}

void EventModel::onFetched(int generation, const QVector<EventRow> &rows, bool atEnd)
{
    if (generation != m_generation)
        return;
    // Readers that look at the new rows as they go in learn whether more can come.
    if (atEnd)
        m_atEnd = true;
    // Still fetching while the rows go in, so that a request for more made meanwhile is not
    // doubled; it is made once the rows are in (see fetchMore()).
    m_delivering = true;
    if (!rows.isEmpty()) {
        // The first new row may continue the last loaded one: then the two are one row.
        QVector<EventRow> incoming = rows;
        const int first = qMax(m_rows.size() - 1, 0);
        if (!m_rows.isEmpty()) {
            const EventRow &last = m_rows.constLast();
            const EventRow &next = incoming.constFirst();
            if (m_collapse && EventGrouper::sameGroup(last.oldest(), next.member(0))) {
                QVector<Event> flat;
                for (int i = 0; i < last.size(); ++i)
                    flat.append(last.member(i));
                for (int i = 0; i < next.size(); ++i)
                    flat.append(next.member(i));
                incoming.first() = EventGrouper::makeRow(flat);
            } else {
                incoming.prepend(last);
            }
        }
        replaceRows(first, m_rows.size(), incoming);
    }
    m_delivering = false;
    m_fetching = false;
    const bool wanted = m_moreWanted;
    m_moreWanted = false;
    if (atEnd) {
        m_loadAll = false;
        m_ready = true;
        Q_EMIT modelReady(true);
    } else if (m_loadAll) {
        requestChunk(qMax(int(m_chunkSize), LoadAllChunk));
    } else if (wanted ||
               (m_queryMode == AutoLoad && (m_loadLimit <= 0 || m_rows.size() < m_loadLimit))) {
        requestChunk(int(m_chunkSize));
    } else if (m_queryMode == AutoLoad && !m_ready) {
        // Loading stops at the load limit: that is the end of this load, though more rows can
        // be fetched. (In OnDemand mode each chunk waits for fetchMore(), and only the end of
        // the result is reported: a user of that mode takes modelReady() as "nothing more".)
        m_ready = true;
        Q_EMIT modelReady(true);
    }
}

void EventModel::onFetchFailed(int generation, const QString &error)
{
    if (generation != m_generation)
        return;
    m_fetching = false;
    m_atEnd = true;
    m_loadAll = false;
    m_error = error.isEmpty() ? QStringLiteral("the history cannot be read") : error;
    clearRows();
    Q_EMIT modelReady(false);
}

bool EventModel::unloadRowsAfter(int rows)
{
    // A chunk on its way continues the rows loaded when it was asked for.
    if (rows < 1 || m_rows.size() <= rows || m_fetching || !m_started)
        return false;
    beginRemoveRows(QModelIndex(), rows, m_rows.size() - 1);
    m_rows.remove(rows, m_rows.size() - rows);
    m_rows.squeeze();
    endRemoveRows();
    renewRows();
    if (m_worker) {
        EventWorker *w = m_worker;
        QMetaObject::invokeMethod(
            w, [w]() { w->releaseMemory(); }, Qt::QueuedConnection);
    }
    m_atEnd = false;
    m_loadAll = false;
    m_moreWanted = false;
    return true;
}

void EventModel::renewRows()
{
    // The rows kept were read at any time, often late (calls that arrived while the whole
    // history was loaded), their blocks scattered among those of the rows let go. Copied into
    // memory allocated now, they no longer keep those pages from going back to the system.
    // Nothing a view shows changes: no signal.
    QSet<QString> texts;
    for (int r = 0; r < m_rows.size(); ++r) {
        const EventRow &old = m_rows.at(r);
        EventRow row;
        row.shown = old.shown.renewed(&texts);
        for (const Event &e : old.members)
            row.members.append(e.renewed(&texts));
        m_rows.replace(r, row);
    }
}

bool EventModel::canFetchMore(const QModelIndex &parent) const
{
    // A row of this model stands for the list it is in: whoever pages through the rows may
    // ask with the last row it examined.
    const bool ours = !parent.isValid() ||
                      (parent.model() == this && parent.row() >= 0 && parent.row() < m_rows.size());
    return ours && m_started && !m_atEnd && m_error.isEmpty();
}

void EventModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent))
        return;
    if (!m_fetching)
        requestChunk(int(m_chunkSize));
    else if (m_delivering)
        m_moreWanted = true; // asked on seeing the rows that go in: after them, a chunk more
    // Otherwise the chunk on its way answers the request.
}

void EventModel::fetchAll()
{
    if (!canFetchMore(QModelIndex()))
        return;
    m_loadAll = true;
    if (!m_fetching)
        requestChunk(qMax(int(m_chunkSize), LoadAllChunk));
}

void EventModel::refreshContacts()
{
    if (!m_contactChanges || !m_resolver || m_rows.isEmpty())
        return;
    QList<int> ids;
    for (const EventRow &row : m_rows.rows())
        for (int i = 0; i < row.size(); ++i)
            ids.append(row.member(i).id());
    requestReread(ContactsReason, ids);
}

int EventModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.size();
}

QVariant EventModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.model() != this || index.row() >= m_rows.size())
        return QVariant();
    const Event &e = m_rows.at(index.row()).shown;
    switch (role) {
    case Qt::DisplayRole:
        return e.remoteUid();
    case Qt::UserRole:
        return QVariant::fromValue(e);
    default:
        return QVariant();
    }
}

Event EventModel::event(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this || index.row() < 0 ||
        index.row() >= m_rows.size())
        return Event();
    return m_rows.at(index.row()).shown;
}

int EventModel::rowOf(int id) const
{
    return m_rows.rowOf(id);
}

Event EventModel::loadedEvent(int id) const
{
    const int r = rowOf(id);
    if (r < 0)
        return Event();
    const EventRow &row = m_rows.at(r);
    for (int i = 0; i < row.size(); ++i)
        if (row.member(i).id() == id)
            return row.member(i);
    return Event();
}

QModelIndex EventModel::findEvent(int id) const
{
    const int r = rowOf(id);
    return r < 0 ? QModelIndex() : index(r, 0);
}

bool EventModel::addEvent(Event &event)
{
    requestWrite(EventWorker::Add, {event}, {});
    return true;
}

bool EventModel::modifyEvent(Event &event)
{
    if (!event.isValid())
        return false;
    QList<Event> events{event};
    const int r = rowOf(event.id());
    if (r >= 0) {
        const EventRow &row = m_rows.at(r);
        for (int i = 0; i < row.size(); ++i) {
            Event member = row.member(i);
            if (member.id() != event.id() && member.isRead() != event.isRead()) {
                member.setIsRead(event.isRead());
                events.append(member);
            }
        }
    }
    requestWrite(EventWorker::Modify, events, {});
    return true;
}

bool EventModel::deleteEvent(int id)
{
    if (id < 0)
        return false;
    QList<int> ids{id};
    const int r = rowOf(id);
    if (r >= 0) {
        ids.clear();
        const EventRow &row = m_rows.at(r);
        for (int i = 0; i < row.size(); ++i)
            ids.append(row.member(i).id());
        for (int member : qAsConst(ids))
            m_deleting.insert(member, loadedEvent(member));
        removeRow(r);
    }
    requestWrite(EventWorker::Delete, {}, ids);
    return true;
}

bool EventModel::deleteAllEvents()
{
    requestWrite(EventWorker::DeleteAll, {}, {});
    return true;
}

void EventModel::onWritten(int operation, bool ok, const QList<Event> &events,
                           const QList<int> &ids, const QString &)
{
    if (ok)
        return; // the announcement updates every model, this one included
    QList<Event> attempted = events;
    if (operation == EventWorker::Delete) {
        // The rows were taken out at once: put back what is still stored.
        requestReread(RestoreReason, ids);
        for (int id : ids) {
            Event e = m_deleting.take(id);
            if (!e.isValid())
                e.setId(id);
            attempted.append(e);
        }
    }
    Q_EMIT eventsCommitted(attempted, false);
}

void EventModel::onCommitted(const QString &path, int operation, const QList<int> &ids)
{
    // A model that never loaded nor wrote has nothing to bring up to date.
    if (!m_worker || path != m_worker->databasePath())
        return;
    // More ids than any announcement lists: cheaper and as right to load again.
    if (operation == CommitNotifier::Reset || ids.size() > CommitNotifier::MaxIds) {
        if (m_started)
            reload();
        Q_EMIT eventsCommitted(QList<Event>(), true);
        return;
    }
    requestReread(CommitReason, ids);
}

void EventModel::onReread(int generation, int reason, const QList<int> &ids,
                          const QList<Event> &events, bool ok)
{
    QList<Event> committed = events;
    if (m_started && generation == m_generation && ok) {
        QHash<int, Event> found;
        for (const Event &e : events)
            found.insert(e.id(), e);
        // Changes that leave an event in its place are applied together, with one
        // dataChanged() per run of changed rows; the others one by one.
        QVector<int> changedRows;
        for (int id : ids) {
            auto it = found.constFind(id);
            if (it != found.constEnd() && updateInPlace(*it, &changedRows))
                continue;
            announceChangedRows(&changedRows);
            if (it != found.constEnd()) {
                upsert(*it);
            } else {
                Event gone = loadedEvent(id);
                if (!gone.isValid())
                    gone = m_deleting.take(id);
                if (gone.isValid())
                    committed.append(gone);
                remove(id);
            }
        }
        announceChangedRows(&changedRows);
    }
    if (reason == CommitReason)
        Q_EMIT eventsCommitted(committed, true);
}

bool EventModel::updateInPlace(const Event &event, QVector<int> *changedRows)
{
    const int r = rowOf(event.id());
    if (r < 0)
        return false;
    const EventRow &row = m_rows.at(r);
    QVector<Event> members;
    for (int i = 0; i < row.size(); ++i)
        members.append(row.member(i));
    for (Event &member : members) {
        if (member.id() != event.id())
            continue;
        if (member.endTimeT() != event.endTimeT() || !EventGrouper::sameGroup(member, event))
            return false;
        if (member == event)
            return true;
        member = event;
    }
    m_rows.replace(r, EventGrouper::makeRow(members));
    changedRows->append(r);
    return true;
}

void EventModel::announceChangedRows(QVector<int> *changedRows)
{
    std::sort(changedRows->begin(), changedRows->end());
    changedRows->erase(std::unique(changedRows->begin(), changedRows->end()), changedRows->end());
    for (int i = 0; i < changedRows->size();) {
        int j = i;
        while (j + 1 < changedRows->size() && changedRows->at(j + 1) == changedRows->at(j) + 1)
            ++j;
        Q_EMIT dataChanged(index(changedRows->at(i), 0), index(changedRows->at(j), 0));
        i = j + 1;
    }
    changedRows->clear();
}

void EventModel::upsert(const Event &event)
{
    const int oldRow = rowOf(event.id());
    if (oldRow < 0) {
        // Older than everything loaded while more can be fetched: a later chunk brings it.
        const bool beyond =
            !m_rows.isEmpty() && EventGrouper::isNewer(m_rows.constLast().oldest(), event);
        if (!m_atEnd && (m_rows.isEmpty() || beyond))
            return;
    }
    // Rows before pos show newer events than this one.
    const QVector<EventRow> &rows = m_rows.rows();
    const auto it =
        std::partition_point(rows.constBegin(), rows.constEnd(), [&](const EventRow &row) {
            return EventGrouper::isNewer(row.shown, event);
        });
    const int pos = int(it - rows.constBegin());
    int first = pos - 1;
    int last = pos + 1;
    if (oldRow >= 0) {
        first = qMin(first, oldRow - 1);
        last = qMax(last, oldRow + 2);
    }
    first = qMax(first, 0);
    last = qMin(last, m_rows.size());
    QVector<Event> flat;
    for (int r = first; r < last; ++r) {
        const EventRow &row = m_rows.at(r);
        for (int i = 0; i < row.size(); ++i)
            if (row.member(i).id() != event.id())
                flat.append(row.member(i));
    }
    const auto at = std::partition_point(
        flat.begin(), flat.end(), [&](const Event &e) { return EventGrouper::isNewer(e, event); });
    flat.insert(at, event);
    regroup(first, last, flat);
}

void EventModel::remove(int id)
{
    const int r = rowOf(id);
    if (r < 0)
        return;
    if (m_rows.at(r).size() == 1) {
        removeRow(r);
        return;
    }
    // One call of several: the row stays and shows what is left.
    QVector<Event> flat;
    const EventRow &row = m_rows.at(r);
    for (int i = 0; i < row.size(); ++i)
        if (row.member(i).id() != id)
            flat.append(row.member(i));
    regroup(r, r + 1, flat);
}

void EventModel::removeRow(int r)
{
    // The row goes first, on its own; then the rows around it, now neighbours, may collapse.
    beginRemoveRows(QModelIndex(), r, r);
    m_rows.remove(r, 1);
    endRemoveRows();
    if (m_collapse && r > 0 && r < m_rows.size() &&
        EventGrouper::sameGroup(m_rows.at(r - 1).oldest(), m_rows.at(r).shown)) {
        QVector<Event> flat;
        for (int i = r - 1; i <= r; ++i)
            for (int j = 0; j < m_rows.at(i).size(); ++j)
                flat.append(m_rows.at(i).member(j));
        regroup(r - 1, r + 1, flat);
    }
}

void EventModel::regroup(int first, int last, QVector<Event> flat)
{
    replaceRows(first, last, EventGrouper::group(flat, m_collapse));
}

void EventModel::replaceRows(int first, int last, const QVector<EventRow> &rows)
{
    // Keep the rows that did not change, then turn the rest into as few signals as possible:
    // changed rows as dataChanged(), the difference in number as rowsRemoved()/rowsInserted().
    const int oldCount = last - first;
    int head = 0;
    while (head < oldCount && head < rows.size() &&
           m_rows.at(first + head).sameCalls(rows.at(head)))
        ++head;
    int tail = 0;
    while (tail < oldCount - head && tail < rows.size() - head &&
           m_rows.at(last - 1 - tail).sameCalls(rows.at(rows.size() - 1 - tail)))
        ++tail;
    const int start = first + head;
    const int removed = oldCount - head - tail;
    const int added = rows.size() - head - tail;
    const int common = qMin(removed, added);

    if (added < removed) {
        beginRemoveRows(QModelIndex(), start + common, start + removed - 1);
        m_rows.remove(start + common, removed - common);
        endRemoveRows();
    }
    for (int i = 0; i < common; ++i)
        m_rows.replace(start + i, rows.at(head + i));
    if (common > 0)
        Q_EMIT dataChanged(index(start, 0), index(start + common - 1, 0));
    if (added > removed) {
        beginInsertRows(QModelIndex(), start + common, start + added - 1);
        m_rows.insert(start + common, rows.constData() + head + common, added - common);
        endInsertRows();
    }
}

} // namespace CommHistory
