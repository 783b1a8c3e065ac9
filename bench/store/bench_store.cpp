// Measures the call history store against plain SQLite on the same database in the same run:
// time to the first chunk of 25 rows in each sorting, time to load every row, memory per loaded
// event and time to insert 1,000 calls, with 1,000, 10,000 and 100,000 stored calls.
// The histories come from the store tool's generator (the same seed every run).

#include "callmodel.h"
#include "eventfilter.h"
#include "eventstore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <malloc.h>
#include <sqlite3.h>

using CommHistory::CallModel;
using CommHistory::Event;

static const int Repeats = 15;

static double median(QVector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v.at(v.size() / 2);
}

static double timeMs(const std::function<void()> &f)
{
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e6;
}

// Runs the event loop until the condition holds (or 120 s passed).
static void spinUntil(const std::function<bool()> &done)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
}

// Reads rows the way the model's query does, with plain SQLite calls: open, prepare, step,
// read every column.
static int rawRead(const QString &path, int limit)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT id, type, direction, local_uid, remote_uid, start_time, end_time,"
                       " missed, video, emergency, read FROM events WHERE type = 3"
                       " ORDER BY end_time DESC, id DESC LIMIT ?1",
                       -1, &st, nullptr);
    sqlite3_bind_int(st, 1, limit);
    int rows = 0;
    qint64 sink = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < 11; ++c) {
            if (c == 3 || c == 4)
                sink += sqlite3_column_bytes16(st, c) + (sqlite3_column_text16(st, c) != nullptr);
            else
                sink += sqlite3_column_int64(st, c);
        }
        ++rows;
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows + int(sink & 0);
}

static void rawInsert(const QString &path, int count, bool oneTransaction)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO events (type, direction, kind, local_uid, remote_uid,"
                       " start_time, end_time, missed, video, emergency, read)"
                       " VALUES (3, 1, 3, ?1, ?2, ?3, ?4, 0, 0, 0, 1)",
                       -1, &st, nullptr);
    const QString account = QStringLiteral("/org/freedesktop/Telepathy/Account/pulse/tel/pulse");
    if (oneTransaction)
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    for (int i = 0; i < count; ++i) {
        const QString remote = QStringLiteral("+3584000%1").arg(i);
        if (!oneTransaction)
            sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_bind_text16(st, 1, account.utf16(), account.size() * 2, SQLITE_TRANSIENT);
        sqlite3_bind_text16(st, 2, remote.utf16(), remote.size() * 2, SQLITE_TRANSIENT);
        sqlite3_bind_int64(st, 3, 1700000000 + i);
        sqlite3_bind_int64(st, 4, 1700000060 + i);
        sqlite3_step(st);
        sqlite3_reset(st);
        if (!oneTransaction)
            sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    if (oneTransaction)
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_finalize(st);
    sqlite3_close(db);
}

static QList<Event> newCalls(int count)
{
    QList<Event> events;
    for (int i = 0; i < count; ++i) {
        Event e;
        e.setType(Event::CallEvent);
        e.setDirection(Event::Inbound);
        e.setLocalUid(QStringLiteral("/org/freedesktop/Telepathy/Account/pulse/tel/pulse"));
        e.setRemoteUid(QStringLiteral("+3584000%1").arg(i));
        e.setStartTimeT(1700000000 + i);
        e.setEndTimeT(1700000060 + i);
        e.setIsRead(true);
        events << e;
    }
    return events;
}

struct Model
{
    std::unique_ptr<CallModel> model;
    explicit Model(const QString &path, QThread *thread, int sorting, int limit)
        : model(new CallModel)
    {
        model->setDatabasePath(path);
        model->setBackgroundThread(thread);
        model->setLoadLimit(limit);
        model->setFirstChunkSize(25);
        model->setChunkSize(50);
        model->setFilter(sorting, CallModel::AllCalls);
    }
};

static size_t heapInUse()
{
    malloc_trim(0);
    return mallinfo2().uordblks;
}

