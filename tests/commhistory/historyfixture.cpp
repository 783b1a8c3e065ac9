#include "historyfixture.h"

#include "eventfilter.h"
#include "eventstore.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <sqlite3.h>

using CommHistory::Event;

static const qint64 Origin = 1767225600; // 2026-01-01T00:00:00Z

HistoryFixture::HistoryFixture() : m_path(m_dir.path() + "/history.db") {}

HistoryFixture::~HistoryFixture()
{
    // A test may have write-protected the file; the folder must still go.
    QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
}

Event HistoryFixture::call(const QString &remote, char kind, qint64 endSecs, const QString &account,
                           bool read)
{
    Event e;
    e.setType(Event::CallEvent);
    e.setRemoteUid(remote);
    e.setLocalUid(account);
    e.setDirection(kind == 'd'   ? Event::Outbound
                   : kind == 'u' ? Event::UnknownDirection
                                 : Event::Inbound);
    e.setIsMissedCall(kind == 'm');
    e.setStartTimeT(Origin + endSecs - 10);
    e.setEndTimeT(Origin + endSecs);
    e.setIsRead(read);
    return e;
}

void HistoryFixture::addCalls(const QString &description, int perCall)
{
    QList<Event> events;
    for (const QString &item : description.split(' ', Qt::SkipEmptyParts)) {
        // remote/kind[@account][!] where ! marks an unread call
        QString text = item;
        const bool unread = text.endsWith('!');
        if (unread)
            text.chop(1);
        QString account = QStringLiteral("/acc/cell");
        const int at = text.indexOf('@');
        if (at >= 0) {
            account = "/acc/" + text.mid(at + 1);
            text = text.left(at);
        }
        const int slash = text.lastIndexOf('/');
        m_next += perCall;
        events.append(
            call(text.left(slash), text.at(slash + 1).toLatin1(), m_next, account, !unread));
    }
    add(events);
}

void HistoryFixture::add(QList<Event> events)
{
    CommHistory::EventStore store(m_path);
    QVERIFY2(store.open() && store.addEvents(events), qPrintable(store.errorString()));
}

int HistoryFixture::storedCount()
{
    CommHistory::EventStore store(m_path);
    int n = -1;
    if (!store.count(CommHistory::EventFilter(), &n))
        return -1;
    return n;
}

QString HistoryFixture::describe(const CommHistory::EventModel &model)
{
    QStringList rows;
    for (int r = 0; r < model.rowCount(); ++r) {
        const Event e = model.event(model.index(r, 0));
        const int kind = CommHistory::EventFilter::kindOf(e);
        QString text = e.remoteUid() + '/' + "?dmr"[kind];
        if (e.eventCount() > 1)
            text += 'x' + QString::number(e.eventCount());
        if (!e.isRead())
            text += '*';
        rows << text;
    }
    return rows.join(' ');
}

bool HistoryFixture::waitForReady(CommHistory::EventModel &model, int timeoutMs)
{
    QSignalSpy ready(&model, &CommHistory::EventModel::modelReady);
    return ready.wait(timeoutMs);
}

QString HistoryFixture::toolPath()
{
    return QStringLiteral(CH_BINARY_DIR "/tools/call-history-store/call-history-store");
}

int HistoryFixture::runTool(const QStringList &args, QByteArray *out, QByteArray *err,
                            const QByteArray &input)
{
    QProcess p;
    p.start(toolPath(), QStringList{"--db", m_path} + args);
    if (!p.waitForStarted())
        return -1;
    if (!input.isEmpty())
        p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000))
        return -1;
    if (out)
        *out = p.readAllStandardOutput();
    if (err)
        *err = p.readAllStandardError();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QByteArray HistoryFixture::fileContent(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void HistoryFixture::makeBadFile(const QString &kind)
{
    if (kind == "text") {
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("these are my notes, not a database\n").repeated(200));
        return;
    }
    if (kind == "foreign" || kind == "newer") {
        sqlite3 *db = nullptr;
        sqlite3_open(QFile::encodeName(m_path).constData(), &db);
        sqlite3_exec(db,
                     kind == "foreign" ? "CREATE TABLE notes (t TEXT); INSERT INTO notes "
                                         "VALUES ('keep me');"
                                       : "CREATE TABLE events (id INTEGER PRIMARY KEY); "
                                         "PRAGMA user_version = 99;",
                     nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return;
    }
    if (kind == "zeroedpage") {
        // A history of many pages; then the page with the oldest calls is zeroed, as a failing
        // disk leaves it. Adding or deleting the newest calls would not touch that page.
        QList<Event> events;
        for (int i = 0; i < 3000; ++i)
            events << call(QString("+35840%1").arg(1000000 + i), "dmr"[i % 3], 60 * (i + 1));
        add(events);
        sqlite3 *db = nullptr;
        sqlite3_open(QFile::encodeName(m_path).constData(), &db);
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT pageno FROM dbstat WHERE name = 'events' AND pagetype = 'leaf'"
                           " ORDER BY pageno LIMIT 1",
                           -1, &st, nullptr);
        const qint64 page = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : 0;
        sqlite3_finalize(st);
        sqlite3_close(db);
        QVERIFY(page > 1);
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        file.seek((page - 1) * 4096);
        file.write(QByteArray(4096, '\0'));
        return;
    }
    addCalls("a/r b/m c/d");
    if (kind == "hugeid") {
        // A hand-made row whose id does not fit an int; the next id would not either.
        sqlite3 *db = nullptr;
        sqlite3_open(QFile::encodeName(m_path).constData(), &db);
        QCOMPARE(sqlite3_exec(db,
                              "DELETE FROM events WHERE id > 1;"
                              "INSERT INTO events (id, type, direction, kind, local_uid,"
                              " remote_uid, start_time, end_time)"
                              " SELECT 2147483648, type, direction, kind, local_uid, 'huge',"
                              " start_time + 60, end_time + 60 FROM events WHERE id = 1",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(db);
        return;
    }
    if (kind == "readonly") {
        QVERIFY(QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ReadGroup));
        return;
    }
    // Damage every page after the header page (the table and index pages).
    for (int i = 0; i < 50; ++i)
        addCalls("x/r y/m");
    QFile file(m_path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const qint64 pageSize = 4096;
    for (qint64 at = pageSize; at < file.size(); at += pageSize) {
        file.seek(at);
        file.write(QByteArray(64, '\xa5'));
    }
}
