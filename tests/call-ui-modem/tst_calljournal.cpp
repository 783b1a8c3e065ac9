#include "calljournal.h"

#include <QDir>
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
        r.endedMs = 1700000009876;
        r.writing = true;
        r.blocked = true;
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
        QTest::newRow("no end time, as an earlier version wrote")
            << with("ended", QJsonValue::Undefined) << true;
        QTest::newRow("end time not whole") << with("ended", 0.5) << false;
        QTest::newRow("time beyond exact doubles") << with("started", 1e300) << false;
        QTest::newRow("flag not boolean") << with("recorded", 1) << false;
        QTest::newRow("no blocked mark, as an earlier version wrote")
            << with("blocked", QJsonValue::Undefined) << true;
        QTest::newRow("blocked mark not boolean") << with("blocked", 1) << false;
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

    // A write that failed loses nothing: the records stay in memory and are written once the
    // file can be written (a folder write-protected by its mode bits counts even for root).
    void shouldWriteAgainOnceItCan()
    {
        const QString folder = m_dir.filePath(QStringLiteral("protected"));
        QVERIFY(QDir().mkpath(folder));
        const QString path = QDir(folder).filePath(QStringLiteral("calls.json"));
        CallJournal journal(path);
        QString error;
        QVERIFY(journal.load(&error));
        const QFile::Permissions open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        QVERIFY(!journal.put(sample()));
        QVERIFY(journal.isDirty());
        QVERIFY(journal.contains(sample().key()));
        QVERIFY(!journal.flush());
        QVERIFY(!QFile::exists(path));
        QVERIFY(QFile::setPermissions(folder, open));
        QVERIFY(journal.flush());
        QVERIFY(!journal.isDirty());
        CallJournal again(path);
        QVERIFY(again.load(&error));
        QVERIFY(again.contains(sample().key()));
    }

    // A record it cannot read costs no other: the records beside it are kept.
    void shouldKeepRecordsBesideOneItCannotRead_data()
    {
        QTest::addColumn<QJsonValue>("bad");
        QJsonObject longPath = sample().toJson();
        longPath.insert(QStringLiteral("call"),
                        sample().callPath + QString(CallRecord::MaxTextLength, QLatin1Char('9')));
        QJsonObject noId = sample().toJson();
        noId.remove(QStringLiteral("uid"));
        QTest::newRow("call path too long") << QJsonValue(longPath);
        QTest::newRow("no id") << QJsonValue(noId);
        QTest::newRow("a number") << QJsonValue(5);
    }
    void shouldKeepRecordsBesideOneItCannotRead()
    {
        QFETCH(QJsonValue, bad);
        CallRecord first = sample();
        CallRecord second = sample();
        second.callPath = QStringLiteral("/org/freedesktop/ModemManager1/Call/4");
        const QByteArray content =
            QJsonDocument(QJsonArray{first.toJson(), bad, second.toJson()}).toJson();
        const QString path = write(content);
        CallJournal journal(path);
        QString error;
        QVERIFY(!journal.load(&error));
        QVERIFY(error.contains(QStringLiteral("1 of its 3 records")));
        QCOMPARE(journal.records().size(), 2);
        QVERIFY(journal.contains(first.key()) && journal.contains(second.key()));
        // The whole file is kept for a person to look at.
        QFile aside(path + QStringLiteral(".damaged"));
        QVERIFY(aside.open(QIODevice::ReadOnly));
        QCOMPARE(aside.readAll(), content);
    }

    // A declined call is missed but seen; records of an earlier version have no such field.
    void shouldKeepWhetherACallWasDeclined_data()
    {
        QTest::addColumn<QString>("field"); // the JSON of "declined", or none
        QTest::addColumn<bool>("readable");
        QTest::addColumn<bool>("declined");
        QTest::newRow("declined") << "true" << true << true;
        QTest::newRow("not declined") << "false" << true << false;
        QTest::newRow("written before the field") << "" << true << false;
        QTest::newRow("not a boolean") << "1" << false << false;
    }
    void shouldKeepWhetherACallWasDeclined()
    {
        QFETCH(QString, field);
        QFETCH(bool, readable);
        QFETCH(bool, declined);
        QJsonObject json = sample().toJson();
        json.remove(QStringLiteral("declined"));
        if (!field.isEmpty())
            json.insert(QStringLiteral("declined"),
                        QJsonDocument::fromJson(("[" + field + "]").toUtf8()).array().first());
        CallRecord read;
        QCOMPARE(CallRecord::fromJson(json, &read), readable);
        QCOMPARE(read.declined, declined);
        // And what it writes reads back alike.
        CallRecord written = sample();
        written.declined = declined;
        QVERIFY(CallRecord::fromJson(written.toJson(), &read));
        QCOMPARE(read.declined, declined);
    }

    // What it writes it reads back: a record with a text longer than a record keeps stays in
    // memory only, and the file stays readable.
    void shouldReadBackWhatItWrites_data()
    {
        QTest::addColumn<QString>("field");
        QTest::newRow("call path") << "call";
        QTest::newRow("modem path") << "modem";
        QTest::newRow("owner") << "owner";
    }
    void shouldReadBackWhatItWrites()
    {
        QFETCH(QString, field);
        const QString path = write("[]");
        CallJournal journal(path);
        QString error;
        QVERIFY(journal.load(&error));
        QVERIFY(journal.put(sample()));
        CallRecord tooLong = sample();
        tooLong.callPath = QStringLiteral("/org/freedesktop/ModemManager1/Call/4");
        const QString text(CallRecord::MaxTextLength + 1, QLatin1Char('9'));
        if (field == QLatin1String("call"))
            tooLong.callPath = text;
        else if (field == QLatin1String("modem"))
            tooLong.modemPath = text;
        else
            tooLong.owner = text;
        QVERIFY(journal.put(tooLong));
        QCOMPARE(journal.leftOut(), 1);
        QVERIFY(journal.contains(tooLong.key()));
        CallJournal again(path);
        QVERIFY2(again.load(&error), qPrintable(error));
        QCOMPARE(again.records().size(), 1);
        QVERIFY(again.contains(sample().key()));
    }

    // Never a call refused for lack of a place: beyond what the file holds, calls are kept in
    // memory, and those not yet in the history have the file's places first.
    void shouldKeepMoreCallsThanTheFileHolds()
    {
        const QString path = write("[]");
        CallJournal journal(path);
        QString error;
        QVERIFY(journal.load(&error));
        CallRecord r = sample();
        r.recorded = true;
        for (int i = 0; i < CallJournal::MaxRecords; ++i) {
            r.callPath = QStringLiteral("/org/freedesktop/ModemManager1/Call/%1").arg(i);
            QVERIFY(journal.put(r));
        }
        QCOMPARE(journal.leftOut(), 0);
        CallRecord unwritten = sample();
        unwritten.callPath = QStringLiteral("/org/freedesktop/ModemManager1/Call/x");
        QVERIFY(journal.put(unwritten));
        QCOMPARE(journal.records().size(), int(CallJournal::MaxRecords) + 1);
        QCOMPARE(journal.leftOut(), 1);
        CallJournal again(path);
        QVERIFY(again.load(&error));
        QCOMPARE(again.records().size(), int(CallJournal::MaxRecords));
        QVERIFY(again.contains(unwritten.key()));
        QVERIFY(!again.record(unwritten.key()).recorded);
    }
};

QTEST_GUILESS_MAIN(TestCallJournal)
#include "tst_calljournal.moc"