static void benchHistory(const QString &dir, int size, QThread *thread)
{
    const QString path = dir + QStringLiteral("/history-%1.db").arg(size);
    QProcess tool;
    tool.start(QStringLiteral(CH_BINARY_DIR "/tools/call-history-store/call-history-store"),
               {"--db", path, "generate", QString::number(size), "--seed", "42"});
    if (!tool.waitForFinished(300000) || tool.exitCode() != 0) {
        fprintf(stderr, "bench_store: cannot generate the history: %s\n",
                tool.readAllStandardError().constData());
        return;
    }
    printf("\n%d stored calls\n", size);

    // First chunk of 25 rows, for each sorting: a new model (opens its connection) and a
    // reload of a model that is open already, against plain SQLite reading the same events.
    for (int sorting : {CallModel::SortByContact, CallModel::SortByTime}) {
        QVector<double> cold, warm, raw;
        int events = 25;
        for (int i = 0; i < Repeats; ++i) {
            Model m(path, thread, sorting, 200);
            cold << timeMs([&]() {
                m.model->getEvents();
                spinUntil([&]() { return m.model->rowCount() >= 25; });
            });
            events = 0;
            for (int r = 0; r < 25; ++r)
                events += m.model->event(m.model->index(r, 0)).eventCount();
            spinUntil([&]() {
                return !m.model->canFetchMore(QModelIndex()) || m.model->rowCount() >= 200;
            });
            QThread::msleep(20);
            QCoreApplication::processEvents();
            warm << timeMs([&]() {
                m.model->setFilter(sorting, CallModel::AllCalls);
                spinUntil([&]() { return m.model->rowCount() >= 25; });
            });
            raw << timeMs([&]() { rawRead(path, events); });
        }
        printf("  first 25 rows, sorting %d (%d calls): new model %.2f ms, reload %.2f ms, "
               "plain SQLite %.2f ms: %.1fx and %.1fx\n",
               sorting, events, median(cold), median(warm), median(raw), median(cold) / median(raw),
               median(warm) / median(raw));
    }

    // Every row, one per call: the shared model's settings, then fetchAll() as a search does.
    {
        QVector<double> all, raw;
        double bytesPerEvent = 0;
        qint64 sqliteCache = 0;
        for (int i = 0; i < 3; ++i) {
            // Let the worker of the previous model go first (it is deleted in its thread).
            QThread::msleep(100);
            QCoreApplication::processEvents();
            const size_t before = heapInUse();
            const qint64 sqliteBefore = sqlite3_memory_used();
            Model m(path, thread, CallModel::SortByTime, 200);
            all << timeMs([&]() {
                m.model->getEvents();
                m.model->fetchAll();
                spinUntil([&]() { return m.model->isReady(); });
            });
            QThread::msleep(50);
            QCoreApplication::processEvents();
            // SQLite's page cache of the model's connection is bounded (2 MB by default) and
            // not part of the rows: counted apart.
            sqliteCache = sqlite3_memory_used() - sqliteBefore;
            bytesPerEvent =
                double(qint64(heapInUse() - before) - sqliteCache) / m.model->rowCount();
            raw << timeMs([&]() { rawRead(path, -1); });
        }
        printf("  all rows: model %.1f ms, plain SQLite %.1f ms: %.1fx; %.0f bytes per loaded "
               "event (+ %lld KB SQLite cache of the connection)\n",
               median(all), median(raw), median(all) / median(raw), bytesPerEvent,
               sqliteCache / 1024);
    }

    // 1,000 new calls, each in its own transaction (as calls come) and all in one. Disk flushes
    // dominate and vary with the machine's load: store and plain SQLite take turns, 3 rounds.
    {
        CommHistory::EventStore store(path);
        store.open();
        const QList<Event> calls = newCalls(1000);
        QVector<double> single, rawSingle, together, rawTogether;
        for (int round = 0; round < 3; ++round) {
            single << timeMs([&]() {
                for (Event e : calls)
                    store.addEvent(e);
            });
            rawSingle << timeMs([&]() { rawInsert(path, 1000, false); });
            QList<Event> batch = calls;
            together << timeMs([&]() { store.addEvents(batch); });
            rawTogether << timeMs([&]() { rawInsert(path, 1000, true); });
        }
        printf("  insert 1,000 calls one by one: store %.1f ms, plain SQLite %.1f ms: %.1fx; "
               "in one transaction: store %.1f ms, plain SQLite %.1f ms: %.1fx\n",
               median(single), median(rawSingle), median(single) / median(rawSingle),
               median(together), median(rawTogether), median(together) / median(rawTogether));
    }
}

int main(int argc, char **argv)
{
    // One heap for all threads, so that the heap statistics see what the worker allocates.
    mallopt(M_ARENA_MAX, 1);
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QThread thread;
    thread.start();
    QList<int> sizes{1000, 10000, 100000};
    if (argc > 1)
        sizes = {QByteArray(argv[1]).toInt()};
    for (int size : sizes)
        benchHistory(dir.path(), size, &thread);
    thread.quit();
    thread.wait();
    return 0;
}
