#include "callhistoryvoicemail.h"
#include "contactsengine.h"
#include "mgconfitem.h"
#include "voicemailstore.h"

#include <QtContacts/QContactGuid>
#include <QtContacts/QContactPhoneNumber>

#include <QDBusConnection>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace QtContacts;

// The voicemail number service over the real voicemail stand-in and address book.
class TestCallHistoryVoicemail : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QScopedPointer<CallHistoryVoicemail> m_voicemail;
    QStringList m_signals;

    // Sets the numbers and waits until this process has been told.
    void setNumbers(const QStringList &numbers)
    {
        Voicemail watcher;
        QSignalSpy told(&watcher, &Voicemail::voicemailNumbersChanged);
        QList<VoicemailNumber> list;
        for (const QString &number : numbers)
            list << VoicemailNumber(number);
        QCOMPARE(watcher.setVoicemailNumbers(list), Voicemail::NoError);
        QVERIFY(told.wait());
    }

    // A service that has taken its first report.
    void startService()
    {
        m_voicemail.reset(new CallHistoryVoicemail);
        connect(m_voicemail.data(), &CallHistoryVoicemail::voicemailChanged, this,
                [this] { m_signals << QStringLiteral("numbers"); });
        connect(m_voicemail.data(), &CallHistoryVoicemail::voicemailContactChanged, this,
                [this] { m_signals << QStringLiteral("contact"); });
        QTRY_VERIFY(!m_signals.isEmpty());
    }

    static QString numbersOf(const QContact &contact)
    {
        QStringList numbers;
        for (const QContactPhoneNumber &number : contact.details<QContactPhoneNumber>())
            numbers << number.number();
        return numbers.join(QLatin1Char('|'));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv(ContactsEngine::databaseEnvironment, m_dir.filePath("contacts.db").toUtf8());
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("the settings store needs a session bus");
    }

    void init()
    {
        setNumbers({});
        m_signals.clear();
    }

    void cleanup() { m_voicemail.reset(); }

    void shouldRecognizeVoicemailNumbers_data()
    {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("isVoicemail");
        QTest::newRow("as stored") << QStringList{"0401234567"} << "0401234567" << true;
        QTest::newRow("native digits stored")
            << QStringList{QString::fromUtf8("٠٤٠١٢٣٤٥٦٧")} << "0401234567" << true;
        QTest::newRow("separators") << QStringList{"040 123-45 67"} << "0401234567" << true;
        QTest::newRow("hidden caller prefix")
            << QStringList{"0401234567"} << "*31#0401234567" << true;
        QTest::newRow("second number") << QStringList{"0501", "0401234567"} << "0401234567" << true;
        QTest::newRow("country code instead of 0")
            << QStringList{"0401234567"} << "+358401234567" << false;
        QTest::newRow("other number") << QStringList{"0401234567"} << "0401234568" << false;
        QTest::newRow("empty") << QStringList{"0401234567"} << "" << false;
        QTest::newRow("no digits") << QStringList{"0401234567"} << "sip:jo@example.com" << false;
        QTest::newRow("none set") << QStringList{} << "0401234567" << false;
    }

    void shouldRecognizeVoicemailNumbers()
    {
        QFETCH(QStringList, stored);
        QFETCH(QString, number);
        QFETCH(bool, isVoicemail);
        setNumbers(stored);
        startService();
        QCOMPARE(m_voicemail->isVoicemailNumber(number), isVoicemail);
    }

    void shouldKnowNothingBeforeTheFirstReport()
    {
        setNumbers({"0401234567"});
        CallHistoryVoicemail voicemail;
        QVERIFY(!voicemail.isVoicemailNumber(QStringLiteral("0401234567")));
        QVERIFY(!voicemail.isKnown());
        QTRY_VERIFY(voicemail.isVoicemailNumber(QStringLiteral("0401234567")));
        QVERIFY(voicemail.isKnown());
        QCOMPARE(voicemail.voicemailNumbers(), QStringList{"0401234567"});
    }

    void shouldOfferNumbersWithOrWithoutTheirContact_data()
    {
        QTest::addColumn<bool>("throughService");
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<QString>("offered");
        QTest::newRow("set through the service: its contact")
            << true << QStringList{"0401234567"} << "contact|0401234567";
        QTest::newRow("written into the setting alone: made from the numbers")
            << false << QStringList{"0401234567", "0509999999"} << "made|0401234567|0509999999";
        QTest::newRow("none set: nothing") << false << QStringList{} << "made|";
    }
    void shouldOfferNumbersWithOrWithoutTheirContact()
    {
        QFETCH(bool, throughService);
        QFETCH(QStringList, numbers);
        QFETCH(QString, offered);
        if (throughService) {
            setNumbers(numbers);
        } else {
            MGConfItem setting(QString::fromLatin1(VoicemailStore::numbersKey));
            QVERIFY(setting.set(numbers));
        }
        startService();
        QTRY_COMPARE(m_voicemail->voicemailNumbers(), numbers);
        if (throughService)
            QTRY_VERIFY(!m_voicemail->voicemailContact().isEmpty());
        const QContact contact = m_voicemail->offeredContact();
        const QString kind = contact.id().isNull() ? "made" : "contact";
        QCOMPARE(kind + '|' + numbersOf(contact), offered);
        if (!numbers.isEmpty())
            QCOMPARE(contact.detail<QContactGuid>().guid(),
                     QString::fromLatin1(VoicemailStore::voicemailContactGUID));
    }

    void shouldFindTheVoicemailContact()
    {
        setNumbers({"0401234567", "+358 50 1234567"});
        startService();
        QTRY_COMPARE(m_signals.join(QLatin1Char(',')), QStringLiteral("numbers,contact"));
        const QContact contact = m_voicemail->voicemailContact();
        QCOMPARE(contact.detail<QContactGuid>().guid(),
                 QString::fromLatin1(VoicemailStore::voicemailContactGUID));
        QCOMPARE(numbersOf(contact), QStringLiteral("0401234567|+358 50 1234567"));
    }

    void shouldFollowNumberChangesInTheContact()
    {
        setNumbers({"0401234567"});
        startService();
        QTRY_VERIFY(!m_voicemail->voicemailContact().isEmpty());
        const QContactId id = m_voicemail->voicemailContact().id();
        m_signals.clear();
        setNumbers({"0509999999"});
        QTRY_COMPARE(numbersOf(m_voicemail->voicemailContact()), QStringLiteral("0509999999"));
        QCOMPARE(m_voicemail->voicemailContact().id(), id);
        QTest::qWait(200);
        QCOMPARE(m_signals.join(QLatin1Char(',')), QStringLiteral("numbers,contact"));
        QVERIFY(!m_voicemail->isVoicemailNumber(QStringLiteral("0401234567")));
    }

    void shouldClearTheContactAfterTheLastNumber()
    {
        setNumbers({"0401234567"});
        startService();
        QTRY_VERIFY(!m_voicemail->voicemailContact().isEmpty());
        m_signals.clear();
        setNumbers({});
        QTRY_COMPARE(m_signals.join(QLatin1Char(',')), QStringLiteral("numbers,contact"));
        QVERIFY(m_voicemail->voicemailContact().isEmpty());
        QVERIFY(m_voicemail->voicemailNumbers().isEmpty());
        // Nothing more to clear: a report, but no contact signal.
        Voicemail().setVoicemailNumbers({});
        QTRY_COMPARE(m_signals.join(QLatin1Char(',')), QStringLiteral("numbers,contact,numbers"));
        QTest::qWait(200);
        QCOMPARE(m_signals.join(QLatin1Char(',')), QStringLiteral("numbers,contact,numbers"));
    }

    void shouldFollowNumbersSetByAnotherProcess()
    {
        startService();
        QVERIFY(m_voicemail->voicemailContact().isEmpty());
        QCOMPARE(QProcess::execute(QStringLiteral(CH_VOICEMAIL_SETTER),
                                   {QStringLiteral("+358 40 7654321")}),
                 0);
        QTRY_VERIFY(!m_voicemail->voicemailContact().isEmpty());
        QVERIFY(m_voicemail->isVoicemailNumber(QStringLiteral("+358407654321")));
        QCOMPARE(numbersOf(m_voicemail->voicemailContact()), QStringLiteral("+358 40 7654321"));
    }
};

QTEST_GUILESS_MAIN(TestCallHistoryVoicemail)
#include "tst_callhistoryvoicemail.moc"
