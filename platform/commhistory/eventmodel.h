#ifndef COMMHISTORY_EVENTMODEL_H
#define COMMHISTORY_EVENTMODEL_H

#include "contactresolver.h"
#include "event.h"
#include "eventfilter.h"
#include "eventrowlist.h"

#include <QAbstractListModel>
#include <QPointer>
#include <QThread>
#include <memory>

namespace CommHistory {

class EventWorker;

/*
 * A list model of stored events, newest first, loaded in the background (see CallModel for the
 * filter and the meaning of its numbers).
 *
 * Loading. getEvents() starts a load; the queries run in the background thread given with
 * setBackgroundThread() (without one the model starts a thread of its own), so no call of the
 * model waits for the database. Rows arrive as ordinary rowsInserted() signals in the GUI
 * thread: first firstChunkSize() rows, then chunks of chunkSize() rows, and modelReady(true)
 * once loading stops: when the last row of the result is in the model, or (mode 0) at the load
 * limit; in mode 1 only at the end of the result. A later fetchMore() or fetchAll() that reaches
 * the end emits it again. When the database cannot be used (see
 * EventStore for the cases) the model shows no rows, lastError() tells why and modelReady(false)
 * is emitted. A later getEvents() tries again.
 *
 * How far the model loads on its own is set by two of its settings:
 *  - setting A, the query mode (setQueryMode): 0 (AutoLoad, the default) keeps loading chunks
 *    until the load limit; 1 (OnDemand) loads only the first chunk, and one chunk more for
 *    every fetchMore().
 *  - setting B, the load limit (setLoadLimit): in mode 0, the number of rows after which the
 *    model stops loading on its own; 0 (the default) means no limit.
 * Beyond that the model loads a chunk more on each fetchMore() (canFetchMore() is true while
 * stored rows remain), as views do when the list nears its end, and everything with fetchAll(),
 * which a search over the whole history needs. canFetchMore() and fetchMore() answer for a row
 * of the model as for the root, so that a reader paging through the rows may ask with the last
 * row it read; a fetchMore() made while a chunk's rows go in (from rowsInserted()) loads one
 * chunk more after them, one made while a chunk is on its way is answered by that chunk.
 * Memory grows with the rows loaded, by about the size of the event's texts plus a fixed part
 * per event (see the store benchmark).
 *
 * Changes. Every write, by this model, another model or another process, is announced
 * (CommitNotifier); every model re-reads the changed events in its thread, inserts, updates or
 * removes its rows and emits eventsCommitted(events, true). Writes of this model that fail emit
 * eventsCommitted(events, false). Changes affecting more than CommitNotifier::MaxIds events,
 * deleting everything and imports make the model load again: all rows are removed (one
 * rowsRemoved()) and loaded anew. Rows are found by id through a lookup kept with them
 * (EventRowList), so applying a change costs about the same however many rows are loaded. Events
 * older than the loaded rows are not inserted while more rows can be fetched: they come with a
 * later chunk.
 *
 * Writes (addEvent, modifyEvent, deleteEvent, deleteAll) run in the background thread as one
 * transaction each and return at once: true when the request was made. deleteEvent() removes
 * the row at once (and puts it back if the write fails).
 *
 * Data: Qt::UserRole gives the row's Event (a QVariant of the metatype "CommHistory::Event"),
 * Qt::DisplayRole its remote identifier.
 *
 * Settings are read when loading starts; the database path and the thread must be set before
 * the first getEvents() or write.
 */
class EventModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum QueryMode { AutoLoad = 0, OnDemand = 1 };

    explicit EventModel(QObject *parent = nullptr);
    ~EventModel() override;

    void setBackgroundThread(QThread *thread);
    QThread *backgroundThread() const;
    void setFirstChunkSize(uint size);
    uint firstChunkSize() const { return m_firstChunkSize; }
    // Whether refreshContacts() re-resolves the rows' contacts (default true).
    void enableContactChanges(bool enabled);
    bool contactChangesEnabled() const { return m_contactChanges; }
    // The database; default EventStore::defaultPath().
    void setDatabasePath(const QString &path);
    QString databasePath() const;
    void setContactResolver(const std::shared_ptr<ContactResolver> &resolver);

    int queryMode() const { return m_queryMode; }
    uint chunkSize() const { return m_chunkSize; }
    int loadLimit() const { return m_loadLimit; }

    virtual bool getEvents();
    // Whether getEvents() was called: the model loads, and loads again when its query changes.
    bool isStarted() const { return m_started; }

