#include "eventfilter.h"
#include "eventstore.h"
#include "historyfixture.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include <algorithm>
#include <sqlite3.h>

using CommHistory::Event;

using Rows = QList<QVariantList>;
Q_DECLARE_METATYPE(Rows)

namespace {

// Runs SQL with rows bound to "?" placeholders; a null QVariant is NULL.
bool execRows(sqlite3 *db, const char *create, const char *insert, const Rows &rows)
{
    if (sqlite3_exec(db, create, nullptr, nullptr, nullptr) != SQLITE_OK)
        return false;
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, insert, -1, &st, nullptr) != SQLITE_OK)
        return false;
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (const QVariantList &row : rows) {
        sqlite3_reset(st);
        for (int i = 0; i < row.size(); ++i) {
            const QVariant &v = row.at(i);
            if (v.isNull())
                sqlite3_bind_null(st, i + 1);
            else if (v.type() == QVariant::Int || v.type() == QVariant::LongLong)
                sqlite3_bind_int64(st, i + 1, v.toLongLong());
            else {
                const QByteArray text = v.toString().toUtf8();
                sqlite3_bind_text(st, i + 1, text.constData(), text.size(), SQLITE_TRANSIENT);
            }
        }
        if (sqlite3_step(st) != SQLITE_DONE)
            return false;
    }
    sqlite3_finalize(st);
    return sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
}

// Writes rows in the file layout of format: the columns in the order the importer documents
// (GNOME Calls: target, inbound, start, answered, end; Plasma Dialer: communicationWith,
// direction, startedAt, duration; Android: number, duration, date, type, presentation,
// features, with null for an absent attribute). Other columns, as the programs have them, are
// there too.
QString writeFile(const QString &dir, const QString &format, const Rows &rows)
{
    const QString path = dir + "/source." + format;
    QFile::remove(path);
    if (format == "android-xml") {
        QByteArray xml =
            "<?xml version='1.0' encoding='UTF-8' standalone='yes' ?>\n<calls count=\"" +
            QByteArray::number(rows.size()) + "\">\n";
        static const char *const names[] = {"number", "duration",     "date",
                                            "type",   "presentation", "features"};
        for (const QVariantList &row : rows) {
            xml += "  <call";
            for (int i = 0; i < row.size(); ++i) {
                if (!row.at(i).isNull())
                    xml += QByteArray(" ") + names[i] + "=\"" +
                           row.at(i).toString().toHtmlEscaped().toUtf8() + "\"";
            }
            xml += " readable_date=\"5 Jan 2024 10:00:00\" contact_name=\"(Unknown)\" />\n";
        }
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(xml + "</calls>\n") < 0)
            return QString();
        return path;
    }
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    bool ok;
    if (format == "gnome-calls")
        ok = execRows(db,
                      "CREATE TABLE calls (id INTEGER PRIMARY KEY, target TEXT NOT NULL DEFAULT '',"
                      " inbound BOOLEAN NOT NULL, start TEXT NOT NULL, answered TEXT, end TEXT,"
                      " protocol TEXT)",
                      "INSERT INTO calls (target, inbound, start, answered, end, protocol)"
                      " VALUES (?, ?, ?, ?, ?, 'tel')",
                      rows);
    else
        ok = execRows(db,
                      "CREATE TABLE History (id INTEGER PRIMARY KEY AUTOINCREMENT,"
                      " protocol TEXT, account TEXT, provider TEXT, communicationWith TEXT,"
                      " direction INTEGER, state INTEGER, stateReason INTEGER,"
                      " callAttribute INTEGER, startedAt TEXT, duration INTEGER)",
                      "INSERT INTO History (protocol, communicationWith, direction, startedAt,"
                      " duration) VALUES ('tel', ?, ?, ?, ?)",
                      rows);
    sqlite3_close(db);
    return ok ? path : QString();
}

