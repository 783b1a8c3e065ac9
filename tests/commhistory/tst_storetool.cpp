#include "eventfilter.h"
#include "eventstore.h"
#include "historyfixture.h"
#include "jsonlinesreader.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

using CommHistory::Event;
using CommHistory::EventFilter;
using CommHistory::EventStore;

class TestStoreTool : public QObject
{
    Q_OBJECT

private:
    static QList<QJsonObject> jsonLines(const QByteArray &out)
    {
        QList<QJsonObject> lines;
        for (const QByteArray &line : out.split('\n'))
            if (!line.isEmpty())
                lines << QJsonDocument::fromJson(line).object();
        return lines;
    }

    static QByteArray withoutIds(const QByteArray &out)
    {
        QByteArray result;
        for (QJsonObject o : jsonLines(out)) {
            o.remove("id");
            result += QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
        }
        return result;
    }

private Q_SLOTS:
    // Each command is its arguments joined by "|"; then "block list" shows what is kept. The
    // exit statuses and the first line of each error, in order.
    void shouldKeepTheBlockList_data()
    {
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QString>("results");
        QTest::addColumn<QString>("listed");
        QTest::newRow("number and prefix") << QStringList{"block|add|+358 40 1234567|+44*"} << "0"
                                           << "+358401234567 +44*";
        QTest::newRow("switches")
            << QStringList{"block|add|withheld|not-in-address-book", "block|days|3"} << "0 0"
            << "withheld not-in-address-book (called within 3 days lets through)";
        QTest::newRow("remove") << QStringList{"block|add|+44*|12345", "block|remove|0044*"}
                                << "0 0"
                                << "12345";
        QTest::newRow("repeat") << QStringList{"block|add|+44*", "block|add|+44*"}
                                << "0 1: +44* is blocked already"
                                << "+44*";
        QTest::newRow("control character") << QStringList{"block|add|12345|bad\x01"}
                                           << "1: bad\x01: holds a control character (U+0001)"
                                           << "";
        QTest::newRow("100 kB") << QStringList{"block|add|" + QString(100 * 1024, '1')}
                                << "1: " + QString(64, '1') +
                                       ": too long (102400 characters; an entry has at most 64)"
                                << "";
        QTest::newRow("days out of range")
            << QStringList{"block|days|400"} << "1: the days of the called-back rule are 0 to 365"
            << "";
        QTest::newRow("unknown") << QStringList{"block|frob"}
                                 << "2: use list, add ENTRY..., remove ENTRY... or days N"
                                 << "";
    }
    void shouldKeepTheBlockList()
    {
        QFETCH(QStringList, commands);
        QFETCH(QString, results);
        QFETCH(QString, listed);
        HistoryFixture f;
        QStringList got;
        for (const QString &command : commands) {
            QByteArray err;
            const int status = f.runTool(command.split('|'), nullptr, &err);
            QString line = QString::number(status);
            if (!err.isEmpty())
                line += ": " + QString::fromUtf8(err.split('\n').first())
                                   .remove("call-history-store: block: ");
            got << line;
        }
        QCOMPARE(got.join(' '), results);
        QByteArray out;
        QCOMPARE(f.runTool({"block", "list"}, &out), 0);
        QCOMPARE(QString::fromUtf8(out).trimmed().replace('\n', ' '), listed);
        // Each row starts from an empty list.
        f.runTool({"block", "remove", "withheld", "not-in-address-book"});
        for (const QString &entry : QString::fromUtf8(out).split('\n'))
            if (!entry.isEmpty() && !entry.startsWith("withheld") && !entry.startsWith("not-in"))
                f.runTool({"block", "remove", entry});
    }

