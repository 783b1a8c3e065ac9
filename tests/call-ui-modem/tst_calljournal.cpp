#include "calljournal.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

// The journal of the modem call-UI service: what it keeps across a restart, and that a file it
// did not write whole is set aside instead of being trusted.
class TestCallJournal : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    static CallRecord sample()
    {
        CallRecord r;
        r.uid = QStringLiteral("modemcall-1-2-3");
        r.owner = QStringLiteral(":1.42");
        r.modemPath = QStringLiteral("/org/freedesktop/ModemManager1/Modem/0");
        r.callPath = QStringLiteral("/org/freedesktop/ModemManager1/Call/3");
        r.direction = CallRecord::Incoming;
        r.number = QStringLiteral("+358401234567");
        r.accountPath = QStringLiteral("/org/freedesktop/Telepathy/Account/pulse/tel/pulse");
        r.startedMs = 1700000000123;
        r.answeredMs = 1700000004567;
        r.writing = true;
        return r;
    }

    QString write(const QByteArray &content)
    {
        const QString path = m_dir.filePath(QStringLiteral("calls.json"));
        QFile::remove(path);
        QFile::remove(path + QStringLiteral(".damaged"));
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(content);
        return path;
    }

private Q_SLOTS:
    void shouldKeepEveryFieldAcrossRestart()
    {
        const QString path = write(QByteArray());
        QFile::remove(path);
        {
            CallJournal journal(path);
            QString error;
            QVERIFY(journal.load(&error));
            QVERIFY(journal.put(sample()));
        }
        CallJournal again(path);
        QString error;
        QVERIFY(again.load(&error));
        QCOMPARE(again.records().size(), 1);
        const CallRecord r = again.record(sample().key());
        QCOMPARE(QJsonDocument(r.toJson()).toJson(), QJsonDocument(sample().toJson()).toJson());
    }

    void shouldSetAsideFileItDidNotWrite_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("accepted");
        auto with = [](const char *field, const QJsonValue &value) {
            QJsonObject o = sample().toJson();
            if (value.isUndefined())
                o.remove(QLatin1String(field));
            else
                o.insert(QLatin1String(field), value);
            return QJsonDocument(QJsonArray{o}).toJson();
        };
        QTest::newRow("empty file") << QByteArray() << false;
        QTest::newRow("empty list") << QByteArray("[]") << true;
        QTest::newRow("a record") << with("uid", sample().uid) << true;
        QTest::newRow("not JSON") << QByteArray("calls") << false;
        QTest::newRow("an object") << QByteArray("{}") << false;
        QTest::newRow("a number in the list") << QByteArray("[5]") << false;
        QTest::newRow("no id") << with("uid", QJsonValue::Undefined) << false;
        QTest::newRow("empty id") << with("uid", QString()) << false;
        QTest::newRow("no call path") << with("call", QString()) << false;
        QTest::newRow("id not text") << with("uid", 5) << false;
        QTest::newRow("direction out of range") << with("direction", 3) << false;
        QTest::newRow("direction not whole") << with("direction", 1.5) << false;
        QTest::newRow("negative time") << with("started", -1) << false;
        QTest::newRow("time not whole") << with("answered", 0.5) << false;
        QTest::newRow("time beyond exact doubles") << with("started", 1e300) << false;
        QTest::newRow("flag not boolean") << with("recorded", 1) << false;
        QTest::newRow("text too long") << with("number", QString(600, QLatin1Char('1'))) << false;
    }
    void shouldSetAsideFileItDidNotWrite()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, accepted);
        const QString path = write(content);
        CallJournal journal(path);
        QString error;
        QCOMPARE(journal.load(&error), accepted);
        QCOMPARE(QFile::exists(path + QStringLiteral(".damaged")), !accepted);
        if (!accepted) {
            QVERIFY(journal.records().isEmpty());
            QVERIFY(error.contains(QStringLiteral(".damaged")));
            // The file set aside is the one found.
            QFile aside(path + QStringLiteral(".damaged"));
            QVERIFY(aside.open(QIODevice::ReadOnly));
            QCOMPARE(aside.readAll(), content);
        }
    }

    void shouldRefuseMoreCallsThanItHolds()
    {
        const QString path = write("[]");
        CallJournal journal(path);
        QString error;
        QVERIFY(journal.load(&error));
        CallRecord r = sample();
        for (int i = 0; i < CallJournal::MaxRecords; ++i) {
            r.callPath = QStringLiteral("/org/freedesktop/ModemManager1/Call/%1").arg(i);
            QVERIFY(journal.put(r));
        }
        r.callPath = QStringLiteral("/org/freedesktop/ModemManager1/Call/x");
        QVERIFY(!journal.put(r));
        // A call it holds can still change.
        r.callPath = QStringLiteral("/org/freedesktop/ModemManager1/Call/0");
        r.recorded = true;
        QVERIFY(journal.put(r));
        CallJournal again(path);
        QVERIFY(again.load(&error));
        QCOMPARE(again.records().size(), int(CallJournal::MaxRecords));
        QVERIFY(again.record(r.key()).recorded);
    }
};

QTEST_GUILESS_MAIN(TestCallJournal)
#include "tst_calljournal.moc"
