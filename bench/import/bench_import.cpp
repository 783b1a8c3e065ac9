// Measures the store tool's import of another phone program's history against its own JSON Lines
// import of the same calls, in the same run: 100,000 calls from GNOME Calls' records.db, Plasma
// Dialer's calls.sqlite and an Android call-log backup, each into a new history; then the same
// file once more into that history (every call is there already, nothing is added). The times
// include starting the tool, as a person running it sees them.
// Each figure is the median of three runs of the tool, the formats taking turns.

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <sqlite3.h>

namespace {

struct Call
{
    QString number;
    bool inbound;
    bool missed;
    qint64 start;
    int duration;
};

QVector<Call> makeCalls(int count)
{
    QRandomGenerator random(20261207);
    QVector<Call> calls;
    qint64 start = QDateTime(QDate(2023, 1, 1), QTime(8, 0), Qt::UTC).toSecsSinceEpoch();
    for (int i = 0; i < count; ++i) {
        Call c;
        c.number = random.bounded(30) == 0
                       ? QString()
                       : QStringLiteral("+35840%1").arg(random.bounded(1000000, 1000000 + 5000));
        c.inbound = random.bounded(2);
        c.missed = c.inbound && random.bounded(5) == 0;
        c.start = start;
        c.duration = c.missed ? 0 : 1 + random.bounded(600);
        calls << c;
        start += 600 + random.bounded(3600);
    }
    return calls;
}

QString isoUtc(qint64 secs)
{
    return QDateTime::fromSecsSinceEpoch(secs, Qt::UTC).toString(Qt::ISODate);
}

bool writeText(const QString &path, const QByteArray &content)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
}

bool writeJsonLines(const QString &path, const QVector<Call> &calls)
{
    QByteArray out;
    for (const Call &c : calls)
        out += QStringLiteral("{\"type\":\"call\",\"direction\":\"%1\",\"remote\":\"%2\","
                              "\"account\":\"/org/freedesktop/Telepathy/Account/pulse/tel/pulse\","
                              "\"start\":\"%3\",\"end\":\"%4\",\"missed\":%5,\"read\":true}\n")
                   .arg(c.inbound ? "in" : "out", c.number, isoUtc(c.start),
                        isoUtc(c.start + c.duration), c.missed ? "true" : "false")
                   .toUtf8();
    return writeText(path, out);
}

bool writeAndroid(const QString &path, const QVector<Call> &calls)
{
    QByteArray out = "<?xml version='1.0' encoding='UTF-8' standalone='yes' ?>\n<calls count=\"" +
                     QByteArray::number(calls.size()) + "\">\n";
    for (const Call &c : calls)
        out +=
            QStringLiteral("  <call number=\"%1\" duration=\"%2\" date=\"%3\" type=\"%4\" "
                           "presentation=\"%5\" readable_date=\"\" contact_name=\"(Unknown)\" />\n")
                .arg(c.number)
                .arg(c.duration)
                .arg(c.start * 1000)
                .arg(c.missed    ? 3
                     : c.inbound ? 1
                                 : 2)
                .arg(c.number.isEmpty() ? 2 : 1)
                .toUtf8();
    return writeText(path, out + "</calls>\n");
}