    void shouldAddListAndDeleteACall()
    {
        HistoryFixture f;
        QByteArray out;
        QCOMPARE(f.runTool({"add", "--direction", "out", "--remote", "+358401234567", "--account",
                            "/acc/cell", "--start", "2026-03-01T10:00:00Z", "--duration", "150",
                            "--video", "--read"},
                           &out),
                 0);
        const QByteArray id = out.trimmed();
        QCOMPARE(f.runTool({"list", "--json"}, &out), 0);
        const QList<QJsonObject> rows = jsonLines(out);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0]["id"].toInt(), id.toInt());
        QCOMPARE(rows[0]["direction"].toString(), QString("out"));
        QCOMPARE(rows[0]["end"].toString(), QString("2026-03-01T10:02:30Z"));
        QCOMPARE(rows[0]["video"].toBool(), true);
        QCOMPARE(rows[0]["missed"].toBool(), false);

        QCOMPARE(f.runTool({"list"}, &out), 0);
        QVERIFY(out.contains("+358401234567"));
        QVERIFY(out.contains("dialled"));

        QCOMPARE(f.runTool({"add", "--direction", "in", "--missed", "--start", "now"}, &out), 0);
        QCOMPARE(f.runTool({"list", "--json", "--limit", "1"}, &out), 0);
        const QJsonObject latest = jsonLines(out).value(0);
        QVERIFY(qAbs(QDateTime::fromString(latest["start"].toString(), Qt::ISODate)
                         .secsTo(QDateTime::currentDateTimeUtc())) < 60);
        QCOMPARE(latest["remote"].toString(), QString());
        QCOMPARE(f.runTool({"delete", QString::number(latest["id"].toInt())}), 0);

        QByteArray err;
        QCOMPARE(f.runTool({"delete", "999"}, nullptr, &err), 1);
        QVERIFY(err.contains("no event"));
        QCOMPARE(f.runTool({"delete", QString::fromLatin1(id)}), 0);
        QCOMPARE(f.storedCount(), 0);
    }

    void shouldListWithFiltersAndCollapsing_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("remotes");
        QTest::newRow("all") << QStringList() << "c,a,a,b,a";
        QTest::newRow("missed") << QStringList{"--type", "missed"} << "a,a,a";
        QTest::newRow("grouped") << QStringList{"--grouped"} << "c,a(2),b,a";
        QTest::newRow("grouped with a limit")
            << QStringList{"--grouped", "--limit", "2"} << "c,a(2)";
        QTest::newRow("limit") << QStringList{"--limit", "1"} << "c";
    }

    void shouldListWithFiltersAndCollapsing()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, remotes);
        HistoryFixture f;
        f.addCalls("a/m b/r a/m a/m c/d");
        QByteArray out;
        QCOMPARE(f.runTool(QStringList{"list", "--json"} + args, &out), 0);
        QStringList seen;
        for (const QJsonObject &o : jsonLines(out)) {
            const int count = o["count"].toInt(1);
            seen << o["remote"].toString() + (count > 1 ? QString("(%1)").arg(count) : QString());
        }
        QCOMPARE(seen.join(','), remotes);
    }

    void shouldExportAndImportWithoutLoss()
    {
        HistoryFixture from;
        QCOMPARE(from.runTool({"generate", "500", "--seed", "7"}), 0);
        Event odd = HistoryFixture::call(QString::fromUtf16(u"\"quoted\"\n\u202e\u00e9\U0001F4DE"),
                                         'm', 5, QString::fromUtf16(u"/acc/\u00e4"), false);
        odd.setIsEmergencyCall(true);
        odd.setIsVideoCall(true);
        from.add({odd});
        QByteArray first;
        QCOMPARE(from.runTool({"export"}, &first), 0);
        QCOMPARE(first.count('\n'), 501);

        HistoryFixture to;
        QCOMPARE(to.runTool({"import"}, nullptr, nullptr, first), 0);
        QByteArray second;
        QCOMPARE(to.runTool({"export", to.dir() + "/out.jsonl"}), 0);
        second = HistoryFixture::fileContent(to.dir() + "/out.jsonl");
        QCOMPARE(withoutIds(second), withoutIds(first));
    }

    void shouldRefuseBadInput_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no command") << QStringList() << QByteArray() << 2 << "no command";
        QTest::newRow("unknown command") << QStringList{"frob"} << QByteArray() << 2 << "unknown";
        QTest::newRow("add without direction")
            << QStringList{"add", "--start", "100"} << QByteArray() << 2 << "--direction";
        QTest::newRow("add with a bad time")
            << QStringList{"add", "--direction", "in", "--start", "yesterday"} << QByteArray() << 2
            << "start";
        QTest::newRow("end before start")
            << QStringList{"add", "--direction", "in", "--start", "200", "--end", "100"}
            << QByteArray() << 2 << "before";
        QTest::newRow("import of a broken line")
            << QStringList{"import"}
            << QByteArray("{\"direction\":\"in\",\"start\":\"2026-01-01T00:00:00Z\"}\n{oops\n") << 1
            << "line 2";
        QTest::newRow("import of another event type")
            << QStringList{"import"}
            << QByteArray("{\"type\":\"sms\",\"direction\":\"in\",\"start\":\"100\"}\n") << 1
            << "line 1";
        const QString longNumber(CommHistory::Event::MaxRemoteUidLength + 1, '1');
        QTest::newRow("add with a number longer than the bound")
            << QStringList{"add", "--direction", "in", "--start", "100", "--remote", longNumber}
            << QByteArray() << 2
            << "\"remote\": the number or address has 257 characters, more than the 256";
        QTest::newRow("import of a number longer than the bound")
            << QStringList{"import"}
            << "{\"direction\":\"in\",\"start\":\"100\"}\n{\"direction\":\"in\",\"start\":\"100\","
               "\"remote\":\"" +
                   longNumber.toUtf8() + "\"}\n"
            << 1 << "standard input: line 2: \"remote\": the number or address has 257 characters";
        QTest::newRow("import of an endless line")
            << QStringList{"import"}
            << "{\"direction\":\"in\",\"start\":\"100\"}\n{\"direction\":\"in\",\"remote\":\"" +
                   QByteArray(1 << 20, '1')
            << 1
            << QString("standard input: line 2: longer than %1 bytes")
                   .arg(JsonLinesReader::MaxLineBytes);
        QTest::newRow("generate without a number")
            << QStringList{"generate", "many"} << QByteArray() << 2 << "number";
    }

    void shouldRefuseBadInput()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, input);
        QFETCH(int, status);
        QFETCH(QString, reason);
        HistoryFixture f;
        QByteArray err;
        QCOMPARE(f.runTool(args, nullptr, &err, input), status);
        QVERIFY2(err.contains(reason.toUtf8()), err.constData());
        QVERIFY(f.storedCount() <= 0);
    }

    void shouldRefuseBadFilesWithTheReason_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not a database") << "text"
                                        << "not a call history database";
        QTest::newRow("newer schema") << "newer"
                                      << "newer version";
        QTest::newRow("read-only") << "readonly"
                                   << "cannot be written";
        QTest::newRow("corrupt") << "corrupt"
                                 << "damaged";
    }

    void shouldRefuseBadFilesWithTheReason()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        HistoryFixture f;
        f.makeBadFile(kind);
        const QByteArray before = HistoryFixture::fileContent(f.path());
        for (const QStringList &args :
             {QStringList{"list"}, QStringList{"clear"}, QStringList{"generate", "10"}}) {
            QByteArray err;
            QCOMPARE(f.runTool(args, nullptr, &err), 1);
            QVERIFY2(err.contains(reason.toUtf8()), err.constData());
        }
        QCOMPARE(HistoryFixture::fileContent(f.path()), before);
    }

    void shouldNeverWriteADamagedFile_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("input");
        QTest::newRow("add") << QStringList{"add", "--direction", "in", "--start", "now"}
                             << QByteArray();
        QTest::newRow("import") << QStringList{"import"}
                                << QByteArray("{\"direction\":\"in\",\"start\":\"100\"}\n");
        QTest::newRow("generate") << QStringList{"generate", "10"} << QByteArray();
        QTest::newRow("delete the newest call") << QStringList{"delete", "3000"} << QByteArray();
        QTest::newRow("clear") << QStringList{"clear"} << QByteArray();
    }

    void shouldNeverWriteADamagedFile()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, input);
        HistoryFixture f;
        f.makeBadFile("zeroedpage");
        const QByteArray before = HistoryFixture::fileContent(f.path());
        QByteArray err;
        QCOMPARE(f.runTool(args, nullptr, &err, input), 1);
        QVERIFY2(err.contains("damaged"), err.constData());
        QCOMPARE(HistoryFixture::fileContent(f.path()), before);
    }

    void shouldRefuseEventIdsBeyondItsRange()
    {
        HistoryFixture f;
        f.makeBadFile("hugeid");
        QByteArray err;
        QCOMPARE(f.runTool({"list"}, nullptr, &err), 1);
        QVERIFY2(err.contains("event id 2147483648 is out of the range"), err.constData());
        QCOMPARE(f.runTool({"add", "--direction", "in", "--start", "now"}, nullptr, &err), 1);
        QVERIFY2(err.contains("no event id left"), err.constData());
        QCOMPARE(f.storedCount(), 2);
    }

    void shouldGenerateARealisticHistory()
    {
        HistoryFixture f;
        QCOMPARE(f.runTool({"generate", "3000"}), 0);
        QByteArray out;
        QCOMPARE(f.runTool({"export"}, &out), 0);
        const QList<QJsonObject> calls = jsonLines(out);
        QCOMPARE(calls.size(), 3000);
        int missed = 0, dialled = 0, received = 0, voip = 0, privateNumbers = 0, video = 0;
        QSet<QString> parties;
        qint64 oldest = std::numeric_limits<qint64>::max(), newest = 0;
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        for (const QJsonObject &o : calls) {
            const bool out = o["direction"].toString() == "out";
            missed += o["missed"].toBool();
            dialled += out;
            received += !out && !o["missed"].toBool();
            voip += o["remote"].toString().startsWith("sip:");
            privateNumbers += o["remote"].toString().isEmpty();
            video += o["video"].toBool();
            parties << o["remote"].toString();
            const qint64 t =
                QDateTime::fromString(o["start"].toString(), Qt::ISODate).toSecsSinceEpoch();
            oldest = qMin(oldest, t);
            newest = qMax(newest, t);
        }
        QVERIFY(missed > 150 && dialled > 450 && received > 900);
        QVERIFY(voip > 100 && privateNumbers > 30 && video > 30);
        QVERIFY(parties.size() < 600); // callers come back
        QVERIFY(now - oldest > 300 * 24 * 3600 && now - oldest <= 366 * 24 * 3600);
        QVERIFY(newest <= now && now - newest < 3 * 24 * 3600);
        QByteArray grouped;
        QCOMPARE(f.runTool({"list", "--grouped", "--json"}, &grouped), 0);
        QVERIFY(grouped.count('\n') < 2900); // repeated calls collapse
    }

    void shouldLoseNothingWhenProcessesWriteAtOnce()
    {
        HistoryFixture f;
        QCOMPARE(f.runTool({"list"}), 0); // creates the database
        QList<QProcess *> writers;
        for (int i = 0; i < 4; ++i) {
            auto *p = new QProcess(this);
            p->start(HistoryFixture::toolPath(),
                     {"--db", f.path(), "generate", "2000", "--seed", QString::number(i)});
            writers << p;
        }
        for (int i = 0; i < 2; ++i) {
            for (int n = 0; n < 15; ++n) {
                auto *p = new QProcess(this);
                p->start(HistoryFixture::toolPath(),
                         {"--db", f.path(), "add", "--direction", "in", "--remote",
                          QString("single%1").arg(n), "--start", QString::number(1000 + n)});
                writers << p;
            }
        }
        for (QProcess *p : writers) {
            QVERIFY(p->waitForFinished(60000));
            QCOMPARE(p->exitCode(), 0);
        }
        QCOMPARE(f.storedCount(), 4 * 2000 + 2 * 15);
    }

    void shouldListFiveCallsOfAGeneratedHistory()
    {
        HistoryFixture f;
        QCOMPARE(f.runTool({"generate", "20000"}), 0);
        QByteArray out;
        QCOMPARE(f.runTool({"list", "--limit", "5"}, &out), 0);
        QCOMPARE(out.count('\n'), 5);
    }
};

QTEST_GUILESS_MAIN(TestStoreTool)
#include "tst_storetool.moc"
