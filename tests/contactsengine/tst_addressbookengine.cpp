#include "contactmanagersignals.h"
#include "contactsengine.h"
#include "spiedlocalids.h"

#include <QtContacts/QContactAvatar>
#include <QtContacts/QContactDetailFilter>
#include <QtContacts/QContactDisplayLabel>
#include <QtContacts/QContactFetchByIdRequest>
#include <QtContacts/QContactFetchRequest>
#include <QtContacts/QContactGuid>
#include <QtContacts/QContactIdFetchRequest>
#include <QtContacts/QContactIdFilter>
#include <QtContacts/QContactManager>
#include <QtContacts/QContactName>
#include <QtContacts/QContactNickname>
#include <QtContacts/QContactPhoneNumber>
#include <QtContacts/QContactPresence>
#include <QtContacts/QContactRemoveRequest>
#include <QtContacts/QContactSaveRequest>

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <sqlite3.h>

using namespace QtContacts;

Q_DECLARE_METATYPE(QtContacts::QContact)

class TestAddressBookEngine : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    int m_count = 0;
    QString m_path;

    QContactManager *open(const QString &path, QObject *parent = nullptr)
    {
        return new QContactManager(ContactsEngine::ensureRegistered(),
                                   {{QStringLiteral("contact-types"), QStringLiteral("Contact")},
                                    {QString::fromLatin1(ContactsEngine::databaseParameter), path}},
                                   parent);
    }

    static QContact named(const QString &first, const QString &number = QString())
    {
        QContact contact;
        QContactName name;
        name.setFirstName(first);
        contact.saveDetail(&name);
        if (!number.isEmpty()) {
            QContactPhoneNumber phone;
            phone.setNumber(number);
            contact.saveDetail(&phone);
        }
        return contact;
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("book%1.db").arg(++m_count));
    }

    void shouldOpenOurEngineByItsName()
    {
        QScopedPointer<QContactManager> manager(open(m_path));
        QCOMPARE(manager->managerName(), QStringLiteral("org.velto.addressbook"));
        QCOMPARE(manager->error(), QContactManager::NoError);
        QVERIFY(QFile::exists(m_path));
    }

    void shouldKeepEveryDetailTheHistoryReads()
    {
        QContact contact = named(QStringLiteral("Carol"));
        QContactPhoneNumber phone;
        phone.setNumber(QStringLiteral("+358 40 765 4321"));
        phone.setContexts({QContactDetail::ContextWork, QContactDetail::ContextHome});
        phone.setSubTypes({QContactPhoneNumber::SubTypeMobile, QContactPhoneNumber::SubTypeFax});
        contact.saveDetail(&phone);
        QContactOnlineAccount account;
        account.setAccountUri(QStringLiteral("sip:carol@example.com"));
        account.setProtocol(QContactOnlineAccount::ProtocolJabber);
        account.setCapabilities({QStringLiteral("AudioCalls"), QStringLiteral("VideoCalls")});
        account.setValue(QContactOnlineAccount__FieldAccountPath,
                         QStringLiteral("/org/freedesktop/Telepathy/Account/sip/carol"));
        account.setLinkedDetailUris({QStringLiteral("presence:1")});
        contact.saveDetail(&account);
        QContactPresence presence;
        presence.setDetailUri(QStringLiteral("presence:1"));
        presence.setPresenceState(QContactPresence::PresenceExtendedAway);
        presence.setCustomMessage(QStringLiteral("Out for lunch"));
        presence.setTimestamp(QDateTime(QDate(2026, 12, 7), QTime(9, 30), Qt::UTC));
        contact.saveDetail(&presence);
        QContactGuid guid;
        guid.setGuid(QStringLiteral("voicemail-guid"));
        contact.saveDetail(&guid);
        QContactAvatar avatar;
        avatar.setImageUrl(QUrl::fromLocalFile(QStringLiteral("/tmp/carol.png")));
        contact.saveDetail(&avatar);
        {
            QScopedPointer<QContactManager> writer(open(m_path));
            QVERIFY(writer->saveContact(&contact));
        }
        // A second manager reads what the first one wrote to the file.
        QScopedPointer<QContactManager> reader(open(m_path));
        const QContact read = reader->contact(contact.id());
        QCOMPARE(reader->error(), QContactManager::NoError);
        const QContactPhoneNumber readPhone = read.detail<QContactPhoneNumber>();
        QCOMPARE(readPhone.number(), phone.number());
        QCOMPARE(readPhone.contexts(), phone.contexts());
        QCOMPARE(readPhone.subTypes(), phone.subTypes());
        const QContactOnlineAccount readAccount = read.detail<QContactOnlineAccount>();
        QCOMPARE(readAccount.accountUri(), account.accountUri());
        QCOMPARE(readAccount.protocol(), QContactOnlineAccount::ProtocolJabber);
        QCOMPARE(readAccount.capabilities(), account.capabilities());
        QCOMPARE(readAccount.value(QContactOnlineAccount__FieldAccountPath).toString(),
                 QStringLiteral("/org/freedesktop/Telepathy/Account/sip/carol"));
        QCOMPARE(readAccount.linkedDetailUris(), QStringList{QStringLiteral("presence:1")});
        const QContactPresence readPresence = read.detail<QContactPresence>();
        QCOMPARE(readPresence.detailUri(), QStringLiteral("presence:1"));
        QCOMPARE(readPresence.presenceState(), QContactPresence::PresenceExtendedAway);
        QCOMPARE(readPresence.customMessage(), QStringLiteral("Out for lunch"));
        QCOMPARE(readPresence.timestamp(), presence.timestamp());
        QCOMPARE(read.detail<QContactGuid>().guid(), QStringLiteral("voicemail-guid"));
        QCOMPARE(read.detail<QContactAvatar>().imageUrl(), avatar.imageUrl());
        QCOMPARE(read.detail<QContactDisplayLabel>().label(), QStringLiteral("Carol"));
    }

    void shouldKeepIdsStableAndNeverReuseThem()
    {
        QContact first = named(QStringLiteral("First"));
        QContact second = named(QStringLiteral("Second"));
        {
            QScopedPointer<QContactManager> manager(open(m_path));
            QVERIFY(manager->saveContact(&first));
            QVERIFY(manager->saveContact(&second));
            QVERIFY(manager->removeContact(second.id()));
        }
        QScopedPointer<QContactManager> manager(open(m_path));
        QCOMPARE(ContactsEngine::toLocalIds(manager->contactIds()),
                 QList<QContactLocalId>{ContactsEngine::toLocalId(first.id())});
        QContact third = named(QStringLiteral("Third"));
        QVERIFY(manager->saveContact(&third));
        QVERIFY(ContactsEngine::toLocalId(third.id()) > ContactsEngine::toLocalId(second.id()));
        QCOMPARE(manager->contact(first.id()).detail<QContactName>().firstName(),
                 QStringLiteral("First"));
    }

    void shouldConvertLocalIds()
    {
        QCOMPARE(ContactsEngine::toLocalId(ContactsEngine::toContactId(4000000000u)), 4000000000u);
        QVERIFY(ContactsEngine::toContactId(0).isNull());
        QCOMPARE(ContactsEngine::toLocalId(
                     QContactId(QStringLiteral("qtcontacts:memory:"), QByteArray(4, '\1'))),
                 0u);
    }

    void shouldDeriveTheDisplayLabel_data()
    {
        QTest::addColumn<QContact>("contact");
        QTest::addColumn<QString>("label");
        QContact withName = named(QStringLiteral("Dora"));
        QContactName name = withName.detail<QContactName>();
        name.setLastName(QStringLiteral("Explorer"));
        withName.saveDetail(&name);
        QTest::newRow("name") << withName << "Dora Explorer";
        QContact nick;
        QContactNickname nickname;
        nickname.setNickname(QStringLiteral("Dee"));
        nick.saveDetail(&nickname);
        QContactPhoneNumber phone;
        phone.setNumber(QStringLiteral("555 0100"));
        nick.saveDetail(&phone);
        QTest::newRow("nickname before number") << nick << "Dee";
        QContact number;
        number.saveDetail(&phone);
        QTest::newRow("number") << number << "555 0100";
        QContact address;
        QContactOnlineAccount account;
        account.setAccountUri(QStringLiteral("sip:x@y"));
        address.saveDetail(&account);
        QTest::newRow("address") << address << "sip:x@y";
        QContact labelOnly;
        QContactDisplayLabel label;
        label.setLabel(QStringLiteral("The Plumber"));
        labelOnly.saveDetail(&label);
        QTest::newRow("given label when nothing else names it") << labelOnly << "The Plumber";
        QContact staleLabel = withName;
        label.setLabel(QStringLiteral("Old name"));
        staleLabel.saveDetail(&label);
        QTest::newRow("name wins over a stale label") << staleLabel << "Dora Explorer";
    }

    void shouldDeriveTheDisplayLabel()
    {
        QFETCH(QContact, contact);
        QFETCH(QString, label);
        QScopedPointer<QContactManager> manager(open(m_path));
        QVERIFY(manager->saveContact(&contact));
        QCOMPARE(manager->contact(contact.id()).detail<QContactDisplayLabel>().label(), label);
        QCOMPARE(ContactsEngine::synthesizedContactDisplayLabel(manager->contact(contact.id())),
                 label);
    }

    void shouldAnswerFetchRequestsThroughTheEventLoop()
    {
        QScopedPointer<QContactManager> manager(open(m_path));
        QList<QContact> contacts;
        for (int i = 0; i < 30; ++i)
            contacts << named(QStringLiteral("C%1").arg(i), QStringLiteral("040 555 %1").arg(i));
        QVERIFY(manager->saveContacts(&contacts));
        QList<QContactId> wanted{contacts.at(3).id(), contacts.at(17).id(), contacts.at(3).id()};
        wanted << ContactsEngine::toContactId(99999); // deleted meanwhile: simply not found

        QContactFetchRequest request;
        request.setManager(manager.data());
        QContactIdFilter filter;
        filter.setIds(wanted);
        request.setFilter(filter);
        QContactFetchHint hint;
        hint.setDetailTypesHint(
            {QContactDetail::TypeDisplayLabel, QContactDetail::TypePhoneNumber});
        request.setFetchHint(hint);
        QSignalSpy states(&request, &QContactAbstractRequest::stateChanged);
        QVERIFY(request.start());
        QVERIFY(!request.isFinished());
        QTRY_VERIFY(request.isFinished());
        QCOMPARE(request.error(), QContactManager::NoError);
        QStringList got;
        for (const QContact &contact : request.contacts()) {
            got << contact.detail<QContactDisplayLabel>().label() + QLatin1Char('/') +
                       contact.detail<QContactPhoneNumber>().number();
            QVERIFY(contact.details<QContactName>().isEmpty()); // not asked for
        }
        got.sort();
        QCOMPARE(got.join(QLatin1Char(' ')), QStringLiteral("C17/040 555 17 C3/040 555 3"));
        QCOMPARE(states.count(), 2); // active, finished
    }

    void shouldFindAContactByItsGuid_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("found");
        QTest::newRow("fixed string ignores case")
            << int(QContactFilter::MatchFixedString) << "voicemail-contact" << true;
        QTest::newRow("case-sensitive exact match, other case")
            << int(QContactFilter::MatchExactly | QContactFilter::MatchCaseSensitive)
            << "voicemail-contact" << false;
        QTest::newRow("case-sensitive exact match, same case")
            << int(QContactFilter::MatchExactly | QContactFilter::MatchCaseSensitive)
            << "Voicemail-Contact" << true;
        QTest::newRow("contains") << int(QContactFilter::MatchContains) << "mail-Con" << true;
        QTest::newRow("other guid")
            << int(QContactFilter::MatchFixedString) << "voicemail" << false;
    }

    void shouldFindAContactByItsGuid()
    {
        QFETCH(int, flags);
        QFETCH(QString, value);
        QFETCH(bool, found);
        QScopedPointer<QContactManager> manager(open(m_path));
        QContact other = named(QStringLiteral("Other"));
        QContact voicemail = named(QStringLiteral("Voicemail"));
        QContactGuid guid;
        guid.setGuid(QStringLiteral("Voicemail-Contact"));
        voicemail.saveDetail(&guid);
        QVERIFY(manager->saveContact(&other));
        QVERIFY(manager->saveContact(&voicemail));
        QContactFetchRequest request;
        request.setManager(manager.data());
        QContactDetailFilter filter;
        filter.setDetailType(QContactDetail::TypeGuid, QContactGuid::FieldGuid);
        filter.setValue(value);
        filter.setMatchFlags(QContactFilter::MatchFlags(flags));
        request.setFilter(filter);
        QVERIFY(request.start());
        QVERIFY(request.waitForFinished());
        QCOMPARE(request.contacts().size(), found ? 1 : 0);
        if (found)
            QCOMPARE(request.contacts().first().id(), voicemail.id());
    }

    void shouldSurviveAResultHandlerThatDeletesTheManager()
    {
        QContactManager *manager = open(m_path);
        QContact contact = named(QStringLiteral("Ida"));
        QVERIFY(manager->saveContact(&contact));
        QContactFetchRequest first, second;
        first.setManager(manager);
        second.setManager(manager);
        bool deleted = false;
        connect(&first, &QContactAbstractRequest::stateChanged, this,
                [&](QContactAbstractRequest::State state) {
                    if (state == QContactAbstractRequest::FinishedState) {
                        delete manager;
                        deleted = true;
                    }
                });
        QVERIFY(first.start());
        QVERIFY(second.start());
        QTRY_VERIFY(deleted);
        QTest::qWait(20);
        QCOMPARE(first.contacts().size(), 1);
    }

    // Another process holds the write lock: a save waits for it in the engine's thread, and the
    // requests started after it wait behind it, while this thread goes on. Each then finishes,
    // in order, with what the earlier ones wrote.
    void shouldAnswerRequestsLaterWhileAnotherWriterHoldsTheBook_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("result");
        QTest::newRow("fetch") << int(QContactAbstractRequest::ContactFetchRequest)
                               << "Kept,Waited";
        QTest::newRow("fetch by id")
            << int(QContactAbstractRequest::ContactFetchByIdRequest) << "Kept";
        QTest::newRow("id fetch") << int(QContactAbstractRequest::ContactIdFetchRequest) << "2";
        QTest::newRow("remove") << int(QContactAbstractRequest::ContactRemoveRequest) << "";
        QTest::newRow("synchronous read") << -1 << "Kept,Waited";
    }

    void shouldAnswerRequestsLaterWhileAnotherWriterHoldsTheBook()
    {
        QFETCH(int, type);
        QFETCH(QString, result);
        QScopedPointer<QContactManager> manager(open(m_path));
        QContact kept = named(QStringLiteral("Kept"));
        QVERIFY(manager->saveContact(&kept));
        QCOMPARE(manager->contacts().size(), 1); // the whole file checked before the lock

        sqlite3 *other = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(m_path).constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);

        QContactSaveRequest save;
        save.setManager(manager.data());
        save.setContacts({named(QStringLiteral("Waited"))});
        QStringList states;
        QThread *signalThread = nullptr;
        connect(&save, &QContactAbstractRequest::stateChanged, this,
                [&](QContactAbstractRequest::State state) {
                    states << QString::number(state);
                    signalThread = QThread::currentThread();
                });
        QVERIFY(save.start());
        QScopedPointer<QContactAbstractRequest> next;
        if (type == QContactAbstractRequest::ContactFetchRequest) {
            next.reset(new QContactFetchRequest);
        } else if (type == QContactAbstractRequest::ContactFetchByIdRequest) {
            auto *byId = new QContactFetchByIdRequest;
            byId->setIds({kept.id()});
            next.reset(byId);
        } else if (type == QContactAbstractRequest::ContactIdFetchRequest) {
            next.reset(new QContactIdFetchRequest);
        } else if (type == QContactAbstractRequest::ContactRemoveRequest) {
            auto *remove = new QContactRemoveRequest;
            remove->setContactIds({kept.id()});
            next.reset(remove);
        }
        if (next) {
            next->setManager(manager.data());
            QVERIFY(next->start());
        }
        QCoreApplication::processEvents();
        QCOMPARE(save.state(), QContactAbstractRequest::ActiveState);
        if (next)
            QCOMPARE(next->state(), QContactAbstractRequest::ActiveState);

        QCOMPARE(sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(other);
        QStringList got;
        if (next) {
            QTRY_VERIFY(next->isFinished());
            QCOMPARE(next->error(), QContactManager::NoError);
            if (auto *fetch = qobject_cast<QContactFetchRequest *>(next.data())) {
                for (const QContact &contact : fetch->contacts())
                    got << contact.detail<QContactName>().firstName();
            } else if (auto *byId = qobject_cast<QContactFetchByIdRequest *>(next.data())) {
                for (const QContact &contact : byId->contacts())
                    got << contact.detail<QContactName>().firstName();
            } else if (auto *ids = qobject_cast<QContactIdFetchRequest *>(next.data())) {
                got << QString::number(ids->ids().size());
            }
        } else {
            for (const QContact &contact : manager->contacts())
                got << contact.detail<QContactName>().firstName();
        }
        QTRY_VERIFY(save.isFinished());
        QCOMPARE(save.error(), QContactManager::NoError);
        QCOMPARE(states.join(QLatin1Char(',')), QStringLiteral("1,3")); // active, finished
        QCOMPARE(signalThread, QThread::currentThread());
        got.sort();
        QCOMPARE(got.join(QLatin1Char(',')), result);
    }

    // A request withdrawn or destroyed while it waits in line never finishes, and the requests
    // around it still do.
    void shouldDropARequestLeftBeforeItRan_data()
    {
        QTest::addColumn<bool>("destroy");
        QTest::newRow("cancelled") << false;
        QTest::newRow("destroyed") << true;
    }

    void shouldDropARequestLeftBeforeItRan()
    {
        QFETCH(bool, destroy);
        QScopedPointer<QContactManager> manager(open(m_path));
        sqlite3 *other = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(m_path).constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        QContactSaveRequest first, last;
        first.setManager(manager.data());
        first.setContacts({named(QStringLiteral("First"))});
        last.setManager(manager.data());
        last.setContacts({named(QStringLiteral("Last"))});
        auto *dropped = new QContactSaveRequest;
        dropped->setManager(manager.data());
        dropped->setContacts({named(QStringLiteral("Dropped"))});
        QSignalSpy droppedStates(dropped, &QContactAbstractRequest::stateChanged);
        QVERIFY(first.start());
        QVERIFY(dropped->start());
        QVERIFY(last.start());
        if (destroy) {
            delete dropped;
        } else {
            QVERIFY(dropped->cancel());
            QCOMPARE(dropped->state(), QContactAbstractRequest::CanceledState);
        }
        QCOMPARE(sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(other);
        QTRY_VERIFY(last.isFinished());
        QVERIFY(first.isFinished());
        QStringList names;
        for (const QContact &contact : manager->contacts())
            names << contact.detail<QContactName>().firstName();
        QCOMPARE(names.join(QLatin1Char(',')), QStringLiteral("First,Last"));
        if (!destroy) {
            QCOMPARE(droppedStates.count(), 2); // active, cancelled
            delete dropped;
        }
    }

    // The whole-file check runs before the first write only: a book damaged inside is still read
    // where it is intact, and never written.
    void shouldReadButNeverWriteABookDamagedInside()
    {
        QList<QContact> contacts;
        for (int i = 0; i < 300; ++i)
            contacts << named(QStringLiteral("P%1").arg(i), QStringLiteral("040 555 %1").arg(i));
        {
            QScopedPointer<QContactManager> manager(open(m_path));
            QVERIFY(manager->saveContacts(&contacts));
        }
        // Break the page header of the index of numbers (the contacts table stays intact).
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(m_path).constData(), &db), SQLITE_OK);
        sqlite3_stmt *stmt = nullptr;
        QCOMPARE(sqlite3_prepare_v2(db,
                                    "SELECT rootpage, (SELECT page_size FROM pragma_page_size)"
                                    " FROM sqlite_master WHERE name = 'numbers_reversed'",
                                    -1, &stmt, nullptr),
                 SQLITE_OK);
        QCOMPARE(sqlite3_step(stmt), SQLITE_ROW);
        const qint64 offset = (sqlite3_column_int64(stmt, 0) - 1) * sqlite3_column_int64(stmt, 1);
        sqlite3_finalize(stmt);
        QCOMPARE(sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(db);
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.seek(offset));
        QCOMPARE(file.write(QByteArray(8, '\xee')), qint64(8));
        file.close();
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray damaged = file.readAll();
        file.close();

        QScopedPointer<QContactManager> manager(open(m_path));
        QCOMPARE(manager->error(), QContactManager::NoError);
        QCOMPARE(manager->contact(contacts.at(7).id()).detail<QContactName>().firstName(),
                 QStringLiteral("P7"));
        QContact lost = named(QStringLiteral("Lost"));
        QVERIFY(!manager->saveContact(&lost));
        QVERIFY(!manager->removeContact(contacts.at(7).id()));
        manager.reset();
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll() == damaged);
    }

    void shouldSaveAndRemoveThroughRequests()
    {
        QScopedPointer<QContactManager> manager(open(m_path));
        QContactSaveRequest save;
        save.setManager(manager.data());
        save.setContacts({named(QStringLiteral("Eve")), named(QStringLiteral("Frank"))});
        QVERIFY(save.start());
        QTRY_VERIFY(save.isFinished());
        QCOMPARE(save.error(), QContactManager::NoError);
        QCOMPARE(manager->contactIds().size(), 2);

        QContactRemoveRequest remove;
        remove.setManager(manager.data());
        remove.setContactIds({save.contacts().at(0).id(), ContactsEngine::toContactId(424242)});
        QVERIFY(remove.start());
        QTRY_VERIFY(remove.isFinished());
        QCOMPARE(remove.errorMap().value(1), QContactManager::DoesNotExistError);
        QCOMPARE(manager->contactIds(), QList<QContactId>{save.contacts().at(1).id()});
    }

    void shouldTellEveryManagerOfTheFileOnce()
    {
        QScopedPointer<QContactManager> writer(open(m_path));
        QScopedPointer<QContactManager> watcher(open(m_path));
        QScopedPointer<QContactManager> otherBook(open(m_dir.filePath(QStringLiteral("other.db"))));
        // Spies listen to each manager's repeater, as the program does: a spy connected to the
        // manager itself can deadlock in its destructor (see ContactManagerSignals).
        QSignalSpy added(ContactManagerSignals::of(watcher.data()),
                         &ContactManagerSignals::contactsAdded);
        QSignalSpy changed(ContactManagerSignals::of(watcher.data()),
                           &ContactManagerSignals::contactsChanged);
        QSignalSpy removed(ContactManagerSignals::of(watcher.data()),
                           &ContactManagerSignals::contactsRemoved);
        QSignalSpy writerChanged(ContactManagerSignals::of(writer.data()),
                                 &ContactManagerSignals::contactsChanged);
        QSignalSpy otherAdded(ContactManagerSignals::of(otherBook.data()),
                              &ContactManagerSignals::contactsAdded);

        QList<QContact> contacts{named(QStringLiteral("G")), named(QStringLiteral("H"))};
        QVERIFY(writer->saveContacts(&contacts));
        QContact g = contacts.at(0);
        QContactPhoneNumber phone;
        phone.setNumber(QStringLiteral("123456"));
        g.saveDetail(&phone);
        QVERIFY(writer->saveContact(&g));
        QVERIFY(writer->removeContact(contacts.at(1).id()));
        QTRY_COMPARE(removed.count(), 1);
        QTest::qWait(200); // a duplicate from the session bus would arrive by now

        const QString gid = QString::number(ContactsEngine::toLocalId(g.id()));
        const QString hid = QString::number(ContactsEngine::toLocalId(contacts.at(1).id()));
        QCOMPARE(spiedLocalIds(added), gid + QLatin1Char(',') + hid);
        QCOMPARE(spiedLocalIds(changed), gid);
        QCOMPARE(spiedLocalIds(removed), hid);
        QCOMPARE(spiedLocalIds(writerChanged), gid);
        QCOMPARE(otherAdded.count(), 0);
    }

    void shouldReportADamagedContactRecord()
    {
        QContact intact = named(QStringLiteral("Intact"));
        QContact damaged = named(QStringLiteral("Damaged"));
        {
            QScopedPointer<QContactManager> manager(open(m_path));
            QVERIFY(manager->saveContact(&intact));
            QVERIFY(manager->saveContact(&damaged));
        }
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(m_path).constData(), &db), SQLITE_OK);
        const QByteArray sql = "UPDATE contacts SET details = x'56414231ffff' WHERE id = " +
                               QByteArray::number(ContactsEngine::toLocalId(damaged.id()));
        QCOMPARE(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);

        QScopedPointer<QContactManager> manager(open(m_path));
        QCOMPARE(manager->error(), QContactManager::NoError);
        QCOMPARE(manager->contact(intact.id()).detail<QContactName>().firstName(),
                 QStringLiteral("Intact"));
        QVERIFY(manager->contact(damaged.id()).isEmpty());
        QVERIFY(manager->error() != QContactManager::NoError);
        QVERIFY(manager->contacts().isEmpty()); // no half book
        QVERIFY(manager->error() != QContactManager::NoError);
    }

    void shouldLeaveAnUnusableFileUntouched_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("sql");
        QTest::newRow("garbage")
            << QByteArray("this is not a database at all, just text\n").repeated(200) << QString();
        QTest::newRow("foreign database") << QByteArray()
                                          << "CREATE TABLE songs (title TEXT);"
                                             "INSERT INTO songs VALUES ('x');";
        QTest::newRow("newer format")
            << QByteArray()
            << "CREATE TABLE contacts (id INTEGER);"
               "PRAGMA application_id=1447117387; PRAGMA user_version=99;";
    }

    void shouldLeaveAnUnusableFileUntouched()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, sql);
        if (!sql.isEmpty()) {
            sqlite3 *db = nullptr;
            QCOMPARE(sqlite3_open(QFile::encodeName(m_path).constData(), &db), SQLITE_OK);
            QCOMPARE(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr),
                     SQLITE_OK);
            sqlite3_close(db);
        } else {
            QFile file(m_path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        QFile before(m_path);
        QVERIFY(before.open(QIODevice::ReadOnly));
        const QByteArray bytes = before.readAll();
        before.close();

        QScopedPointer<QContactManager> manager(open(m_path));
        QCOMPARE(manager->managerName(), QStringLiteral("org.velto.addressbook"));
        QVERIFY(manager->error() != QContactManager::NoError);
        QContact contact = named(QStringLiteral("Lost"));
        QVERIFY(!manager->saveContact(&contact));
        QVERIFY(manager->contactIds().isEmpty());
        QVERIFY(manager->error() != QContactManager::NoError);
        manager.reset();

        QFile after(m_path);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QVERIFY(after.readAll() == bytes);
        QVERIFY(!QFile::exists(m_path + QStringLiteral("-wal")) ||
                QFileInfo(m_path + QStringLiteral("-wal")).size() == 0);
    }
};

QTEST_GUILESS_MAIN(TestAddressBookEngine)
#include "tst_addressbookengine.moc"
