#include "androidcalllogreader.h"
#include "eventfilter.h"
#include "eventstore.h"
#include "historyfixture.h"
#include "jsonlinesreader.h"
#include "sqlitecallreader.h"

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
// there too; the protocol is "tel" unless a GNOME Calls or Plasma Dialer row gives it last.
QString writeFile(const QString &dir, const QString &format, Rows rows)
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
    const int columns = format == "gnome-calls" ? 5 : 4;
    for (QVariantList &row : rows)
        if (row.size() == columns)
            row << "tel";
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    bool ok;
    if (format == "gnome-calls")
        ok = execRows(db,
                      "CREATE TABLE calls (id INTEGER PRIMARY KEY, target TEXT NOT NULL DEFAULT '',"
                      " inbound BOOLEAN NOT NULL, start TEXT NOT NULL, answered TEXT, end TEXT,"
                      " protocol TEXT)",
                      "INSERT INTO calls (target, inbound, start, answered, end, protocol)"
                      " VALUES (?, ?, ?, ?, ?, ?)",
                      rows);
    else
        ok = execRows(db,
                      "CREATE TABLE History (id INTEGER PRIMARY KEY AUTOINCREMENT,"
                      " protocol TEXT, account TEXT, provider TEXT, communicationWith TEXT,"
                      " direction INTEGER, state INTEGER, stateReason INTEGER,"
                      " callAttribute INTEGER, startedAt TEXT, duration INTEGER)",
                      "INSERT INTO History (communicationWith, direction, startedAt, duration,"
                      " protocol) VALUES (?, ?, ?, ?, ?)",
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

const QString Cellular = "/org/freedesktop/Telepathy/Account/pulse/tel/pulse";

// A line of the store tool's own format padded with blanks to length bytes.
QByteArray jsonLine(int length, const QString &remote = "+358401")
{
    QByteArray line = "{\"direction\":\"in\",\"start\":\"2024-01-05T10:00:00Z\",\"remote\":\"" +
                      remote.toUtf8() + "\"";
    return line + QByteArray(length - line.size() - 1, ' ') + '}';
}

// An Android call log of one call whose tag carries a contact name of nameLength characters.
QByteArray androidLogWithName(int nameLength)
{
    return "<calls>\n<call number=\"+358401\" date=\"" + ms(Jan5).toUtf8() +
           "\" type=\"1\" contact_name=\"" + QByteArray(nameLength, 'n') + "\"/>\n</calls>\n";
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

    void shouldPutInternetCallsOnTheirOwnAccountOnly_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("calls");
        QTest::addColumn<QString>("summary");
        const Rows gnome{
            {"+358401", 1, "2024-01-05T10:00:00Z", QVariant(), "2024-01-05T10:00:10Z", "tel"},
            {"sip:ann@example.org", 0, "2024-01-05T11:00:00Z", "2024-01-05T11:00:01Z",
             "2024-01-05T11:00:31Z", "sip"},
            {"bob@example.org", 1, "2024-01-05T12:00:00Z", "2024-01-05T12:00:02Z",
             "2024-01-05T12:00:12Z", "SIPS"},
            {"sip:eve@example.org", 1, "2024-01-05T13:00:00Z", QVariant(), "2024-01-05T13:00:05Z",
             QVariant()},
            {"+358402", 0, "2024-01-05T14:00:00Z", QVariant(), "2024-01-05T14:00:20Z", ""},
            {"+358403", 1, "2024-01-05T15:00:00Z", QVariant(), "2024-01-05T15:00:09Z", "xmpp"}};
        const QString otherSkipped = "; skipped 1 calls of other protocols than tel and sip";
        QTest::newRow("gnome calls: no VoIP account")
            << "gnome-calls" << gnome << QStringList() << "+358401 on cellular; +358402 on cellular"
            << "2 of 2 calls; skipped 3 SIP calls (no --voip-account given)" + otherSkipped;
        QTest::newRow("gnome calls: a VoIP account")
            << "gnome-calls" << gnome << QStringList{"--voip-account", "/acc/voip"}
            << "+358401 on cellular; sip:ann@example.org on /acc/voip; bob@example.org on "
               "/acc/voip; sip:eve@example.org on /acc/voip; +358402 on cellular"
            << "5 of 5 calls" + otherSkipped;
        const Rows plasma{{"+358401", 1, "2024-01-05T12:00:00.000", 10, "tel"},
                          {"sip:ann@example.org", 2, "2024-01-05T13:00:00.000", 30, "sip"},
                          {"sip:eve@example.org", 1, "2024-01-05T14:00:00.000", 0, QVariant()},
                          {"+358403", 1, "2024-01-05T15:00:00.000", 9, "xmpp"}};
        QTest::newRow("plasma dialer: no VoIP account")
            << "plasma-dialer" << plasma << QStringList() << "+358401 on cellular"
            << "1 of 1 calls; skipped 2 SIP calls (no --voip-account given)" + otherSkipped;
        QTest::newRow("plasma dialer: a VoIP account, a second cellular account")
            << "plasma-dialer" << plasma
            << QStringList{"--voip-account", "/acc/voip", "--account", "/acc/sim2"}
            << "+358401 on /acc/sim2; sip:ann@example.org on /acc/voip; sip:eve@example.org on "
               "/acc/voip"
            << "3 of 3 calls" + otherSkipped;
    }

    void shouldPutInternetCallsOnTheirOwnAccountOnly()
    {
        QFETCH(QString, format);
        QFETCH(Rows, rows);
        QFETCH(QStringList, options);
        QFETCH(QString, calls);
        QFETCH(QString, summary);
        HistoryFixture f;
        const QString file = writeFile(f.dir(), format, rows);
        QByteArray out, err;
        QCOMPARE(f.runTool(QStringList{"import", "--from", format, "--dry-run", file} + options,
                           &out, &err),
                 0);
        QVERIFY2(err.contains("would add " + summary.toUtf8() + '\n'), err);
        QCOMPARE(f.runTool(QStringList{"import", "--from", format, file} + options, nullptr, &err),
                 0);
        QVERIFY2(err.contains("added " + summary.toUtf8() + '\n'), err);
        QCOMPARE(f.runTool({"export"}, &out), 0);
        QStringList stored;
        for (const QByteArray &line : out.split('\n')) {
            const QJsonObject o = QJsonDocument::fromJson(line).object();
            if (!o.isEmpty())
                stored << o["remote"].toString() + " on " +
                              (o["account"] == Cellular ? "cellular" : o["account"].toString());
        }
        QCOMPARE(stored.join("; "), calls);
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
        const QString longNumber(Event::MaxRemoteUidLength + 1, '1');
        const QString tooLong = "the number or address has 257 characters, more than the 256";
        QTest::newRow("gnome calls: a number longer than the bound")
            << "gnome-calls"
            << Rows{good, {longNumber, 1, "2024-01-05T10:00:00Z", QVariant(), QVariant()}}
            << QByteArray() << "row 2 (rowid 2): " + tooLong;
        QTest::newRow("plasma dialer: a number longer than the bound")
            << "plasma-dialer" << Rows{{longNumber, 1, "2024-01-05T12:00:00.000", 5}}
            << QByteArray() << "row 1 (rowid 1): " + tooLong;
        QTest::newRow("android: a number longer than the bound")
            << "android-xml" << Rows{{"+358401", 10, ms(Jan5), 1}, {longNumber, 10, ms(Jan5), 1}}
            << QByteArray() << "line 4: " + tooLong;
        QTest::newRow("jsonl: a number longer than the bound")
            << "jsonl" << Rows() << jsonLine(400) + '\n' + jsonLine(400, longNumber) + '\n'
            << "source: line 2: \"remote\": " + tooLong;
        QTest::newRow("jsonl: a line longer than the bound")
            << "jsonl" << Rows()
            << jsonLine(100) + '\n' + jsonLine(JsonLinesReader::MaxLineBytes + 1) + '\n'
            << QString("source: line 2: longer than %1 bytes").arg(JsonLinesReader::MaxLineBytes);
        QTest::newRow("jsonl: a last line longer than the bound, without a line break")
            << "jsonl" << Rows() << jsonLine(JsonLinesReader::MaxLineBytes + 1)
            << QString("source: line 1: longer than %1 bytes").arg(JsonLinesReader::MaxLineBytes);
        QTest::newRow("gnome calls: a start in year 1")
            << "gnome-calls"
            << Rows{{"+358401", 1, "0001-01-01T00:00:00Z", QVariant(), "0001-01-01T00:00:10Z"}}
            << QByteArray()
            << "row 1 (rowid 1): the call starts before 1970 (0001-01-01T00:00:00Z)";
        QTest::newRow("gnome calls: a start in 1900")
            << "gnome-calls"
            << Rows{good, {"+358401", 1, "1900-06-01T10:00:00Z", QVariant(), QVariant()}}
            << QByteArray() << "row 2 (rowid 2): the call starts before 1970";
        QTest::newRow("gnome calls: an end in 9999")
            << "gnome-calls"
            << Rows{{"+358401", 0, "2024-01-05T10:00:00Z", QVariant(), "9999-01-05T10:00:00Z"}}
            << QByteArray()
            << "row 1 (rowid 1): the call lasts 251666697600 seconds, longer than "
               "the 100 days a call may last";
        QTest::newRow("plasma dialer: a start in year 1")
            << "plasma-dialer" << Rows{{"+358401", 2, "0001-01-01T12:00:00.000", 5}} << QByteArray()
            << "row 1 (rowid 1): the call starts before 1970";
        QTest::newRow("plasma dialer: a call of 100 days and a second")
            << "plasma-dialer" << Rows{{"+358401", 2, "2024-01-05T12:00:00.000", 8640001}}
            << QByteArray() << "row 1 (rowid 1): the call lasts 8640001 seconds";
        QTest::newRow("android: a start before 1970")
            << "android-xml" << Rows{{"+358401", 10, "-1", 1}} << QByteArray()
            << "line 3: the call starts before 1970 (1969-12-31T23:59:59Z)";
        QTest::newRow("android: a call of 100 days and a second")
            << "android-xml" << Rows{{"+358401", 8640001, ms(Jan5), 1}} << QByteArray()
            << "line 3: the call lasts 8640001 seconds";
        const QByteArray otherRows = "CREATE TABLE log (target, inbound, start, answered, end);"
                                     "INSERT INTO log VALUES ('+358401', 1, "
                                     "'2024-01-05T10:00:00Z', NULL, NULL);";
        QTest::newRow("gnome calls: a view")
            << "gnome-calls" << Rows()
            << "sql:" + otherRows + "CREATE VIEW calls AS SELECT * FROM log"
            << "\"calls\" is a view, not a table";
        QTest::newRow("gnome calls: a view with a recursive WITH that never ends")
            << "gnome-calls" << Rows()
            << QByteArray("sql:CREATE VIEW calls AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
                          "SELECT i + 1 FROM n) SELECT '+358' || i AS target, 1 AS inbound, "
                          "'2024-01-05T10:00:00Z' AS start, NULL AS answered, NULL AS end FROM n")
            << "\"calls\" is a view, not a table";
        QTest::newRow("plasma dialer: a virtual table")
            << "plasma-dialer" << Rows()
            << QByteArray("sql:CREATE VIRTUAL TABLE History USING fts5(communicationWith, "
                          "direction, startedAt, duration);"
                          "INSERT INTO History VALUES ('+358401', 1, '2024-01-05T12:00:00', 5)")
            << "\"History\" is a virtual table, not a table";
        QTest::newRow("gnome calls: a computed number")
            << "gnome-calls" << Rows()
            << QByteArray("sql:CREATE TABLE calls (target AS (printf('%.*c', 300, '1')), inbound,"
                          " start, answered, end);"
                          "INSERT INTO calls (inbound, start) VALUES (1, '2024-01-05T10:00:00Z')")
            << "column \"target\" of table \"calls\" is computed, not stored";
        QTest::newRow("gnome calls: a value longer than the bound")
            << "gnome-calls" << Rows()
            << QString("sql:CREATE TABLE calls (target, inbound, start, answered, end);"
                       "INSERT INTO calls VALUES ('+358401', 1, '2024-01-05T10:00:00Z', NULL, "
                       "NULL), (1, 1, '2024-01-05T11:00:00Z', printf('%.*c', %1, '1'), NULL)")
                   .arg(SqliteCallReader::MaxValueBytes + 1)
                   .toUtf8()
            << QString("table \"calls\", row 2: a value longer than %1 bytes")
                   .arg(SqliteCallReader::MaxValueBytes);
        QTest::newRow("android: a DTD")
            << "android-xml" << Rows()
            << QByteArray("<?xml version='1.0'?>\n<!DOCTYPE calls [<!ENTITY n \"+358401\">]>\n"
                          "<calls><call number=\"&n;\" date=\"1704448800000\" type=\"1\"/></calls>")
            << "line 2: a document type declaration (DTD)";
        QTest::newRow("android: an entity of 4,000 characters referenced 50,000 times")
            << "android-xml" << Rows()
            << "<!DOCTYPE calls [<!ENTITY e \"" + QByteArray(4000, '1') +
                   "\">]>\n<calls><call date=\"1704448800000\" type=\"1\" number=\"" +
                   QByteArray("&e;").repeated(50000) + "\"/></calls>"
            << "line 1: a document type declaration (DTD)";
        // The tag is read 4 KiB at a time: the bound holds to within that.
        QTest::newRow("android: a tag longer than the bound")
            << "android-xml" << Rows()
            << androidLogWithName(AndroidCallLogReader::MaxMarkupBytes + 8192)
            << QString("line 2: a tag, text or comment longer than %1 bytes")
                   .arg(AndroidCallLogReader::MaxMarkupBytes);
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

    void shouldTakeWhatIsWithinTheBounds_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<QByteArray>("raw"); // the file's content instead of rows
        const QString number(Event::MaxRemoteUidLength, '1');
        QTest::newRow("gnome calls: a number as long as the bound")
            << "gnome-calls"
            << Rows{{number, 1, "2024-01-05T10:00:00Z", QVariant(), "2024-01-05T10:00:10Z"}}
            << QByteArray();
        QTest::newRow("plasma dialer: a number as long as the bound")
            << "plasma-dialer" << Rows{{number, 1, "2024-01-05T12:00:00.000", 5}} << QByteArray();
        QTest::newRow("android: a number as long as the bound")
            << "android-xml" << Rows{{number, 10, ms(Jan5), 1}} << QByteArray();
        QTest::newRow("jsonl: a line as long as the bound, a number as long as the bound")
            << "jsonl" << Rows() << jsonLine(JsonLinesReader::MaxLineBytes, number) + '\n';
        QTest::newRow("jsonl: a last line as long as the bound, without a line break")
            << "jsonl" << Rows() << jsonLine(JsonLinesReader::MaxLineBytes);
        QTest::newRow("gnome calls: a call of 100 days from the start of 1970")
            << "gnome-calls"
            << Rows{{"+358401", 1, "1970-01-01T00:00:00Z", QVariant(), "1970-04-11T00:00:00Z"}}
            << QByteArray();
        QTest::newRow("android: a call of 100 days")
            << "android-xml" << Rows{{"+358401", 8640000, ms(Jan5), 1}} << QByteArray();
        QTest::newRow("android: a tag within the bound")
            << "android-xml" << Rows()
            << androidLogWithName(AndroidCallLogReader::MaxMarkupBytes - 8192);
    }

    void shouldTakeWhatIsWithinTheBounds()
    {
        QFETCH(QString, format);
        QFETCH(Rows, rows);
        QFETCH(QByteArray, raw);
        HistoryFixture f;
        QString file = f.dir() + "/source";
        if (raw.isEmpty()) {
            file = writeFile(f.dir(), format, rows);
        } else {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            QCOMPARE(out.write(raw), qint64(raw.size()));
        }
        QByteArray err;
        QCOMPARE(f.runTool({"import", "--from", format, file}, nullptr, &err), 0);
        QVERIFY2(err.contains("added 1 of 1 calls\n"), err);
        QCOMPARE(f.storedCount(), 1);
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
        QTest::newRow("VoIP account not a path")
            << QStringList{"import", "--from", "gnome-calls", "--voip-account", "sip", "a"}
            << "--voip-account needs an account path";
        QTest::newRow("VoIP account the cellular one")
            << QStringList{"import", "--from", "gnome-calls", "--voip-account", Cellular, "a"}
            << "--voip-account must name another account";
        QTest::newRow("VoIP account the one given for cellular calls")
            << QStringList{"import",    "--from",         "plasma-dialer", "--account",
                           "/acc/sim2", "--voip-account", "/acc/sim2",     "a"}
            << "--voip-account must name another account";
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