    // The event of a row, or an invalid event for an index that is not a row of this model.
    Event event(const QModelIndex &index) const;
    // The index of the row showing the event with this id (also when the row collapses several
    // calls and id is one of the older ones), or an invalid index.
    virtual QModelIndex findEvent(int id) const;
    virtual bool addEvent(Event &event);
    // Stores the event; on a collapsed row its read flag goes to every call of the row.
    virtual bool modifyEvent(Event &event);
    // Deletes the event, and on a collapsed row every call of the row.
    virtual bool deleteEvent(int id);

    // Lets go of the rows after the first `rows` and of the memory they held, as after a long
    // scroll or a search over the whole history, and has the store let go of what it kept for
    // reading them (EventStore::releaseMemory(), in the background thread); they are read
    // again when a view asks for more (canFetchMore() is true again). Nothing happens while a chunk
    // is on its way, for `rows` below 1, or when no more rows are loaded. Returns whether rows went
    // (one rowsRemoved()). The rows kept are copied into memory of their own, so that the pages
    // the others were read into can go back to the system.
    bool unloadRowsAfter(int rows);

    // Whether the current load stopped (see modelReady()).
    bool isReady() const { return m_ready; }
    // Makes the running background request of this model, and every later one, fail at once,
    // writes included: for a shutdown that cannot wait any longer. Deleting the model drops
    // only its reads; its writes still run in the background thread.
    void interrupt();
    bool hasError() const { return !m_error.isEmpty(); }
    QString lastError() const { return m_error; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

public Q_SLOTS:
    // Setting A.
    virtual void setQueryMode(int mode);
    // The size of the chunks after the first.
    virtual void setChunkSize(uint size);
    // Setting B.
    virtual void setLoadLimit(int rows);
    // Loads every remaining row of the result in the background, in chunks of at least 1000.
    void fetchAll();
    // Resolves the contacts of the loaded rows again, when contact changes are enabled. For
    // the owner of the resolver to call when the address book changed.
    void refreshContacts();

Q_SIGNALS:
    void modelReady(bool successful);
    void eventsCommitted(const QList<CommHistory::Event> &events, bool successful);

protected:
    // Sets what the model loads; reloads when loading had started.
    void setQuery(const EventFilter &filter, bool collapse);
    bool deleteAllEvents();

private Q_SLOTS:
    void onFetched(int generation, const QVector<CommHistory::EventRow> &rows, bool atEnd);
    void onFetchFailed(int generation, const QString &error);
    void onReread(int generation, int reason, const QList<int> &ids,
                  const QList<CommHistory::Event> &events, bool ok);
    void onWritten(int operation, bool ok, const QList<CommHistory::Event> &events,
                   const QList<int> &ids, const QString &error);
    void onCommitted(const QString &databasePath, int operation, const QList<int> &ids);

private:
    void renewRows();
    enum RereadReason { CommitReason, ContactsReason, RestoreReason };

    EventWorker *worker();
    void reload();
    void requestChunk(int rows);
    void requestReread(int reason, const QList<int> &ids);
    void requestWrite(int operation, const QList<Event> &events, const QList<int> &ids);
    int rowOf(int id) const;
    Event loadedEvent(int id) const;
    bool updateInPlace(const Event &event, QVector<int> *changedRows);
    void announceChangedRows(QVector<int> *changedRows);
    void upsert(const Event &event);
    void remove(int id);
    void removeRow(int row);
    void regroup(int first, int last, QVector<Event> flat);
    void replaceRows(int first, int last, const QVector<EventRow> &rows);
    void clearRows();

    EventRowList m_rows;
    // Rows this model took out at once, until their deletion is committed.
    QHash<int, Event> m_deleting;
    EventFilter m_filter;
    bool m_collapse = false;
    EventWorker *m_worker = nullptr;
    QPointer<QThread> m_thread;
    QThread *m_ownThread = nullptr;
    QString m_databasePath;
    std::shared_ptr<ContactResolver> m_resolver;
    uint m_firstChunkSize = 25;
    uint m_chunkSize = 50;
    int m_queryMode = AutoLoad;
    int m_loadLimit = 0;
    int m_generation = 0;
    bool m_contactChanges = true;
    bool m_started = false;
    bool m_fetching = false;
    // Rows of a chunk are going in; a request for more came meanwhile.
    bool m_delivering = false;
    bool m_moreWanted = false;
    bool m_atEnd = false;
    bool m_loadAll = false;
    bool m_ready = false;
    QString m_error;
};

} // namespace CommHistory

#endif
