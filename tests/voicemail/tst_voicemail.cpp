#include "contactsengine.h"
#include "mgconfitem.h"
#include "voicemail.h"
#include "voicemailsave.h"
#include "voicemailstore.h"

#include <QtContacts/QContactDetailFilter>
#include <QtContacts/QContactGuid>
#include <QtContacts/QContactManager>
#include <QtContacts/QContactNote>
#include <QtContacts/QContactPhoneNumber>

#include <QDBusConnection>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

using namespace QtContacts;

// The voicemail stand-in: numbers in dconf, reported to every client, and the voicemail contact.
class TestVoicemail : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    static QString numbersOf(const QList<VoicemailNumber> &numbers)
    {
        return VoicemailNumber::toStringList(numbers).join(QLatin1Char('|'));
    }

    // The reports of a spy on voicemailNumbers or voicemailNumbersChanged, "numbers/error;...".
    static QString reports(const QSignalSpy &spy)
    {
        QStringList calls;
        for (const QList<QVariant> &call : spy)
            calls << numbersOf(call.at(0).value<QList<VoicemailNumber>>()) + QLatin1Char('/') +
                         QString::number(call.at(1).value<Voicemail::VoicemailError>());
        return calls.join(QLatin1Char(';'));
    }

    static QList<QContact> voicemailContacts()
    {
        QContactManager book(ContactsEngine::ensureRegistered());
        QContactDetailFilter filter;
        filter.setDetailType(QContactGuid::Type, QContactGuid::FieldGuid);
        filter.setValue(QString::fromLatin1(VoicemailStore::voicemailContactGUID));
        filter.setMatchFlags(QContactFilter::MatchFixedString);
        return book.contacts(filter);
    }

    static QString numbersOf(const QContact &contact)
    {
        QStringList numbers;
        for (const QContactPhoneNumber &number : contact.details<QContactPhoneNumber>())
            numbers << number.number();
        return numbers.join(QLatin1Char('|'));
    }

    static int
    runSetter(const QStringList &numbers,
              const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
    {
        QProcess setter;
        setter.setProcessEnvironment(environment);
        setter.start(QStringLiteral(CH_VOICEMAIL_SETTER), numbers);
        if (!setter.waitForFinished(30000))
            return -1;
        return setter.exitCode();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // This process and the setter share one address book.
        qputenv(ContactsEngine::databaseEnvironment, m_dir.filePath("contacts.db").toUtf8());
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("the settings store needs a session bus");
    }

    void init() { QCOMPARE(VoicemailStore().setNumbers({}), Voicemail::NoError); }

    void shouldAnswerARequestFromTheEventLoop()
    {
        QCOMPARE(VoicemailStore().setNumbers({VoicemailNumber("0401"), VoicemailNumber("0402")}),
                 Voicemail::NoError);
        Voicemail voicemail;
        QSignalSpy answered(&voicemail, &Voicemail::voicemailNumbers);
        voicemail.requestVoicemailNumbers();
        QCOMPARE(answered.count(), 0);
        QVERIFY(answered.wait());
        QCOMPARE(reports(answered), QStringLiteral("0401|0402/0"));
    }

    void shouldReportEachSetOnceToEveryClient()
    {
        Voicemail watcher;
        Voicemail setter;
        QSignalSpy changed(&watcher, &Voicemail::voicemailNumbersChanged);
        QSignalSpy ownChanged(&setter, &Voicemail::voicemailNumbersChanged);
        QCOMPARE(setter.setVoicemailNumbers({VoicemailNumber(" 0401 "), VoicemailNumber("0401"),
                                             VoicemailNumber("+358 402")}),
                 Voicemail::NoError);
        QTRY_COMPARE(reports(changed), QStringLiteral("0401|+358 402/0"));
        QTRY_COMPARE(reports(ownChanged), QStringLiteral("0401|+358 402/0"));
        // The same numbers again are reported again: the contact was rewritten.
        QCOMPARE(setter.setVoicemailNumbers({VoicemailNumber("0401"), VoicemailNumber("+358 402")}),
                 Voicemail::NoError);
        QTRY_COMPARE(changed.count(), 2);
        QTest::qWait(200);
        QCOMPARE(changed.count(), 2);
    }

    void shouldPutThePreferredNumberFirst()
    {
        Voicemail voicemail;
        QCOMPARE(voicemail.setVoicemailNumbers({VoicemailNumber("0401"), VoicemailNumber("0402")}),
                 Voicemail::NoError);
        QCOMPARE(voicemail.setPreferredVoicemailNumber(QStringLiteral("0402 ")),
                 Voicemail::NoError);
        QCOMPARE(numbersOf(VoicemailStore().numbers()), QStringLiteral("0402|0401"));
        QCOMPARE(voicemail.setPreferredVoicemailNumber(QStringLiteral("0403")), Voicemail::NoError);
        QCOMPARE(numbersOf(VoicemailStore().numbers()), QStringLiteral("0403|0402|0401"));
    }

    void shouldRefuseWhatIsNotANumber_data()
    {
        QTest::addColumn<QString>("number");
        QTest::newRow("empty") << "";
        QTest::newRow("blank") << "   ";
        QTest::newRow("letters") << "voicemail";
        QTest::newRow("letter inside") << "040a123";
        QTest::newRow("no digit") << "+*#";
        QTest::newRow("too long") << QString(VoicemailStore::MaximumNumberLength + 1, '1');
        QTest::newRow("control character") << "0401\n234";
    }

    void shouldRefuseWhatIsNotANumber()
    {
        QFETCH(QString, number);
        Voicemail voicemail;
        QCOMPARE(voicemail.setVoicemailNumbers({VoicemailNumber("0401")}), Voicemail::NoError);
        QCOMPARE(voicemail.setVoicemailNumbers({VoicemailNumber("0409"), VoicemailNumber(number)}),
                 Voicemail::InvalidNumberError);
        QVERIFY(!voicemail.errorString().isEmpty());
        QCOMPARE(numbersOf(VoicemailStore().numbers()), QStringLiteral("0401"));
        QCOMPARE(numbersOf(voicemailContacts().value(0)), QStringLiteral("0401"));
    }

    void shouldAcceptWrittenFormsOfNumbers_data()
    {
        QTest::addColumn<QString>("number");
        QTest::newRow("international with separators") << "+358 (40) 123-45.67";
        QTest::newRow("service code with pause") << "*31#0401234p1,2w3";
        QTest::newRow("native digits") << QString::fromUtf8("٠٤٠١٢٣");
        QTest::newRow("longest") << QString(VoicemailStore::MaximumNumberLength, '1');
    }

    void shouldAcceptWrittenFormsOfNumbers()
    {
        QFETCH(QString, number);
        QCOMPARE(VoicemailStore().setNumbers({VoicemailNumber(number)}), Voicemail::NoError);
        QCOMPARE(numbersOf(VoicemailStore().numbers()), number);
    }

    void shouldKeepTheVoicemailContactInStep()
    {
        VoicemailStore store;
        QCOMPARE(store.setNumbers({VoicemailNumber("+358 401"), VoicemailNumber("0402")}),
                 Voicemail::NoError);
        QList<QContact> found = voicemailContacts();
        QCOMPARE(found.size(), 1);
        const QContactId id = found.first().id();
        QCOMPARE(numbersOf(found.first()), QStringLiteral("+358 401|0402"));
        QCOMPARE(ContactsEngine::synthesizedContactDisplayLabel(found.first()),
                 QString::fromLatin1(VoicemailStore::contactName));

        // What the user added to the contact stays when the numbers change.
        QContactManager book(ContactsEngine::ensureRegistered());
        QContact edited = found.first();
        QContactNote note;
        note.setNote(QStringLiteral("PIN in the drawer"));
        edited.saveDetail(&note);
        QVERIFY(book.saveContact(&edited));

        QCOMPARE(store.setNumbers({VoicemailNumber("0403")}), Voicemail::NoError);
        found = voicemailContacts();
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first().id(), id);
        QCOMPARE(numbersOf(found.first()), QStringLiteral("0403"));
        QCOMPARE(found.first().detail<QContactNote>().note(), QStringLiteral("PIN in the drawer"));

        QCOMPARE(store.setNumbers({}), Voicemail::NoError);
        QVERIFY(voicemailContacts().isEmpty());
        QVERIFY(store.numbers().isEmpty());
    }

    void shouldRecreateADeletedVoicemailContact()
    {
        VoicemailStore store;
        QCOMPARE(store.setNumbers({VoicemailNumber("0401")}), Voicemail::NoError);
        QContactManager book(ContactsEngine::ensureRegistered());
        QVERIFY(book.removeContact(voicemailContacts().value(0).id()));
        QCOMPARE(store.setNumbers({VoicemailNumber("0401")}), Voicemail::NoError);
        QCOMPARE(numbersOf(voicemailContacts().value(0)), QStringLiteral("0401"));
    }

    void shouldReportNumbersSetByAnotherProcess()
    {
        Voicemail voicemail;
        QSignalSpy changed(&voicemail, &Voicemail::voicemailNumbersChanged);
        QCOMPARE(runSetter({QStringLiteral("0401234567"), QStringLiteral("+358501234567")}), 0);
        QTRY_COMPARE(reports(changed), QStringLiteral("0401234567|+358501234567/0"));
        QCOMPARE(numbersOf(voicemailContacts().value(0)),
                 QStringLiteral("0401234567|+358501234567"));

        QCOMPARE(runSetter({}), 0);
        QTRY_COMPARE(changed.count(), 2);
        QCOMPARE(reports(changed).section(QLatin1Char(';'), 1), QStringLiteral("/0"));
        QVERIFY(voicemailContacts().isEmpty());
    }

    void shouldFailWithoutTheSettingsStoreAndWriteNothing()
    {
        QProcessEnvironment noBus = QProcessEnvironment::systemEnvironment();
        noBus.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                     QStringLiteral("unix:path=") + m_dir.filePath(QStringLiteral("no-bus")));
        QCOMPARE(runSetter({QStringLiteral("0401")}, noBus), int(Voicemail::StorageError));
        QVERIFY(VoicemailStore().numbers().isEmpty());
        QVERIFY(voicemailContacts().isEmpty());
    }

    void shouldKeepOnlyNumbersWithinBoundsWrittenByOthers_data()
    {
        const QString longest(VoicemailStore::MaximumNumberLength, QLatin1Char('1'));
        QStringList most;
        for (int i = 0; i < VoicemailStore::MaximumNumberCount; ++i)
            most << QString::number(401 + i);
        QTest::addColumn<QStringList>("written");
        QTest::addColumn<QString>("reported");
        QTest::newRow("number at the bound")
            << QStringList{"0401", longest} << QStringLiteral("0401|") + longest;
        QTest::newRow("number too long")
            << QStringList{"0401", longest + '1', "0402"} << "0401|0402";
        QTest::newRow("numbers at the bound") << most << most.join(QLatin1Char('|'));
        QTest::newRow("one number too many")
            << (most + QStringList{"999"}) << most.join(QLatin1Char('|'));
    }
    void shouldKeepOnlyNumbersWithinBoundsWrittenByOthers()
    {
        QFETCH(QStringList, written);
        QFETCH(QString, reported);
        Voicemail voicemail;
        QSignalSpy changed(&voicemail, &Voicemail::voicemailNumbersChanged);
        QVERIFY(MGConfItem(QString::fromLatin1(VoicemailStore::numbersKey)).set(written));
        QTRY_COMPARE(changed.count(), 1);
        QCOMPARE(reports(changed), reported + QStringLiteral("/0"));
    }

    void shouldRefuseMoreNumbersThanItKeeps_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("error");
        QTest::newRow("numbers at the bound")
            << int(VoicemailStore::MaximumNumberCount) << int(Voicemail::NoError);
        QTest::newRow("one number too many")
            << VoicemailStore::MaximumNumberCount + 1 << int(Voicemail::InvalidNumberError);
    }
    void shouldRefuseMoreNumbersThanItKeeps()
    {
        QFETCH(int, count);
        QFETCH(int, error);
        QList<VoicemailNumber> numbers;
        for (int i = 0; i < count; ++i)
            numbers << VoicemailNumber(QString::number(401 + i));
        QCOMPARE(int(VoicemailStore().setNumbers(numbers)), error);
        QCOMPARE(VoicemailStore().numbers().size(), error == Voicemail::NoError ? count : 0);
    }

    // A set started on a connection to the address book: its outcome comes from the event loop,
    // every client is told, and a book that cannot be written costs the contact only.
    void shouldSetWithoutWaitingForTheAddressBook_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<bool>("bookUsable");
        QTest::addColumn<QString>("expected"); // "error/stored/numbers of the voicemail contact"
        QTest::newRow("first number")
            << QStringList() << QStringList{"0401"} << true << "0/0401/0401";
        QTest::newRow("numbers changed") << QStringList{"0401"} << QStringList{"0402", " 0401"}
                                         << true << "0/0402|0401/0402|0401";
        QTest::newRow("cleared") << QStringList{"0401"} << QStringList() << true << "0//";
        QTest::newRow("not a number")
            << QStringList{"0401"} << QStringList{"0402", "abc"} << true << "1/0401/0401";
        QTest::newRow("unusable book")
            << QStringList() << QStringList{"0401"} << false << "3/0401/";
        QTest::newRow("cleared, unusable book")
            << QStringList{"0401"} << QStringList() << false << "3//0401";
    }

    void shouldSetWithoutWaitingForTheAddressBook()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, numbers);
        QFETCH(bool, bookUsable);
        QFETCH(QString, expected);
        QCOMPARE(VoicemailStore().setNumbers(VoicemailNumber::fromStringList(before)),
                 Voicemail::NoError);
        const QString unusableFile = m_dir.filePath(QStringLiteral("unusable.db"));
        QFile garbage(unusableFile);
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray("not an address book\n").repeated(300));
        garbage.close();
        QContactManager unusable(
            ContactsEngine::ensureRegistered(),
            {{QString::fromLatin1(ContactsEngine::databaseParameter), unusableFile}});

        Voicemail setter;
        Voicemail watcher;
        if (!bookUsable)
            setter.setAddressBook(&unusable);
        QSignalSpy changed(&watcher, &Voicemail::voicemailNumbersChanged);
        VoicemailSave *save =
            setter.startSettingVoicemailNumbers(VoicemailNumber::fromStringList(numbers));
        QSignalSpy finished(save, &VoicemailSave::finished);
        QCOMPARE(finished.count(), 0);
        QVERIFY(finished.wait());
        const int error = finished.first().first().value<Voicemail::VoicemailError>();
        QCOMPARE(QString::number(error) + '/' + numbersOf(VoicemailStore().numbers()) + '/' +
                     numbersOf(voicemailContacts().value(0)),
                 expected);
        QCOMPARE(setter.errorString().isEmpty(), error == Voicemail::NoError);
        if (error == Voicemail::NoError || error == Voicemail::AddressBookError)
            QTRY_COMPARE(reports(changed).section(QLatin1Char(';'), -1),
                         numbersOf(VoicemailStore().numbers()) + QStringLiteral("/0"));
        QFile::remove(unusableFile);
    }

    // Another process holds the address book's write lock: the set waits for it in the
    // engine's thread while this one goes on, then ends as usual.
    void shouldNotBlockWhileAnotherProcessWritesTheBook()
    {
        QCOMPARE(VoicemailStore().setNumbers({VoicemailNumber("0401")}), Voicemail::NoError);
        sqlite3 *other = nullptr;
        QCOMPARE(
            sqlite3_open(QFile::encodeName(ContactsEngine::databasePath()).constData(), &other),
            SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        Voicemail setter;
        VoicemailSave *save = setter.startSettingVoicemailNumbers({VoicemailNumber("0402")});
        QSignalSpy finished(save, &VoicemailSave::finished);
        QCoreApplication::processEvents();
        QCOMPARE(finished.count(), 0);
        QCOMPARE(numbersOf(VoicemailStore().numbers()), QStringLiteral("0401"));
        QCOMPARE(sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(other);
        QVERIFY(finished.wait());
        QCOMPARE(finished.first().first().value<Voicemail::VoicemailError>(), Voicemail::NoError);
        QCOMPARE(numbersOf(VoicemailStore().numbers()), QStringLiteral("0402"));
        QCOMPARE(numbersOf(voicemailContacts().value(0)), QStringLiteral("0402"));
    }

    // Sets started one after another on one book end in that order, with one voicemail contact.
    void shouldRunSetsOneAfterAnother()
    {
        Voicemail setter;
        QStringList outcomes;
        for (const char *number : {"0401", "0402", "0403"}) {
            VoicemailSave *save =
                setter.startSettingVoicemailNumbers({VoicemailNumber(QString::fromLatin1(number))});
            connect(save, &VoicemailSave::finished, this,
                    [&outcomes, save](Voicemail::VoicemailError error) {
                        outcomes << save->numbers().join('|') + '/' + QString::number(error);
                    });
        }
        QTRY_COMPARE(outcomes.join(';'), QStringLiteral("0401/0;0402/0;0403/0"));
        QCOMPARE(voicemailContacts().size(), 1);
        QCOMPARE(numbersOf(voicemailContacts().value(0)), QStringLiteral("0403"));
        QCOMPARE(numbersOf(VoicemailStore().numbers()), QStringLiteral("0403"));
    }

    void shouldReportAValueWrittenByHandThatIsNoList()
    {
        Voicemail voicemail;
        QSignalSpy changed(&voicemail, &Voicemail::voicemailNumbersChanged);
        QVERIFY(MGConfItem(QString::fromLatin1(VoicemailStore::numbersKey)).set(42));
        QTRY_COMPARE(reports(changed), QStringLiteral("/%1").arg(Voicemail::CorruptDataError));
        QVERIFY(MGConfItem(QString::fromLatin1(VoicemailStore::numbersKey))
                    .set(QStringLiteral("0401")));
        QTRY_COMPARE(reports(changed).section(QLatin1Char(';'), 1), QStringLiteral("0401/0"));
    }
};

QTEST_GUILESS_MAIN(TestVoicemail)
#include "tst_voicemail.moc"