bool writeSqlite(const QString &path, const char *create, const char *insert,
                 const QVector<Call> &calls, bool gnome)
{
    sqlite3 *db = nullptr;
    bool ok = sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK &&
              sqlite3_exec(db, create, nullptr, nullptr, nullptr) == SQLITE_OK &&
              sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_stmt *st = nullptr;
    ok = ok && sqlite3_prepare_v2(db, insert, -1, &st, nullptr) == SQLITE_OK;
    for (int i = 0; ok && i < calls.size(); ++i) {
        const Call &c = calls.at(i);
        QList<QByteArray> texts;
        sqlite3_reset(st);
        auto text = [&](int column, const QString &value) {
            texts << value.toUtf8();
            sqlite3_bind_text(st, column, texts.last().constData(), texts.last().size(),
                              SQLITE_TRANSIENT);
        };
        text(1, c.number);
        if (gnome) {
            sqlite3_bind_int(st, 2, c.inbound);
            text(3, isoUtc(c.start));
            if (c.missed)
                sqlite3_bind_null(st, 4);
            else
                text(4, isoUtc(c.start));
            text(5, isoUtc(c.start + c.duration));
        } else {
            sqlite3_bind_int(st, 2, c.inbound ? 1 : 2);
            text(3, QDateTime::fromSecsSinceEpoch(c.start).toString("yyyy-MM-ddThh:mm:ss.zzz"));
            sqlite3_bind_int(st, 4, c.duration);
        }
        ok = sqlite3_step(st) == SQLITE_DONE;
    }
    sqlite3_finalize(st);
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// Runs one import; returns its time in ms, or -1 when it failed.
double runImport(const QString &db, const QString &format, const QString &file)
{
    QProcess tool;
    QElapsedTimer t;
    t.start();
    tool.start(QStringLiteral(CH_BINARY_DIR "/tools/call-history-store/call-history-store"),
               {"--db", db, "import", "--from", format, file});
    if (!tool.waitForFinished(600000) || tool.exitStatus() != QProcess::NormalExit ||
        tool.exitCode() != 0) {
        std::fprintf(stderr, "bench_import: %s failed: %s\n", qPrintable(format),
                     tool.readAllStandardError().constData());
        return -1;
    }
    return t.nsecsElapsed() / 1e6;
}

double median(QVector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v.at(v.size() / 2);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    const QVector<Call> calls = makeCalls(count);
    struct Format
    {
        const char *name;
        QString file;
    };
    const QVector<Format> formats{{"jsonl", dir.filePath("calls.jsonl")},
                                  {"gnome-calls", dir.filePath("records.db")},
                                  {"plasma-dialer", dir.filePath("calls.sqlite")},
                                  {"android-xml", dir.filePath("calllog.xml")}};
    if (!writeJsonLines(formats[0].file, calls) ||
        !writeSqlite(formats[1].file,
                     "CREATE TABLE calls (id INTEGER PRIMARY KEY, target TEXT NOT NULL DEFAULT '',"
                     " inbound BOOLEAN NOT NULL, start TEXT NOT NULL, answered TEXT, end TEXT,"
                     " protocol TEXT)",
                     "INSERT INTO calls (target, inbound, start, answered, end, protocol)"
                     " VALUES (?1, ?2, ?3, ?4, ?5, 'tel')",
                     calls, true) ||
        !writeSqlite(formats[2].file,
                     "CREATE TABLE History (id INTEGER PRIMARY KEY AUTOINCREMENT, protocol TEXT,"
                     " account TEXT, provider TEXT, communicationWith TEXT, direction INTEGER,"
                     " state INTEGER, stateReason INTEGER, callAttribute INTEGER,"
                     " startedAt TEXT, duration INTEGER)",
                     "INSERT INTO History (protocol, communicationWith, direction, startedAt,"
                     " duration) VALUES ('tel', ?1, ?2, ?3, ?4)",
                     calls, false) ||
        !writeAndroid(formats[3].file, calls)) {
        std::fprintf(stderr, "bench_import: cannot write the files\n");
        return 1;
    }

    QVector<QVector<double>> first(formats.size()), again(formats.size());
    for (int round = 0; round < 3; ++round) {
        for (int f = 0; f < formats.size(); ++f) {
            const QString db = dir.filePath(QStringLiteral("history-%1-%2.db").arg(f).arg(round));
            first[f] << runImport(db, formats[f].name, formats[f].file);
            // A restore from JSON Lines adds everything again: not measured twice.
            if (f > 0)
                again[f] << runImport(db, formats[f].name, formats[f].file);
            QFile::remove(db);
        }
    }
    std::printf("import of %d calls, against the JSON Lines import of the same calls:\n", count);
    const double baseline = median(first[0]);
    for (int f = 0; f < formats.size(); ++f) {
        std::printf("  %-14s into a new history %8.1f ms  ratio %5.2f", formats[f].name,
                    median(first[f]), median(first[f]) / baseline);
        if (f > 0)
            std::printf(";  again (adds nothing) %8.1f ms  ratio %5.2f", median(again[f]),
                        median(again[f]) / baseline);
        std::printf("\n");
    }
    return 0;
}
