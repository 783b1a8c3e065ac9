#include "eventstore.h"

#include "commitnotifier.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QScopedValueRollback>
#include <QStandardPaths>
#include <QThread>

#include <sqlite3.h>

namespace CommHistory {

static const int BusyTimeoutMs = 5000;
// The time of an event that has none (see Event).
static const qint64 NoTime = std::numeric_limits<qint64>::min();

static const char CreateSchema[] =
    "CREATE TABLE events ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " type INTEGER NOT NULL,"
    " direction INTEGER NOT NULL,"
    " kind INTEGER NOT NULL," // 1 dialled, 2 missed, 3 received: what the call-type filter reads
    " local_uid TEXT NOT NULL,"
    " remote_uid TEXT NOT NULL,"
    " start_time INTEGER NOT NULL," // UTC seconds since the epoch
    " end_time INTEGER NOT NULL,"
    " missed INTEGER NOT NULL DEFAULT 0,"
    " video INTEGER NOT NULL DEFAULT 0,"
    " emergency INTEGER NOT NULL DEFAULT 0,"
    " read INTEGER NOT NULL DEFAULT 0,"
    " blocked INTEGER NOT NULL DEFAULT 0);" // ended by the call service for the block list
    "CREATE INDEX events_by_end ON events(type, end_time DESC, id DESC);"
    "CREATE INDEX events_by_kind_end ON events(type, kind, end_time DESC, id DESC);";

// Schema 1 kept times as ISO 8601 UTC texts and knew neither the emergency flag nor the kind.
static const char MigrateFrom1[] =
    "ALTER TABLE events RENAME TO events_v1;"
    "DROP INDEX IF EXISTS events_end;"
    "%1"
    "INSERT INTO events (id, type, direction, kind, local_uid, remote_uid, start_time, end_time,"
    "   missed, video, emergency, read)"
    " SELECT id, type, direction,"
    "   CASE WHEN direction = 2 THEN 1 WHEN direction = 1 AND missed THEN 2 ELSE 3 END,"
    "   local_uid, remote_uid, CAST(strftime('%s', start_time) AS INTEGER),"
    "   CAST(strftime('%s', end_time) AS INTEGER), missed, video, 0, read"
    " FROM events_v1;"
    "UPDATE sqlite_sequence SET seq = max(seq, (SELECT seq FROM sqlite_sequence"
    "   WHERE name = 'events_v1')) WHERE name = 'events';"
    "DROP TABLE events_v1;";

// Schema 2 did not know blocked calls.
static const char MigrateFrom2[] =
    "ALTER TABLE events ADD COLUMN blocked INTEGER NOT NULL DEFAULT 0;";

static const char Columns[] = "id, type, direction, local_uid, remote_uid, start_time, end_time,"
                              " missed, video, emergency, read, blocked";

EventStore::EventStore(const QString &path)
    : m_path(QFileInfo(path.isEmpty() ? defaultPath() : path).absoluteFilePath())
{
}

EventStore::~EventStore()
{
    close();
}

QString EventStore::defaultPath()
{
    const QString env = qEnvironmentVariable("CALL_HISTORY_DB");
    if (!env.isEmpty())
        return env;
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/call-history/history.db");
}

bool EventStore::fail(Error error, const QString &what, int rc)
{
    m_error = error;
    m_errorString = m_path + QStringLiteral(": ") + what;
    if (rc && m_db)
        m_errorString += QStringLiteral(" (") + QString::fromUtf8(sqlite3_errmsg(m_db)) + ')';
    return false;
}

bool EventStore::failFrom(int rc, const QString &what)
{
    switch (rc & 0xff) {
    case SQLITE_NOTADB:
        return fail(NotADatabase, QStringLiteral("the file is not a call history database"), rc);
    case SQLITE_CORRUPT:
        return fail(Corrupt, QStringLiteral("the database is damaged"), rc);
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return fail(ReadOnly, QStringLiteral("the database cannot be written"), rc);
    case SQLITE_CANTOPEN:
        return fail(CannotOpen, QStringLiteral("the database cannot be opened"), rc);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return fail(Busy, QStringLiteral("the database stayed locked by another process"), rc);
    case SQLITE_INTERRUPT:
        return fail(Interrupted, QStringLiteral("interrupted"), rc);
    default:
        return fail(Failed, what, rc);
    }
}

int EventStore::busyHandler(void *p, int count)
{
    // Called again and again while another connection holds the lock; the first call starts
    // the clock (sqlite passes the number of earlier calls, not the time waited).
    auto *store = static_cast<EventStore *>(p);
    thread_local QElapsedTimer waited;
    if (store->m_interrupted.loadAcquire() || store->readsInterrupted())
        return 0;
    if (count == 0)
        waited.start();
    if (waited.elapsed() >= BusyTimeoutMs)
        return 0;
    QThread::msleep(2);
    return 1;
}

int EventStore::progressHandler(void *p)
{
    auto *store = static_cast<EventStore *>(p);
    return store->m_interrupted.loadAcquire() || store->readsInterrupted();
}

bool EventStore::readsInterrupted() const
{
    // Called in the thread that uses the store, like everything that sets m_writing.
    return !m_writing && (m_readsInterrupted.loadAcquire() ||
                          QThread::currentThread()->isInterruptionRequested());
}

void EventStore::interrupt()
{
    m_interrupted.storeRelease(1);
    QMutexLocker lock(&m_handleMutex);
    if (m_db)
        sqlite3_interrupt(m_db);
}

void EventStore::interruptReads()
{
    // No sqlite3_interrupt() here: it would stop a write as well. The progress handler stops a
    // running read within a thousand steps.
    m_readsInterrupted.storeRelease(1);
}

void EventStore::clearInterrupt()
{
    m_interrupted.storeRelease(0);
    m_readsInterrupted.storeRelease(0);
}

bool EventStore::openForReading()
{
    if (readsInterrupted())
        return fail(Interrupted, QStringLiteral("interrupted"));
    return open();
}

bool EventStore::exec(const char *sql)
{
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    return rc == SQLITE_OK || failFrom(rc, QStringLiteral("query failed"));
}

bool EventStore::open()
{
    if (m_db)
        return true;
    m_error = NoError;
    m_errorString.clear();
    const QFileInfo info(m_path);
    if (info.isDir())
        return fail(CannotOpen, QStringLiteral("is a folder"));
    if (!info.exists() && !QDir().mkpath(info.absolutePath()))
        return fail(CannotOpen, QStringLiteral("cannot create the folder"));
    // Write-protected by its mode bits counts as read-only even for a user (root) whom the
    // system would let write.
    const QFile::Permissions writable = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (info.exists() && (!info.isWritable() || !(info.permissions() & writable)))
        return fail(ReadOnly, QStringLiteral("the database cannot be written"));
    const bool isNew = !info.exists() || info.size() == 0;

    sqlite3 *db = nullptr;
    const int rc =
        sqlite3_open_v2(QFile::encodeName(m_path).constData(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    {
        QMutexLocker lock(&m_handleMutex);
        m_db = db;
    }
    if (rc != SQLITE_OK) {
        failFrom(rc, QStringLiteral("cannot open"));
        close();
        return false;
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_handler(m_db, &EventStore::busyHandler, this);
    sqlite3_progress_handler(m_db, 1000, &EventStore::progressHandler, this);

    bool ok = true;
    if (sqlite3_db_readonly(m_db, "main") == 1)
        ok = fail(ReadOnly, QStringLiteral("the database cannot be written"));
    // A new database keeps its texts in UTF-16, as QString does: no conversion on the way in
    // or out, and any QString (even one that is not valid Unicode) comes back unchanged.
    if (ok && isNew)
        ok = exec("PRAGMA encoding = 'UTF-16le'");
    // Reading the version reads the header first: a file of another kind fails here, before
    // anything could be written into it. A database of the current schema was made by this
    // store, in WAL mode, which it keeps: nothing more to check on the way to the first query.
    int version = 0;
    if (ok) {
        sqlite3_stmt *st = nullptr;
        int r = sqlite3_prepare_v2(m_db, "PRAGMA user_version", -1, &st, nullptr);
        if (r == SQLITE_OK)
            r = sqlite3_step(st);
        if (r == SQLITE_ROW)
            version = sqlite3_column_int(st, 0);
        else
            ok = failFrom(r, QStringLiteral("cannot read the schema version"));
        sqlite3_finalize(st);
    }
    if (ok && version > SchemaVersion)
        ok = fail(NewerSchema, QStringLiteral("written by a newer version (schema %1, this "
                                              "program knows up to %2)")
                                   .arg(version)
                                   .arg(int(SchemaVersion)));
    int objects = 0;
    bool wal = true;
    if (ok && version != SchemaVersion)
        ok = readSchemaState(&version, &objects, &wal);
    if (ok && version == 0 && objects > 0)
        ok = fail(NotADatabase,
                  QStringLiteral("an SQLite database of another program, left untouched"));
    if (ok && !wal) {
        sqlite3_stmt *st = nullptr;
        int r = sqlite3_prepare_v2(m_db, "PRAGMA journal_mode=WAL", -1, &st, nullptr);
        if (r == SQLITE_OK)
            r = sqlite3_step(st);
        if (r != SQLITE_ROW)
            ok = failFrom(r, QStringLiteral("cannot switch to the WAL journal"));
        sqlite3_finalize(st);
    }
    ok = ok && exec("PRAGMA synchronous=FULL; PRAGMA foreign_keys=ON;") &&
         (version == SchemaVersion || migrate());
    if (!ok) {
        const Error error = m_error;
        const QString text = m_errorString;
        close();
        m_error = error;
        m_errorString = text;
    }
    return ok;
}

bool EventStore::readSchemaState(int *version, int *objects, bool *wal)
{
    // One statement: opening is on the way to the first screen of the call history.
    sqlite3_stmt *st = nullptr;
    if (!prepare("SELECT user_version, journal_mode,"
                 " (SELECT count(*) FROM sqlite_master WHERE name NOT LIKE 'sqlite_%')"
                 " FROM pragma_user_version, pragma_journal_mode",
                 &st))
        return false;
    const int rc = sqlite3_step(st);
    if (rc != SQLITE_ROW)
        return failFrom(rc, QStringLiteral("cannot read the schema"));
    *version = sqlite3_column_int(st, 0);
    if (wal)
        *wal = qstricmp(reinterpret_cast<const char *>(sqlite3_column_text(st, 1)), "wal") == 0;
    *objects = sqlite3_column_int(st, 2);
    sqlite3_reset(st);
    return true;
}

bool EventStore::migrate()
{
    return writeTransaction([this]() {
        // Another process may have migrated meanwhile: look again under the write lock.
        int version = 0;
        int objects = 0;
        if (!readSchemaState(&version, &objects, nullptr))
            return false;
        if (version > SchemaVersion)
            return fail(NewerSchema,
                        QStringLiteral("written by a newer version (schema %1)").arg(version));
        if (version == SchemaVersion)
            return true;
        if (version == 0 && objects > 0)
            return fail(NotADatabase,
                        QStringLiteral("an SQLite database of another program, left untouched"));
        if (version == 0) {
            if (!exec(CreateSchema))
                return false;
        } else if (version == 1) {
            const QByteArray sql = QByteArray(MigrateFrom1).replace("%1", CreateSchema);
            if (!exec(sql.constData()))
                return false;
        } else if (version == 2) {
            if (!exec(MigrateFrom2))
                return false;
        } else {
            return fail(Failed, QStringLiteral("unknown schema version %1").arg(version));
        }
        return exec(QByteArray("PRAGMA user_version=")
                        .append(QByteArray::number(int(SchemaVersion)))
                        .constData());
    });
}

void EventStore::close()
{
    m_verified = false;
    for (sqlite3_stmt *st : qAsConst(m_statements))
        sqlite3_finalize(st);
    m_statements.clear();
    m_strings.clear();
    QMutexLocker lock(&m_handleMutex);
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
}

bool EventStore::prepare(const char *sql, sqlite3_stmt **statement)
{
    const QByteArray key = QByteArray::fromRawData(sql, int(qstrlen(sql)));
    sqlite3_stmt *st = m_statements.value(key);
    if (!st) {
        const int rc = sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr);
        if (rc != SQLITE_OK)
            return failFrom(rc, QStringLiteral("cannot prepare a query"));
        m_statements.insert(QByteArray(sql), st);
    } else {
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
    }
    *statement = st;
    return true;
}

static void bindText(sqlite3_stmt *st, int column, const QString &text)
{
    sqlite3_bind_text16(st, column, text.utf16(), text.size() * 2, SQLITE_TRANSIENT);
}

static QString columnText(sqlite3_stmt *st, int column)
{
    const void *data = sqlite3_column_text16(st, column);
    const int bytes = sqlite3_column_bytes16(st, column);
    return QString(reinterpret_cast<const QChar *>(data), bytes / 2);
}

void EventStore::releaseMemory()
{
    m_strings = QSet<QString>();
    QMutexLocker lock(&m_handleMutex);
    if (m_db)
        sqlite3_db_release_memory(m_db);
}

QString EventStore::intern(const QString &text)
{
    // Loaded events share the texts that repeat (account paths, frequent callers).
    if (m_strings.size() > 20000)
        m_strings.clear();
    auto it = m_strings.constFind(text);
    if (it != m_strings.constEnd())
        return *it;
    m_strings.insert(text);
    return text;
}

bool EventStore::readRows(sqlite3_stmt *st, QList<Event> *out)
{
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        const sqlite3_int64 id = sqlite3_column_int64(st, 0);
        if (id < 1 || id > std::numeric_limits<int>::max()) {
            sqlite3_reset(st);
            return fail(IdOutOfRange, QStringLiteral("event id %1 is out of the range this "
                                                     "program supports (1 to %2)")
                                          .arg(id)
                                          .arg(std::numeric_limits<int>::max()));
        }
        Event e;
        e.setId(int(id));
        e.setType(Event::EventType(sqlite3_column_int(st, 1)));
        e.setDirection(Event::EventDirection(sqlite3_column_int(st, 2)));
        e.setLocalUid(intern(columnText(st, 3)));
        e.setRemoteUid(intern(columnText(st, 4)));
        e.setStartTimeT(sqlite3_column_int64(st, 5));
        e.setEndTimeT(sqlite3_column_int64(st, 6));
        e.setIsMissedCall(sqlite3_column_int(st, 7));
        e.setIsVideoCall(sqlite3_column_int(st, 8));
        e.setIsEmergencyCall(sqlite3_column_int(st, 9));
        e.setIsRead(sqlite3_column_int(st, 10));
        e.setIsBlocked(sqlite3_column_int(st, 11));
        out->append(e);
    }
    sqlite3_reset(st);
    return rc == SQLITE_DONE || failFrom(rc, QStringLiteral("cannot read events"));
}

bool EventStore::events(const EventFilter &filter, const Event &after, int limit, QList<Event> *out)
{
    if (!openForReading())
        return false;
    // One statement per combination of conditions, each served by an index in newest-first
    // order: (type, end_time, id) or (type, kind, end_time, id).
    const bool byKind = filter.callKind() != EventFilter::AnyKind;
    const bool since = filter.hasSince();
    const bool paged = after.isValid();
    QByteArray sql = QByteArray("SELECT ") + Columns + " FROM events WHERE type = ?1";
    if (byKind)
        sql += " AND kind = ?2";
    if (since)
        sql += " AND end_time >= ?3";
    if (paged)
        sql += " AND (end_time, id) < (?4, ?5)";
    sql += " ORDER BY end_time DESC, id DESC LIMIT ?6";
    sqlite3_stmt *st = nullptr;
    if (!prepare(sql.constData(), &st))
        return false;
    sqlite3_bind_int(st, 1, Event::CallEvent);
    if (byKind)
        sqlite3_bind_int(st, 2, filter.callKind());
    if (since)
        sqlite3_bind_int64(st, 3, filter.sinceT());
    if (paged) {
        sqlite3_bind_int64(st, 4, after.endTimeT());
        sqlite3_bind_int(st, 5, after.id());
    }
    sqlite3_bind_int(st, 6, limit < 0 ? -1 : limit);
    return readRows(st, out);
}

bool EventStore::eventsById(const QList<int> &ids, QList<Event> *out)
{
    if (!openForReading())
        return false;
    sqlite3_stmt *st = nullptr;
    const QByteArray sql = QByteArray("SELECT ") + Columns + " FROM events WHERE id = ?1";
    for (int id : ids) {
        if (!prepare(sql.constData(), &st))
            return false;
        sqlite3_bind_int(st, 1, id);
        if (!readRows(st, out))
            return false;
    }
    return true;
}

Event EventStore::event(int id)
{
    QList<Event> found;
    if (!eventsById({id}, &found) || found.isEmpty())
        return Event();
    return found.first();
}

bool EventStore::count(const EventFilter &filter, int *count)
{
    return countWhere(filter, false, count);
}

bool EventStore::countUnread(const EventFilter &filter, int *count)
{
    return countWhere(filter, true, count);
}

bool EventStore::countWhere(const EventFilter &filter, bool unreadOnly, int *count)
{
    if (!openForReading())
        return false;
    sqlite3_stmt *st = nullptr;
    if (!prepare(unreadOnly ? "SELECT count(*) FROM events WHERE type = ?1 AND (?2 = 0 OR "
                              "kind = ?2) AND end_time >= ?3 AND read = 0"
                            : "SELECT count(*) FROM events WHERE type = ?1 AND (?2 = 0 OR "
                              "kind = ?2) AND end_time >= ?3",
                 &st))
        return false;
    sqlite3_bind_int(st, 1, Event::CallEvent);
    sqlite3_bind_int(st, 2, filter.callKind());
    sqlite3_bind_int64(st, 3,
                       filter.hasSince() ? filter.sinceT() : std::numeric_limits<qint64>::min());
    const int rc = sqlite3_step(st);
    if (rc != SQLITE_ROW)
        return failFrom(rc, QStringLiteral("cannot count events"));
    *count = sqlite3_column_int(st, 0);
    sqlite3_reset(st);
    return true;
}

bool EventStore::verify()
{
    if (m_verified)
        return true;
    // Looks at every page once, outside the write lock. A damaged file is left as it is: a
    // write could spread the damage or lose what is still readable.
    sqlite3_stmt *st = nullptr;
    int rc = sqlite3_prepare_v2(m_db, "PRAGMA quick_check(1)", -1, &st, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(st);
    QString result;
    if (rc == SQLITE_ROW)
        result = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    if (rc != SQLITE_ROW)
        return failFrom(rc, QStringLiteral("cannot check the database"));
    if (result != QLatin1String("ok"))
        return fail(Corrupt, QStringLiteral("the database is damaged (%1)").arg(result));
    m_verified = true;
    return true;
}

bool EventStore::writeTransaction(const std::function<bool()> &body)
{
    const QScopedValueRollback<bool> writing(m_writing, true);
    if (!verify() || !exec("BEGIN IMMEDIATE"))
        return false;
    if (body() && exec("COMMIT"))
        return true;
    const Error error = m_error;
    const QString text = m_errorString;
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    m_error = error;
    m_errorString = text;
    return false;
}

bool EventStore::bindEvent(sqlite3_stmt *st, const Event &e)
{
    if (e.type() != Event::CallEvent)
        return fail(InvalidEvent, QStringLiteral("only call events are stored"));
    if (e.startTimeT() == NoTime)
        return fail(InvalidEvent, QStringLiteral("an event needs a start time"));
    if (e.remoteUid().size() > Event::MaxRemoteUidLength)
        return fail(InvalidEvent, QStringLiteral("a remote identifier of %1 characters is longer "
                                                 "than the %2 the store keeps")
                                      .arg(e.remoteUid().size())
                                      .arg(int(Event::MaxRemoteUidLength)));
    const qint64 end = e.endTimeT() == NoTime ? e.startTimeT() : e.endTimeT();
    sqlite3_bind_int(st, 1, e.type());
    sqlite3_bind_int(st, 2, e.direction());
    sqlite3_bind_int(st, 3, EventFilter::kindOf(e));
    bindText(st, 4, e.localUid());
    bindText(st, 5, e.remoteUid());
    sqlite3_bind_int64(st, 6, e.startTimeT());
    sqlite3_bind_int64(st, 7, end);
    sqlite3_bind_int(st, 8, e.isMissedCall());
    sqlite3_bind_int(st, 9, e.isVideoCall());
    sqlite3_bind_int(st, 10, e.isEmergencyCall());
    sqlite3_bind_int(st, 11, e.isRead());
    sqlite3_bind_int(st, 12, e.isBlocked());
    return true;
}

bool EventStore::addEvent(Event &event)
{
    QList<Event> events{event};
    if (!addEvents(events))
        return false;
    event = events.first();
    return true;
}

bool EventStore::insertRows(QList<Event> &events, QList<int> *ids)
{
    sqlite3_stmt *st = nullptr;
    for (Event &e : events) {
        if (!prepare("INSERT INTO events (type, direction, kind, local_uid, remote_uid,"
                     " start_time, end_time, missed, video, emergency, read, blocked)"
                     " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)",
                     &st) ||
            !bindEvent(st, e))
            return false;
        const int rc = sqlite3_step(st);
        if (rc != SQLITE_DONE)
            return failFrom(rc, QStringLiteral("cannot add an event"));
        const sqlite3_int64 id = sqlite3_last_insert_rowid(m_db);
        if (id > std::numeric_limits<int>::max())
            return fail(IdOutOfRange, QStringLiteral("no event id left: the next one, %1, is out "
                                                     "of the range this program supports")
                                          .arg(id));
        e.setId(int(id));
        if (e.endTimeT() == NoTime)
            e.setEndTimeT(e.startTimeT());
        e.setEventCount(1);
        ids->append(e.id());
    }
    return true;
}

namespace {

// What makes a call the same call for addNewEvents().
struct CallKey
{
    qint64 start;
    int direction;
    QString account;
    QString remote;
    bool operator==(const CallKey &o) const
    {
        return start == o.start && direction == o.direction && remote == o.remote &&
               account == o.account;
    }
};

uint qHash(const CallKey &k, uint seed = 0)
{
    return ::qHash(k.start, seed) ^ ::qHash(k.remote, seed) ^ uint(k.direction);
}

} // namespace

bool EventStore::selectNew(const QList<Event> &events, QList<Event> *out)
{
    if (events.isEmpty())
        return true;
    qint64 first = std::numeric_limits<qint64>::max(), last = std::numeric_limits<qint64>::min();
    for (const Event &e : events) {
        first = qMin(first, e.startTimeT());
        last = qMax(last, e.startTimeT());
    }
    // One pass over the stored calls of that period; no index is worth its upkeep for this.
    sqlite3_stmt *st = nullptr;
    if (!prepare("SELECT start_time, direction, local_uid, remote_uid FROM events"
                 " WHERE type = ?1 AND start_time BETWEEN ?2 AND ?3",
                 &st))
        return false;
    sqlite3_bind_int(st, 1, Event::CallEvent);
    sqlite3_bind_int64(st, 2, first);
    sqlite3_bind_int64(st, 3, last);
    QSet<CallKey> seen;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        seen.insert({sqlite3_column_int64(st, 0), sqlite3_column_int(st, 1),
                     intern(columnText(st, 2)), intern(columnText(st, 3))});
    sqlite3_reset(st);
    if (rc != SQLITE_DONE)
        return failFrom(rc, QStringLiteral("cannot read events"));
    for (const Event &e : events) {
        const CallKey key{e.startTimeT(), e.direction(), e.localUid(), e.remoteUid()};
        if (e.type() == Event::CallEvent && seen.contains(key))
            continue;
        seen.insert(key);
        out->append(e);
    }
    return true;
}

bool EventStore::newEvents(const QList<Event> &events, QList<Event> *out)
{
    return openForReading() && selectNew(events, out);
}

bool EventStore::addEvents(QList<Event> &events)
{
    const QScopedValueRollback<bool> writing(m_writing, true);
    if (!open())
        return false;
    QList<Event> added = events;
    QList<int> ids;
    if (!writeTransaction([&]() { return insertRows(added, &ids); }))
        return false;
    events = added;
    announce(CommitNotifier::Added, ids);
    return true;
}

bool EventStore::addNewEvents(QList<Event> &events)
{
    const QScopedValueRollback<bool> writing(m_writing, true);
    if (!open())
        return false;
    // Looked up under the write lock, so that two imports at once cannot both add a call.
    QList<Event> added;
    QList<int> ids;
    if (!writeTransaction([&]() { return selectNew(events, &added) && insertRows(added, &ids); }))
        return false;
    events = added;
    if (!ids.isEmpty())
        announce(CommitNotifier::Added, ids);
    return true;
}

bool EventStore::modifyEvents(const QList<Event> &events)
{
    const QScopedValueRollback<bool> writing(m_writing, true);
    if (!open())
        return false;
    QList<int> ids;
    const bool ok = writeTransaction([&]() {
        sqlite3_stmt *st = nullptr;
        for (const Event &e : events) {
            if (!prepare("UPDATE events SET type = ?1, direction = ?2, kind = ?3,"
                         " local_uid = ?4, remote_uid = ?5, start_time = ?6, end_time = ?7,"
                         " missed = ?8, video = ?9, emergency = ?10, read = ?11, blocked = ?12"
                         " WHERE id = ?13",
                         &st) ||
                !bindEvent(st, e))
                return false;
            sqlite3_bind_int(st, 13, e.id());
            const int rc = sqlite3_step(st);
            if (rc != SQLITE_DONE)
                return failFrom(rc, QStringLiteral("cannot modify an event"));
            if (sqlite3_changes(m_db) > 0)
                ids.append(e.id());
        }
        return true;
    });
    if (ok && !ids.isEmpty())
        announce(CommitNotifier::Modified, ids);
    return ok;
}

bool EventStore::deleteEvents(const QList<int> &ids)
{
    const QScopedValueRollback<bool> writing(m_writing, true);
    if (!open())
        return false;
    QList<int> deleted;
    const bool ok = writeTransaction([&]() {
        sqlite3_stmt *st = nullptr;
        for (int id : ids) {
            if (!prepare("DELETE FROM events WHERE id = ?1", &st))
                return false;
            sqlite3_bind_int(st, 1, id);
            const int rc = sqlite3_step(st);
            if (rc != SQLITE_DONE)
                return failFrom(rc, QStringLiteral("cannot delete an event"));
            if (sqlite3_changes(m_db) > 0)
                deleted.append(id);
        }
        return true;
    });
    if (ok && !deleted.isEmpty())
        announce(CommitNotifier::Deleted, deleted);
    return ok;
}

bool EventStore::deleteAll()
{
    const QScopedValueRollback<bool> writing(m_writing, true);
    if (!open())
        return false;
    if (!writeTransaction([this]() { return exec("DELETE FROM events"); }))
        return false;
    announce(CommitNotifier::Reset, QList<int>());
    return true;
}

void EventStore::announce(int operation, const QList<int> &ids)
{
    if (m_announce)
        CommitNotifier::instance()->announce(m_path, CommitNotifier::Operation(operation), ids,
                                             m_waitForDelivery);
}

} // namespace CommHistory
