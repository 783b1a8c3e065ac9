// Address-book lookups and fetches on a book of 5,000 contacts, each against a baseline measured in
// the same run:
//   - number lookup through AddressLookup vs the bare SQLite index query it rests on (and a scan of
//     every number, to show what the index saves);
//   - a batch fetch of 20 contacts by id through QContactManager (request + event loop) vs reading
//     the same 20 rows with one SQLite statement;
//   - the CPU time the GUI thread spends on an asynchronous fetch (20 contacts by id, or the whole
//     book) vs the time a blocking fetch of the same contacts holds it: the engine runs requests
//     in a worker thread, so the GUI thread only starts the request and takes the results.
#include "addresslookup.h"
#include "contactsengine.h"

#include <QtContacts/QContactFetchRequest>
#include <QtContacts/QContactIdFilter>
#include <QtContacts/QContactManager>
#include <QtContacts/QContactName>
#include <QtContacts/QContactPhoneNumber>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>

#include "ratioreporter.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <ctime>
#include <map>

using namespace QtContacts;

namespace {

const int contactCount = 5000;
QString bookPath;
QContactManager *manager = nullptr;
QList<QContactId> ids;

QString numberOf(int i)
{
    return QStringLiteral("+358 40 %1 %2")
        .arg(100 + i % 900)
        .arg(1000 + i, 4, 10, QLatin1Char('0'));
}

QString nationalQuery(int i)
{
    return QStringLiteral("040%1%2").arg(100 + i % 900).arg(1000 + i, 4, 10, QLatin1Char('0'));
}

void fillBook()
{
    QList<QContact> contacts;
    for (int i = 0; i < contactCount; ++i) {
        QContact contact;
        QContactName name;
        name.setFirstName(QStringLiteral("Person"));
        name.setLastName(QString::number(i));
        contact.saveDetail(&name);
        QContactPhoneNumber mobile;
        mobile.setNumber(numberOf(i));
        mobile.setSubTypes({QContactPhoneNumber::SubTypeMobile});
        contact.saveDetail(&mobile);
        QContactPhoneNumber work;
        work.setNumber(QStringLiteral("09 %1").arg(5000000 + i));
        work.setContexts(QContactDetail::ContextWork);
        contact.saveDetail(&work);
        contacts.append(contact);
    }
    manager->saveContacts(&contacts);
    for (const QContact &contact : contacts)
        ids.append(contact.id());
}

void lookupNumber(benchmark::State &state)
{
    ContactsEngine::AddressLookup lookup(bookPath);
    int i = 0;
    for (auto _ : state) {
        const int person = i++ % contactCount;
        const auto matches = lookup.matchNumber(nationalQuery(person), 7);
        // A work number may share the 7-digit tail; the mobile number matches longer.
        if (matches.isEmpty() ||
            matches.first().displayLabel != QStringLiteral("Person %1").arg(person))
            state.SkipWithError("wrong match");
        benchmark::DoNotOptimize(matches);
    }
}

// The index query alone: prepared once, no normalization, no joins, no result objects.
void plainIndexQuery(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(bookPath).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT contact_id FROM numbers WHERE reversed >= ?1 AND reversed < ?2",
                       -1, &stmt, nullptr);
    int i = 0;
    for (auto _ : state) {
        QString tail = ContactsEngine::dialableDigits(nationalQuery(i++ % contactCount)).right(7);
        std::reverse(tail.begin(), tail.end());
        QString upper = tail;
        upper[upper.size() - 1] = QChar(upper.at(upper.size() - 1).unicode() + 1);
        const QByteArray low = tail.toLatin1(), high = upper.toLatin1();
        sqlite3_bind_text(stmt, 1, low.constData(), low.size(), SQLITE_STATIC);
        sqlite3_bind_text(stmt, 2, high.constData(), high.size(), SQLITE_STATIC);
        int rows = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW)
            ++rows;
        sqlite3_reset(stmt);
        if (rows < 1)
            state.SkipWithError("wrong match");
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
}

// What a lookup would cost without the index: every number compared.
void scanEveryNumber(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(bookPath).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT contact_id FROM numbers WHERE substr(digits, -7) = ?1", -1,
                       &stmt, nullptr);
    int i = 0;
    for (auto _ : state) {
        const QByteArray tail =
            ContactsEngine::dialableDigits(nationalQuery(i++ % contactCount)).right(7).toLatin1();
        sqlite3_bind_text(stmt, 1, tail.constData(), tail.size(), SQLITE_STATIC);
        int rows = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW)
            ++rows;
        sqlite3_reset(stmt);
        if (rows < 1)
            state.SkipWithError("wrong match");
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
}

// The details the contacts manager asks for.
QContactFetchHint recordHint()
{
    QContactFetchHint hint;
    hint.setDetailTypesHint({QContactDetail::TypeDisplayLabel, QContactDetail::TypeOnlineAccount,
                             QContactDetail::TypePresence, QContactDetail::TypePhoneNumber});
    return hint;
}

QList<QContactId> batchOf20(int start)
{
    QList<QContactId> batch;
    for (int k = 0; k < 20; ++k)
        batch.append(ids.at((start * 20 + k * 97) % ids.size()));
    return batch;
}

