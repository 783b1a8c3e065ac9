#ifndef COMMHISTORY_EVENTSTORE_H
#define COMMHISTORY_EVENTSTORE_H

#include "event.h"
#include "eventfilter.h"

#include <QAtomicInt>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QString>
#include <functional>

struct sqlite3;
struct sqlite3_stmt;

namespace CommHistory {

/*
 * The call history database: one SQLite file, opened and used synchronously by the calling
 * thread. The models use it from their background thread; tools and services that record a call
 * use it directly:
 *
 *     CommHistory::EventStore store;             // the default database, see defaultPath()
 *     CommHistory::Event call;
 *     call.setType(CommHistory::Event::CallEvent);
 *     call.setDirection(CommHistory::Event::Outbound);
 *     call.setLocalUid(accountPath);
 *     call.setRemoteUid(number);
 *     call.setStartTime(started);
 *     call.setEndTime(ended);
 *     if (!store.open() || !store.addEvent(call))
 *         fprintf(stderr, "%s\n", qPrintable(store.errorString()));
 *
 * Location: the path given to the constructor; else the environment variable CALL_HISTORY_DB;
 * else $XDG_DATA_HOME/call-history/history.db. The folder is created when missing.
 *
 * Storage: WAL journal, synchronous=FULL (a committed call survives a power cut), foreign keys
 * on, a busy timeout of 5 s (an interruptible busy handler) so that processes writing at once
 * wait for each other instead of failing. The schema carries its version in user_version;
 * older versions are migrated inside one transaction when opened. Times are stored as UTC
 * seconds since the epoch; texts are bound as SQL parameters and read back unchanged, whatever
 * they contain. Ids are never reused (AUTOINCREMENT), so a late notice about a deleted id cannot
 * hit a new event.
 *
 * Every write is one transaction. After it commits, the change is announced through
 * CommitNotifier (in this process and on the session bus) unless announcing was switched off.
 *
 * Bad files: the file is never rewritten, truncated or replaced when it is not usable.
 *  - not a database, or an SQLite file of something else: NotADatabase;
 *  - written by a newer schema: NewerSchema (nothing is changed);
 *  - not writable (file or folder): ReadOnly;
 *  - damaged: Corrupt, when opening, as soon as a query meets the damage, or before the first
 *    write of a connection, which checks the whole file first (PRAGMA quick_check): a damaged
 *    file is never written to, not even where the damage is not in the way.
 * open() and the operations then return false, error() and errorString() tell why.
 *
 * Event ids are ints (Event::id()). A row whose id does not fit, which only a hand-made file
 * can hold, makes a read that meets it fail with IdOutOfRange, naming the id; an add that
 * would be given such an id fails the same way and writes nothing.
 * A file of size 0 counts as a new, empty database.
 *
 * Only call events are stored: adding any other type fails.
 */
class EventStore
{
public:
    enum Error {
        NoError,
        CannotOpen,
        NotADatabase,
        NewerSchema,
        ReadOnly,
        Corrupt,
        Busy,
        Interrupted,
        InvalidEvent,
        Failed,
        IdOutOfRange
    };
    enum { SchemaVersion = 3 };

    explicit EventStore(const QString &path = QString());
    ~EventStore();
    EventStore(const EventStore &) = delete;
    EventStore &operator=(const EventStore &) = delete;

    static QString defaultPath();
    QString path() const { return m_path; }

    // Opens (creating the file and the schema when missing) and migrates. Idempotent.
    bool open();
    bool isOpen() const { return m_db != nullptr; }
    void close();
    // Lets go of what reading kept for later reads: the texts shared between the events read
    // (later events get their own copies until they share again) and the database pages
    // cached. For when the events read are let go of (a model dropping rows); the store stays
    // open.
    void releaseMemory();

    Error error() const { return m_error; }
    QString errorString() const { return m_errorString; }

    // Whether writes are announced (default true), and whether announcing waits until the
    // session bus has the signal (default false; for short-lived tools).
    void setAnnounceChanges(bool announce) { m_announce = announce; }
    void setWaitForDelivery(bool wait) { m_waitForDelivery = wait; }

    // Thread-safe: makes the running and every later statement fail with Interrupted, until
    // clearInterrupt().
    void interrupt();
    // Thread-safe: the same for reads only; writes, and the reads they make, go on. A request
    // to interrupt the thread that uses the store (QThread::requestInterruption) does the same
    // while it stands, so that a thread asked to stop drops its queries but completes the
    // writes it was given.
    void interruptReads();
    void clearInterrupt();

    // Up to limit events matching filter, newest first (end time, then id), strictly after
    // the event given as after (invalid: from the newest).
    bool events(const EventFilter &filter, const Event &after, int limit, QList<Event> *out);
    // The stored events among ids, in the order of ids; ids not stored are left out.
    bool eventsById(const QList<int> &ids, QList<Event> *out);
    // The event with this id, or an invalid event when it is not stored or on error.
    Event event(int id);
    bool count(const EventFilter &filter, int *count);
    // The same for the calls not read yet (the missed calls a person has not looked at).
    bool countUnread(const EventFilter &filter, int *count);

    // Stores new events and sets their ids. Events need a start time; a missing end time
    // is taken as the start time.
    bool addEvent(Event &event);
    bool addEvents(QList<Event> &events);
    // Stores, in one transaction, those of events that are not stored yet and sets their ids;
    // events then holds the added ones only. An event counts as stored when a stored call, or
    // an earlier one of events, has the same direction, account, remote identifier and start
    // time: adding the same calls again adds nothing.
    bool addNewEvents(QList<Event> &events);
    // Without writing: those of events that addNewEvents() would add now.
    bool newEvents(const QList<Event> &events, QList<Event> *out);
    // Stores every field of events that are stored already (eventCount and contacts are not
    // stored); ids that are not stored are skipped.
    bool modifyEvents(const QList<Event> &events);
    bool deleteEvents(const QList<int> &ids);
    bool deleteAll();

private:
    bool fail(Error error, const QString &what, int rc = 0);
    bool failFrom(int rc, const QString &what);
    bool exec(const char *sql);
    bool readSchemaState(int *version, int *objects, bool *wal);
    bool migrate();
    bool prepare(const char *sql, sqlite3_stmt **statement);
    bool countWhere(const EventFilter &filter, bool unreadOnly, int *count);
    bool readRows(sqlite3_stmt *statement, QList<Event> *out);
    bool bindEvent(sqlite3_stmt *statement, const Event &event);
    bool insertRows(QList<Event> &events, QList<int> *ids);
    bool selectNew(const QList<Event> &events, QList<Event> *out);
    bool writeTransaction(const std::function<bool()> &body);
    bool verify();
    bool readsInterrupted() const;
    bool openForReading();
    void announce(int operation, const QList<int> &ids);
    QString intern(const QString &text);
    static int busyHandler(void *store, int count);
    static int progressHandler(void *store);

    QString m_path;
    sqlite3 *m_db = nullptr;
    QMutex m_handleMutex;
    QAtomicInt m_interrupted;
    QAtomicInt m_readsInterrupted;
    // Set while a write runs in the thread that uses the store.
    bool m_writing = false;
    // Whether the file was checked for damage since it was opened.
    bool m_verified = false;
    QHash<QByteArray, sqlite3_stmt *> m_statements;
    QSet<QString> m_strings;
    Error m_error = NoError;
    QString m_errorString;
    bool m_announce = true;
    bool m_waitForDelivery = false;
};

} // namespace CommHistory

#endif