// The stored calls, oldest first: "kind remote start+seconds", "-" for an empty remote,
// "video" added for video calls.
QString storedCalls(HistoryFixture &f, const QString &account = "/org/freedesktop/Telepathy/"
                                                                "Account/pulse/tel/pulse")
{
    QByteArray out;
    if (f.runTool({"export"}, &out) != 0)
        return "export failed";
    QList<QPair<qint64, QString>> calls;
    for (const QByteArray &line : out.split('\n')) {
        if (line.isEmpty())
            continue;
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        const QDateTime start = QDateTime::fromString(o["start"].toString(), Qt::ISODate);
        const QDateTime end = QDateTime::fromString(o["end"].toString(), Qt::ISODate);
        const QString kind = o["direction"] == "out" ? "dialled"
                             : o["missed"].toBool()  ? "missed"
                                                     : "received";
        const QString remote = o["remote"].toString();
        calls << qMakePair(
            start.toSecsSinceEpoch(),
            QString("%1 %2 %3+%4%5%6")
                .arg(kind, remote.isEmpty() ? "-" : remote, start.toUTC().toString(Qt::ISODate))
                .arg(start.secsTo(end))
                .arg(o["video"].toBool() ? " video" : "")
                .arg(o["account"].toString() == account && o["read"].toBool()
                         ? ""
                         : " (" + o["account"].toString() + ", unread)"));
    }
    std::stable_sort(calls.begin(), calls.end(),
                     [](const QPair<qint64, QString> &a, const QPair<qint64, QString> &b) {
                         return a.first < b.first;
                     });
    QStringList described;
    for (const auto &call : calls)
        described << call.second;
    return described.join("; ");
}

const qint64 Jan5 = 1704448800; // 2024-01-05T10:00:00Z

QString ms(qint64 secs)
{
    return QString::number(secs * 1000 + 250);
}

} // namespace