// As the contacts manager fetches: an id filter, a fetch hint, results through the event loop.
void fetch20ById(benchmark::State &state)
{
    const QContactFetchHint hint = recordHint();
    int i = 0;
    for (auto _ : state) {
        QContactFetchRequest request;
        request.setManager(manager);
        QContactIdFilter filter;
        filter.setIds(batchOf20(i++));
        request.setFilter(filter);
        request.setFetchHint(hint);
        QEventLoop loop;
        QObject::connect(&request, &QContactAbstractRequest::stateChanged, &loop,
                         [&](QContactAbstractRequest::State s) {
                             if (s == QContactAbstractRequest::FinishedState)
                                 loop.quit();
                         });
        request.start();
        loop.exec();
        if (request.contacts().size() != 20)
            state.SkipWithError("wrong result");
    }
}

// The same 20 rows read with one statement, blobs not decoded.
void plainRead20(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(bookPath).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    QByteArray sql = "SELECT id, label, details FROM contacts WHERE id IN (?";
    for (int k = 1; k < 20; ++k)
        sql += ",?";
    sql += ")";
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr);
    int i = 0;
    for (auto _ : state) {
        const QList<QContactLocalId> batch = ContactsEngine::toLocalIds(batchOf20(i++));
        for (int k = 0; k < batch.size(); ++k)
            sqlite3_bind_int64(stmt, k + 1, batch.at(k));
        int rows = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_blob(stmt, 2));
            ++rows;
        }
        sqlite3_reset(stmt);
        if (rows != 20)
            state.SkipWithError("wrong result");
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
}

QContactFilter fetchFilter(bool wholeBook, int i)
{
    if (wholeBook)
        return QContactFilter();
    QContactIdFilter filter;
    filter.setIds(batchOf20(i));
    return filter;
}

// Wall time of a blocking fetch: the GUI thread is held for all of it.
void guiTimeOfBlockingFetch(benchmark::State &state)
{
    const bool wholeBook = state.range(0) != 0;
    const int expected = wholeBook ? contactCount : 20;
    int i = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const QList<QContact> found =
            manager->contacts(fetchFilter(wholeBook, i++), {}, recordHint());
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);
        if (found.size() != expected)
            state.SkipWithError("wrong result");
    }
}

// CPU time of the calling thread, in seconds.
double threadCpuSeconds()
{
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

// CPU time the GUI thread spends on an asynchronous fetch, from start() to the finished state
// with the results taken (waiting in the event loop costs it nothing).
void guiTimeOfRequestFetch(benchmark::State &state)
{
    const bool wholeBook = state.range(0) != 0;
    const int expected = wholeBook ? contactCount : 20;
    int i = 0;
    for (auto _ : state) {
        const double before = threadCpuSeconds();
        QContactFetchRequest request;
        request.setManager(manager);
        request.setFilter(fetchFilter(wholeBook, i++));
        request.setFetchHint(recordHint());
        QEventLoop loop;
        int found = -1;
        QObject::connect(&request, &QContactAbstractRequest::stateChanged, &loop,
                         [&](QContactAbstractRequest::State s) {
                             if (s == QContactAbstractRequest::FinishedState) {
                                 found = request.contacts().size();
                                 loop.quit();
                             }
                         });
        request.start();
        loop.exec();
        state.SetIterationTime(threadCpuSeconds() - before);
        if (found != expected)
            state.SkipWithError("wrong result");
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    bookPath = dir.filePath(QStringLiteral("bench.db"));
    manager =
        new QContactManager(ContactsEngine::ensureRegistered(),
                            {{QString::fromLatin1(ContactsEngine::databaseParameter), bookPath}});
    fillBook();

    benchmark::RegisterBenchmark("plainIndexQuery", plainIndexQuery);
    benchmark::RegisterBenchmark("lookupNumber", lookupNumber);
    benchmark::RegisterBenchmark("scanEveryNumber", scanEveryNumber);
    benchmark::RegisterBenchmark("plainRead20", plainRead20);
    benchmark::RegisterBenchmark("fetch20ById", fetch20ById);
    for (int wholeBook : {0, 1}) {
        benchmark::RegisterBenchmark("guiTimeOfBlockingFetch", guiTimeOfBlockingFetch)
            ->Arg(wholeBook)
            ->UseManualTime();
        benchmark::RegisterBenchmark("guiTimeOfRequestFetch", guiTimeOfRequestFetch)
            ->Arg(wholeBook)
            ->UseManualTime();
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nRatios (%d contacts, 2 numbers each):\n", contactCount);
    reporter.ratio("number lookup (AddressLookup::matchNumber)", "lookupNumber", "plainIndexQuery");
    reporter.ratio("number lookup without the index (scan)", "scanEveryNumber", "plainIndexQuery");
    reporter.ratio("fetch of 20 contacts by id (QContactFetchRequest)", "fetch20ById",
                   "plainRead20");
    // These ratios are far below 0.01: printed as "1 / n" of the blocking fetch.
    const auto share = [&](const char *what, const std::string &measured,
                           const std::string &baseline) {
        auto &t = reporter.times;
        if (t.count(measured) && t.count(baseline) && t[measured] > 0)
            std::printf("%-60s 1 / %.0f of %s\n", what, t[baseline] / t[measured],
                        baseline.c_str());
    };
    share("GUI-thread time, asynchronous fetch of 20 by id", "guiTimeOfRequestFetch/0/manual_time",
          "guiTimeOfBlockingFetch/0/manual_time");
    share("GUI-thread time, asynchronous fetch of the whole book",
          "guiTimeOfRequestFetch/1/manual_time", "guiTimeOfBlockingFetch/1/manual_time");
    delete manager;
    return 0;
}
