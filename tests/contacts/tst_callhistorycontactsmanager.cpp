#include "callhistorycontactsmanager.h"
#include "contactsengine.h"

#include <QtContacts/QContactGuid>
#include <QtContacts/QContactManager>
#include <QtContacts/QContactName>
#include <QtContacts/QContactOnlineAccount>
#include <QtContacts/QContactPhoneNumber>
#include <QtContacts/QContactPresence>

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace QtContacts;

// The contacts manager on a real address-book file, with short batch, change and eviction
// intervals.
class TestCallHistoryContactsManager : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    int m_count = 0;
    QString m_path;
    QScopedPointer<QContactManager> m_book;
    QScopedPointer<CallHistoryContactsManager> m_manager;
    CallHistoryContactsManager::Timings m_timings;

    QMap<QString, QString> parameters() const
    {
        return {{QString::fromLatin1(ContactsEngine::databaseParameter), m_path}};
    }

    QContactLocalId add(const QString &name, const QString &number)
    {
        QContact contact;
        QContactName contactName;
        contactName.setFirstName(name);
        contact.saveDetail(&contactName);
        QContactPhoneNumber phone;
        phone.setNumber(number);
        phone.setSubTypes({QContactPhoneNumber::SubTypeMobile});
        contact.saveDetail(&phone);
        if (!m_book->saveContact(&contact))
            return 0;
        return ContactsEngine::toLocalId(contact.id());
    }

    bool setNumber(QContactLocalId id, const QString &number)
    {
        QContact contact = m_book->contact(ContactsEngine::toContactId(id));
        QContactPhoneNumber phone = contact.detail<QContactPhoneNumber>();
        phone.setNumber(number);
        contact.saveDetail(&phone);
        return m_book->saveContact(&contact);
    }

    // Coarse timers may fire up to 5 % early, and elapsed times are rounded down.
    static int atLeast(int interval) { return interval * 85 / 100; }

    static QString numberOf(CallHistoryContact *record)
    {
        return record->addresses().isEmpty() ? QString() : record->addresses().first().value;
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("book%1.db").arg(++m_count));
        m_book.reset(new QContactManager(ContactsEngine::ensureRegistered(), parameters()));
        m_timings.batchWindow = 200;
        m_timings.changeDebounce = 300;
        m_timings.releaseDelay = 800;
        m_manager.reset(new CallHistoryContactsManager(parameters(), m_timings));
    }

    void cleanup()
    {
        m_manager.reset();
        m_book.reset();
    }

    void shouldFillARecordFromTheAddressBook()
    {
        const QContactLocalId id = add(QStringLiteral("Jo"), QStringLiteral("+358 40 123 4567"));
        QVERIFY(id != 0);
        // A VoIP account with its presence, linked as a presence service writes them.
        QContact stored = m_book->contact(ContactsEngine::toContactId(id));
        QContactOnlineAccount account;
        account.setAccountUri(QStringLiteral("sip:jo@example.com"));
        account.setValue(QContactOnlineAccount__FieldAccountPath, QStringLiteral("/acc/sip"));
        account.setLinkedDetailUris(QStringLiteral("presence:jo"));
        stored.saveDetail(&account);
        QContactPresence presence;
        presence.setDetailUri(QStringLiteral("presence:jo"));
        presence.setPresenceState(QContactPresence::PresenceBusy);
        presence.setCustomMessage(QStringLiteral("In a meeting"));
        stored.saveDetail(&presence);
        QVERIFY(m_book->saveContact(&stored));

        CallHistoryContact *record = m_manager->acquireContact(id);
        QVERIFY(record);
        QVERIFY(!record->isResolved());
        QSignalSpy updated(record, &CallHistoryContact::updated);
        QVERIFY(updated.wait());
        QCOMPARE(record->localId(), id);
        QCOMPARE(record->phoneNumberCount(), 1);
        QCOMPARE(record->numberType(QStringLiteral("0401234567")),
                 CallHistoryContact::NumberTypeMobile);
        QCOMPARE(record->numberType(QStringLiteral("sip:jo@example.com")),
                 CallHistoryContact::NumberTypeOnlineAccount);
        QCOMPARE(record->presence(QStringLiteral("/acc/sip")), CallHistoryContact::PresenceBusy);
        QCOMPARE(record->statusMessage(), QStringLiteral("In a meeting"));
        QCOMPARE(m_manager->displayLabel(record->contact()), QStringLiteral("Jo"));
        // Only the details the record needs are read.
        QVERIFY(record->contact().details<QContactName>().isEmpty());
        QCOMPARE(record->refCount(), 1);
        record->release();
    }

    void shouldShareOneRecordAndOneFetchForAnId()
    {
        const QContactLocalId id = add(QStringLiteral("Jo"), QStringLiteral("0401234567"));
        CallHistoryContact *first = m_manager->acquireContact(id);
        CallHistoryContact *second = m_manager->acquireContact(id);
        QCOMPARE(second, first);
        QCOMPARE(m_manager->pendingCount(), 1);
        QSignalSpy updated(first, &CallHistoryContact::updated);
        QVERIFY(updated.wait());
        QTest::qWait(m_timings.batchWindow * 2);
        QCOMPARE(updated.count(), 1);
        QCOMPARE(first->refCount(), 2);
        first->release();
        second->release();
    }

    void shouldFetchAtOnceWhenABatchIsFull()
    {
        QList<QContactLocalId> ids;
        for (int i = 0; i < CallHistoryContactsManager::BatchLimit + 1; ++i)
            ids << add(QStringLiteral("P%1").arg(i),
                       QStringLiteral("04012345%1").arg(i, 2, 10, QChar('0')));
        QList<CallHistoryContact *> records;
        for (int i = 0; i < CallHistoryContactsManager::BatchLimit; ++i)
            records << m_manager->acquireContact(ids.at(i));
        // The 20th record started the fetch without waiting for the window.
        QCOMPARE(m_manager->pendingCount(), 0);
        QCOMPARE(m_manager->requestsInFlight(), 1);

        QElapsedTimer sinceLast;
        sinceLast.start();
        records << m_manager->acquireContact(ids.last());
        QCOMPARE(m_manager->pendingCount(), 1);
        QSignalSpy lastUpdated(records.last(), &CallHistoryContact::updated);
        QVERIFY(lastUpdated.wait());
        // The 21st waited for a window of its own.
        QVERIFY(sinceLast.elapsed() >= atLeast(m_timings.batchWindow));
        for (CallHistoryContact *record : qAsConst(records)) {
            QVERIFY(record->isResolved());
            record->release();
        }
    }

    void shouldNotRestartTheBatchWindowForLaterRecords()
    {
        const QContactLocalId a = add(QStringLiteral("A"), QStringLiteral("0401111111"));
        const QContactLocalId b = add(QStringLiteral("B"), QStringLiteral("0402222222"));
        QElapsedTimer sinceFirst;
        sinceFirst.start();
        CallHistoryContact *first = m_manager->acquireContact(a);
        QTest::qWait(m_timings.batchWindow / 4);
        CallHistoryContact *second = m_manager->acquireContact(b);
        if (m_manager->requestsInFlight() != 0)
            QSKIP("the machine was too slow to queue both records within the window");
        QCOMPARE(m_manager->pendingCount(), 2);
        QTRY_VERIFY(first->isResolved() && second->isResolved());
        QVERIFY(sinceFirst.elapsed() >= atLeast(m_timings.batchWindow));
        first->release();
        second->release();
    }

    void shouldKeepAnUnusedRecordUntilItsDelayHasPassed()
    {
        const QContactLocalId id = add(QStringLiteral("Jo"), QStringLiteral("0401234567"));
        CallHistoryContact *record = m_manager->acquireContact(id);
        QTRY_VERIFY(record->isResolved());
        record->release();
        QTest::qWait(m_timings.releaseDelay / 4);
        QCOMPARE(m_manager->acquireContact(id), record);
        QCOMPARE(m_manager->pendingCount(), 0); // taken again without a new fetch
        QVERIFY(record->isResolved());
        record->release();
        QTRY_VERIFY(!m_manager->cachedContact(id));

        CallHistoryContact *fresh = m_manager->acquireContact(id);
        QVERIFY(!fresh->isResolved());
        QCOMPARE(m_manager->pendingCount(), 1);
        QTRY_VERIFY(fresh->isResolved());
        fresh->release();
    }

    void shouldRefreshOnceAfterChangesSettle_data()
    {
        QTest::addColumn<int>("changes");
        QTest::addColumn<bool>("listedTwice");
        QTest::newRow("one change") << 1 << false;
        QTest::newRow("three changes within the delay") << 3 << false;
        QTest::newRow("an id listed twice") << 1 << true;
    }

    void shouldRefreshOnceAfterChangesSettle()
    {
        QFETCH(int, changes);
        QFETCH(bool, listedTwice);
        const QContactLocalId id = add(QStringLiteral("Jo"), QStringLiteral("0401234567"));
        CallHistoryContact *record = m_manager->acquireContact(id);
        QTRY_VERIFY(record->isResolved());
        QSignalSpy updated(record, &CallHistoryContact::updated);

        QElapsedTimer sinceLast;
        for (int i = 0; i < changes; ++i) {
            QVERIFY(setNumber(id, QStringLiteral("05000000%1").arg(i)));
            sinceLast.start();
            QTest::qWait(m_timings.changeDebounce / 10);
        }
        if (listedTwice) {
            QContact contact = m_book->contact(ContactsEngine::toContactId(id));
            QList<QContact> twice{contact, contact};
            QVERIFY(m_book->saveContacts(&twice));
            sinceLast.start();
        }
        QVERIFY(updated.wait());
        QVERIFY(sinceLast.elapsed() >= atLeast(m_timings.changeDebounce));
        QCOMPARE(numberOf(record), QStringLiteral("05000000%1").arg(changes - 1));
        QTest::qWait(m_timings.changeDebounce + m_timings.batchWindow);
        QCOMPARE(updated.count(), 1);
        record->release();
    }

    void shouldIgnoreChangesOfContactsItDoesNotHold()
    {
        const QContactLocalId id = add(QStringLiteral("Jo"), QStringLiteral("0401234567"));
        QVERIFY(setNumber(id, QStringLiteral("0509999999")));
        QTest::qWait(m_timings.changeDebounce + m_timings.batchWindow);
        QCOMPARE(m_manager->pendingCount(), 0);
        QCOMPARE(m_manager->requestsInFlight(), 0);
        QVERIFY(!m_manager->cachedContact(id));
    }

    void shouldLeaveAMissingContactUnresolvedAndReleased()
    {
        CallHistoryContact *record = m_manager->acquireContact(4242);
        QSignalSpy updated(record, &CallHistoryContact::updated);
        QCOMPARE(record->refCount(), 2);
        QTRY_COMPARE(m_manager->requestsInFlight() + m_manager->pendingCount(), 0);
        QCOMPARE(record->refCount(), 1);
        QVERIFY(!record->isResolved());
        QCOMPARE(updated.count(), 0);
        record->release();
        QTRY_VERIFY(!m_manager->cachedContact(4242));
    }

    void shouldReleaseRecordsWhenTheBookCannotBeRead_data()
    {
        QTest::addColumn<bool>("damaged");
        QTest::newRow("damaged file") << true;
        QTest::newRow("connection gone") << false;
    }

    void shouldReleaseRecordsWhenTheBookCannotBeRead()
    {
        QFETCH(bool, damaged);
        if (damaged) {
            m_manager.reset();
            m_book.reset();
            QFile file(m_path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(QByteArray("not an address book ").repeated(100));
            file.close();
            m_manager.reset(new CallHistoryContactsManager(parameters(), m_timings));
        } else {
            delete m_manager->contactManager();
            QVERIFY(!m_manager->contactManager());
        }
        CallHistoryContact *record = m_manager->acquireContact(1);
        QTRY_COMPARE(m_manager->requestsInFlight() + m_manager->pendingCount(), 0);
        QCOMPARE(record->refCount(), 1);
        QVERIFY(!record->isResolved());
        record->release();
        QTRY_VERIFY(!m_manager->cachedContact(1));
    }

    void shouldFollowChangesMadeByAnotherProcess()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("changes between processes travel on the session bus");
        const auto tool = [this](const QStringList &arguments, const QByteArray &input) {
            QProcess process;
            process.start(QStringLiteral(CH_CONTACTS_TOOL),
                          QStringList{QStringLiteral("--database"), m_path} + arguments);
            process.waitForStarted();
            process.write(input);
            process.closeWriteChannel();
            process.waitForFinished(30000);
            return process.exitCode();
        };
        const QByteArray card = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Ames;Jo;;;\r\nUID:jo\r\n"
                                "TEL;TYPE=CELL:0401234567\r\nEND:VCARD\r\n";
        QCOMPARE(tool({QStringLiteral("import"), QStringLiteral("-")}, card), 0);
        const QList<QContactId> ids = m_book->contactIds();
        QCOMPARE(ids.size(), 1);
        CallHistoryContact *record = m_manager->acquireContact(ContactsEngine::toLocalId(ids[0]));
        QTRY_VERIFY(record->isResolved());
        QCOMPARE(numberOf(record), QStringLiteral("0401234567"));

        QByteArray changed = card;
        changed.replace("0401234567", "0509876543");
        QCOMPARE(tool({QStringLiteral("import"), QStringLiteral("-")}, changed), 0);
        QTRY_COMPARE(numberOf(record), QStringLiteral("0509876543"));
        record->release();
    }
};

QTEST_GUILESS_MAIN(TestCallHistoryContactsManager)
#include "tst_callhistorycontactsmanager.moc"