class TestStoreImport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // Plasma Dialer's local times are read in the importing machine's zone.
        qputenv("TZ", "Europe/Helsinki");
    }

    void shouldImportEachFormatsCalls_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<QString>("calls");
        QTest::newRow("gnome calls: answered, missed, dialled, unanswered")
            << "gnome-calls"
            << Rows{{"+358401", 1, "2024-01-05T10:00:00.123456Z", "2024-01-05T10:00:07Z",
                     "2024-01-05T10:02:07Z"},
                    {"+358402", 1, "2024-01-05T11:00:00Z", QVariant(), "2024-01-05T11:00:20Z"},
                    {"sip:ann@example.org", 0, "2024-01-05T12:00:00+02:00",
                     "2024-01-05T12:00:05+02:00", "2024-01-05T12:01:05+02:00"},
                    {"+358403", 0, "2024-01-05T13:00:00Z", QVariant(), "2024-01-05T13:00:30Z"}}
            << "dialled sip:ann@example.org 2024-01-05T10:00:05Z+60; received +358401 "
               "2024-01-05T10:00:07Z+120; missed +358402 2024-01-05T11:00:00Z+20; dialled +358403 "
               "2024-01-05T13:00:00Z+30";
        QTest::newRow("gnome calls: withheld, no end, time without offset")
            << "gnome-calls"
            << Rows{{"", 1, "2024-01-05T10:00:00Z", QVariant(), "2024-01-05T10:00:10Z"},
                    {" +358401 ", 1, "2024-01-05T11:00:00", "2024-01-05T11:00:02", QVariant()}}
            << "missed - 2024-01-05T10:00:00Z+10; received +358401 2024-01-05T11:00:02Z+0";
        QTest::newRow("plasma dialer: received, missed, dialled, withheld, local time")
            << "plasma-dialer"
            << Rows{{"+358401", 1, "2024-01-05T12:00:00.000", 95},
                    {"+358402", 1, "2024-01-05T13:00:00.000", 0},
                    {"+358403", 2, "2024-01-05T14:00:00.500", 0},
                    {QVariant(), 1, "2024-07-05T12:00:00.000", QVariant()}}
            << "received +358401 2024-01-05T10:00:00Z+95; missed +358402 2024-01-05T11:00:00Z+0; "
               "dialled +358403 2024-01-05T12:00:00Z+0; missed - 2024-07-05T09:00:00Z+0";
        QTest::newRow("plasma dialer: the hour skipped for summer time, an offset given")
            << "plasma-dialer"
            << Rows{{"+358401", 2, "2024-03-31T03:30:00.000", 60},
                    {"+358402", 2, "2024-04-01T12:00:00.000+01:00", 60}}
            << "dialled +358401 2024-03-31T01:30:00Z+60; dialled +358402 2024-04-01T11:00:00Z+60";
        QTest::newRow("android: each type")
            << "android-xml"
            << Rows{{"+358401", 60, ms(Jan5), 1},      {"+358402", 30, ms(Jan5 + 100), 2},
                    {"+358403", 0, ms(Jan5 + 200), 3}, {"+358404", 0, ms(Jan5 + 300), 4},
                    {"+358405", 0, ms(Jan5 + 400), 5}, {"+358406", 0, ms(Jan5 + 500), 6},
                    {"+358407", 12, ms(Jan5 + 600), 7}}
            << "received +358401 2024-01-05T10:00:00Z+60; dialled +358402 2024-01-05T10:01:40Z+30; "
               "missed +358403 2024-01-05T10:03:20Z+0; missed +358404 2024-01-05T10:05:00Z+0; "
               "missed +358405 2024-01-05T10:06:40Z+0; missed +358406 2024-01-05T10:08:20Z+0; "
               "received +358407 2024-01-05T10:10:00Z+12";
        QTest::newRow("android: withheld numbers, no duration, video")
            << "android-xml"
            << Rows{{"-2", 0, ms(Jan5), 3, 2},
                    {"", 0, ms(Jan5 + 100), 3},
                    {"+358401", 0, ms(Jan5 + 200), 3, 3},
                    {"+358402", QVariant(), ms(Jan5 + 300), 2, 1, 1},
                    {"<&\"'>", 5, ms(Jan5 + 400), 1, 1, 0}}
            << "missed - 2024-01-05T10:00:00Z+0; missed - 2024-01-05T10:01:40Z+0; missed - "
               "2024-01-05T10:03:20Z+0; dialled +358402 2024-01-05T10:05:00Z+0 video; received "
               "<&\"'> 2024-01-05T10:06:40Z+5";
    }

    void shouldImportEachFormatsCalls()
    {
        QFETCH(QString, format);
        QFETCH(Rows, rows);
        QFETCH(QString, calls);
        HistoryFixture f;
        const QString file = writeFile(f.dir(), format, rows);
        QVERIFY(!file.isEmpty());
        QByteArray err;
        QCOMPARE(f.runTool({"import", "--from", format, file}, nullptr, &err), 0);
        QVERIFY2(err.contains(QString("added %1 of %1").arg(rows.size()).toUtf8()), err);
        QVERIFY2(!err.contains('%'), err); // no progress for a small file
        QCOMPARE(storedCalls(f), calls);
    }

    void shouldAddOnlyWhatIsNotStoredYet_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<Rows>("first");
        QTest::addColumn<Rows>("second");
        QTest::addColumn<QString>("added");
        const QVariantList g1{"+358401", 1, "2024-01-05T10:00:00Z", QVariant(),
                              "2024-01-05T10:00:10Z"};
        const QVariantList g2{"+358402", 0, "2024-01-05T11:00:00Z", "2024-01-05T11:00:01Z",
                              "2024-01-05T11:00:10Z"};
        QTest::newRow("gnome calls: the same file again")
            << "gnome-calls" << Rows{g1, g2} << Rows{g1, g2} << "0 of 2";
        QTest::newRow("gnome calls: a newer file")
            << "gnome-calls" << Rows{g1} << Rows{g1, g2} << "1 of 2";
        QTest::newRow("gnome calls: a call twice in the file")
            << "gnome-calls" << Rows{g1, g1} << Rows{g1, g2} << "1 of 2";
        const QVariantList p1{"+358401", 2, "2024-01-05T12:00:00.000", 10};
        QVariantList p2 = p1;
        p2[1] = 1; // same time and number, the other direction
        QTest::newRow("plasma dialer: the same file again")
            << "plasma-dialer" << Rows{p1, p2} << Rows{p1, p2} << "0 of 2";
        QTest::newRow("plasma dialer: another direction is another call")
            << "plasma-dialer" << Rows{p1} << Rows{p1, p2} << "1 of 2";
        const QVariantList a1{"+358401", 10, ms(Jan5), 1};
        const QVariantList a2{"-1", 0, ms(Jan5 + 60), 6};
        QTest::newRow("android: the same file again")
            << "android-xml" << Rows{a1, a2} << Rows{a1, a2} << "0 of 2";
        QTest::newRow("android: a newer file")
            << "android-xml" << Rows{a2} << Rows{a1, a2} << "1 of 2";
    }

    void shouldAddOnlyWhatIsNotStoredYet()
    {
        QFETCH(QString, format);
        QFETCH(Rows, first);
        QFETCH(Rows, second);
        QFETCH(QString, added);
        HistoryFixture f;
        QCOMPARE(f.runTool({"import", "--from", format, writeFile(f.dir(), format, first)}), 0);
        const QString before = storedCalls(f);
        const int count = f.storedCount();
        QByteArray out, err;
        const QString file = writeFile(f.dir(), format, second);
        QCOMPARE(f.runTool({"import", "--from", format, "--dry-run", file}, &out, &err), 0);
        QVERIFY2(err.contains("would add " + added.toUtf8()), err);
        QCOMPARE(out.count('\n'), added.section(' ', 0, 0).toInt());
        QCOMPARE(storedCalls(f), before);
        QCOMPARE(f.runTool({"import", "--from", format, file}, nullptr, &err), 0);
        QVERIFY2(err.contains("added " + added.toUtf8()), err);
        QCOMPARE(f.storedCount(), count + added.section(' ', 0, 0).toInt());
        // What the dry run listed is what was added.
        for (const QByteArray &line : out.split('\n'))
            if (!line.isEmpty())
                QVERIFY2(storedCalls(f).contains(
                             QJsonDocument::fromJson(line).object()["start"].toString()),
                         line);
    }

    void shouldKeepCallsOfOtherAccountsApart()
    {
        HistoryFixture f;
        const QString file = writeFile(f.dir(), "android-xml", Rows{{"+358401", 10, ms(Jan5), 1}});
        QCOMPARE(f.runTool({"import", "--from", "android-xml", file}), 0);
        QByteArray err;
        QCOMPARE(f.runTool({"import", "--from", "android-xml", "--account", "/acc/second", file},
                           nullptr, &err),
                 0);
        QVERIFY2(err.contains("added 1 of 1"), err);
        QCOMPARE(storedCalls(f, "/acc/second"),
                 "received +358401 2024-01-05T10:00:00Z+10 (/org/freedesktop/Telepathy/Account/"
                 "pulse/tel/pulse, unread); received +358401 2024-01-05T10:00:00Z+10");
    }

    void shouldAddEachCallOnceWhenImportsRunAtOnce()
    {
        HistoryFixture f;
        QCOMPARE(f.runTool({"list"}), 0); // creates the database
        Rows rows;
        for (int i = 0; i < 3000; ++i)
            rows << QVariantList{"+3584" + QString::number(i % 50), 10, ms(Jan5 + i * 60), 1};
        const QString file = writeFile(f.dir(), "android-xml", rows);
        QList<QProcess *> imports;
        for (int i = 0; i < 3; ++i) {
            auto *p = new QProcess(this);
            p->start(HistoryFixture::toolPath(),
                     {"--db", f.path(), "import", "--from", "android-xml", file});
            imports << p;
        }
        for (QProcess *p : imports) {
            QVERIFY(p->waitForFinished(60000));
            QCOMPARE(p->exitCode(), 0);
        }
        QCOMPARE(f.storedCount(), 3000);
    }

    void shouldRefuseWhatItCannotReadAndAddNothing_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<QByteArray>("raw"); // the file's content instead of rows
        QTest::addColumn<QString>("reason");
        const QVariantList good{"+358401", 1, "2024-01-05T10:00:00Z", QVariant(),
                                "2024-01-05T10:00:10Z"};
        QTest::newRow("gnome calls: a bad date")
            << "gnome-calls" << Rows{good, {"+358402", 1, "yesterday", QVariant(), QVariant()}}
            << QByteArray()
            << "table \"calls\", row 2 (rowid 2): \"start\" is not an ISO 8601 time: yesterday";
        QTest::newRow("gnome calls: inbound not a flag")
            << "gnome-calls"
            << Rows{good,
                    good,
                    {"+358402", "maybe", "2024-01-05T10:00:00Z", QVariant(), QVariant()}}
            << QByteArray() << "row 3 (rowid 3): \"inbound\" is not a whole number";
        QTest::newRow("gnome calls: ends before it starts")
            << "gnome-calls"
            << Rows{{"+358402", 0, "2024-01-05T10:00:00Z", QVariant(), "2024-01-05T09:00:00Z"}}
            << QByteArray() << "row 1 (rowid 1): the call ends before it starts";
        QTest::newRow("gnome calls: a Plasma Dialer file")
            << "gnome-calls" << Rows() << QByteArray("plasma-dialer")
            << "no table \"calls\" in this database";
        QTest::newRow("gnome calls: a table without a column")
            << "gnome-calls" << Rows()
            << QByteArray("sql:CREATE TABLE calls (target, inbound, start, end)")
            << "table \"calls\" has no column \"answered\"";
        QTest::newRow("gnome calls: not a database")
            << "gnome-calls" << Rows() << QByteArray("target,inbound\n+358401,1\n")
            << "not an SQLite database";
        QTest::newRow("gnome calls: an empty file")
            << "gnome-calls" << Rows() << QByteArray("empty") << "no table \"calls\"";
        QTest::newRow("plasma dialer: a bad direction")
            << "plasma-dialer"
            << Rows{{"+358401", 1, "2024-01-05T12:00:00.000", 5},
                    {"+358401", 3, "2024-01-05T12:00:00.000", 5}}
            << QByteArray() << "table \"History\", row 2 (rowid 2): \"direction\" must be 1";
        QTest::newRow("plasma dialer: a bad time")
            << "plasma-dialer" << Rows{{"+358401", 1, "12:00 yesterday", 5}} << QByteArray()
            << "row 1 (rowid 1): \"startedAt\" is not a time: 12:00 yesterday";
        QTest::newRow("plasma dialer: a negative duration")
            << "plasma-dialer" << Rows{{"+358401", 1, "2024-01-05T12:00:00.000", -5}}
            << QByteArray() << "\"duration\" is not a call's length";
        QTest::newRow("android: malformed XML")
            << "android-xml" << Rows()
            << QByteArray("<calls>\n<call number=\"1\" date=\"1\" type=\"1\"/>\n<call number=\"2\" "
                          "date=\"1\" type=\"1\">\n</calls>\n")
            << "line 4: ";
        QTest::newRow("android: a cut file")
            << "android-xml" << Rows()
            << QByteArray("<calls>\n<call number=\"1\" date=\"1000\" type=\"1\"/>\n<call num")
            << "line 3: ";
        QTest::newRow("android: another root")
            << "android-xml" << Rows()
            << QByteArray("<?xml version='1.0'?>\n<smses><sms address=\"1\"/></smses>")
            << "line 2: not an Android call log: the root element is <smses>";
        QTest::newRow("android: a call without a date")
            << "android-xml" << Rows{{"+358401", 10, ms(Jan5), 1}, {"+358402", 10, QVariant(), 1}}
            << QByteArray() << "line 4: a call without \"date\"";
        QTest::newRow("android: an unknown type")
            << "android-xml" << Rows{{"+358401", 10, ms(Jan5), 9}} << QByteArray()
            << "line 3: unknown call type 9";
        QTest::newRow("android: a date that is no number")
            << "android-xml" << Rows{{"+358401", 10, "5 Jan 2024", 1}} << QByteArray()
            << "line 3: \"date\" is not a whole number: 5 Jan 2024";
        QTest::newRow("android: not XML")
            << "android-xml" << Rows() << QByteArray("\x01\x02") << "line 1: ";
        QTest::newRow("a missing file")
            << "plasma-dialer" << Rows() << QByteArray("missing") << "no such file";
    }

    void shouldRefuseWhatItCannotReadAndAddNothing()
    {
        QFETCH(QString, format);
        QFETCH(Rows, rows);
        QFETCH(QByteArray, raw);
        QFETCH(QString, reason);
        HistoryFixture f;
        f.addCalls("a/m b/r");
        const QString before = storedCalls(f, "/acc/cell");
        QString file = f.dir() + "/source";
        if (raw.isEmpty()) {
            file = writeFile(f.dir(), format, rows);
        } else if (raw == "plasma-dialer") {
            file = writeFile(f.dir(), "plasma-dialer", Rows());
        } else if (raw.startsWith("sql:")) {
            sqlite3 *db = nullptr;
            sqlite3_open(QFile::encodeName(file).constData(), &db);
            QCOMPARE(sqlite3_exec(db, raw.mid(4).constData(), nullptr, nullptr, nullptr),
                     SQLITE_OK);
            sqlite3_close(db);
        } else if (raw == "missing") {
            file += ".missing";
        } else {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(raw == "empty" ? QByteArray() : raw);
        }
        QByteArray out, err;
        QCOMPARE(f.runTool({"import", "--from", format, file}, &out, &err), 1);
        QVERIFY2(err.contains(reason.toUtf8()), err);
        QVERIFY2(err.contains("nothing imported"), err);
        QCOMPARE(out, QByteArray());
        QCOMPARE(storedCalls(f, "/acc/cell"), before);
        QCOMPARE(f.runTool({"import", "--from", format, "--dry-run", file}, &out, &err), 1);
        QVERIFY2(err.contains(reason.toUtf8()), err);
    }

    void shouldShowProgressForLargeFilesOnly_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("calls");
        QTest::addColumn<bool>("shown");
        for (const char *format : {"gnome-calls", "plasma-dialer", "android-xml"}) {
            QTest::addRow("%s, 20000 calls", format) << format << 20000 << true;
            QTest::addRow("%s, 500 calls", format) << format << 500 << false;
        }
    }

    void shouldShowProgressForLargeFilesOnly()
    {
        QFETCH(QString, format);
        QFETCH(int, calls);
        QFETCH(bool, shown);
        HistoryFixture f;
        Rows rows;
        for (int i = 0; i < calls; ++i) {
            const QDateTime t = QDateTime::fromSecsSinceEpoch(Jan5 + i * 600, Qt::UTC);
            if (format == "gnome-calls")
                rows << QVariantList{"+3584" + QString::number(i % 97), i % 2,
                                     t.toString(Qt::ISODate), QVariant(),
                                     t.addSecs(20).toString(Qt::ISODate)};
            else if (format == "plasma-dialer")
                rows << QVariantList{"+3584" + QString::number(i % 97), 1 + i % 2,
                                     t.toString("yyyy-MM-ddThh:mm:ss.zzz"), i % 300};
            else
                rows << QVariantList{"+3584" + QString::number(i % 97), i % 300, ms(Jan5 + i * 600),
                                     1 + i % 3};
        }
        const QString file = writeFile(f.dir(), format, rows);
        QByteArray err;
        QCOMPARE(f.runTool({"import", "--from", format, file}, nullptr, &err), 0);
        QCOMPARE(err.contains(QString("reading %1: 100%").arg(file).toUtf8()), shown);
        QCOMPARE(err.contains(QString("reading %1: 50%").arg(file).toUtf8()), shown);
        QVERIFY2(err.contains(QString("added %1 of %1").arg(calls).toUtf8()), err);
        QCOMPARE(f.storedCount(), calls);
    }

    void shouldRefuseBadOptions_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("reason");
        QTest::newRow("unknown format") << QStringList{"import", "--from", "nokia", "x"}
                                        << "--from must be one of jsonl, gnome-calls";
        QTest::newRow("no file") << QStringList{"import", "--from", "gnome-calls"}
                                 << "needs a file";
        QTest::newRow("two files")
            << QStringList{"import", "--from", "gnome-calls", "a", "b"} << "one file";
        QTest::newRow("account not a path")
            << QStringList{"import", "--from", "gnome-calls", "--account", "ring", "a"}
            << "--account needs an account path";
    }

    void shouldRefuseBadOptions()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, reason);
        HistoryFixture f;
        QByteArray err;
        QCOMPARE(f.runTool(args, nullptr, &err), 2);
        QVERIFY2(err.contains(reason.toUtf8()), err);
    }
};

QTEST_GUILESS_MAIN(TestStoreImport)
#include "tst_storeimport.moc"
