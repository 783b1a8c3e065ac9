#include "addressbookcontactresolver.h"
#include "callmodel.h"
#include "contactsengine.h"
#include "eventcontactsupdater.h"
#include "eventstore.h"

#include <QtContacts/QContactManager>
#include <QtContacts/QContactName>
#include <QtContacts/QContactOnlineAccount>
#include <QtContacts/QContactPhoneNumber>

#include <QAbstractItemModelTester>
#include <QDBusConnection>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace QtContacts;
using CommHistory::CallModel;
using CommHistory::Event;

// Call events matched to address-book contacts by the history store's models, and kept current
// when the address book changes.
class TestEventContacts : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    int m_count = 0;
    QString m_book;
    QString m_history;
    QScopedPointer<QContactManager> m_manager;
    QThread m_thread;

    QMap<QString, QString> parameters() const
    {
        return {{QString::fromLatin1(ContactsEngine::databaseParameter), m_book}};
    }

    // name with addresses: numbers, or online accounts for "sip:..." and "@..." entries.
    QContactLocalId add(const QString &name, const QStringList &addresses)
    {
        QContact contact;
        QContactName contactName;
        contactName.setFirstName(name);
        contact.saveDetail(&contactName);
        for (const QString &address : addresses) {
            if (address.startsWith(QLatin1String("sip:")) || address.startsWith(QLatin1Char('@'))) {
                QContactOnlineAccount account;
                account.setAccountUri(address.startsWith(QLatin1Char('@')) ? address.mid(1)
                                                                           : address);
                contact.saveDetail(&account);
            } else {
                QContactPhoneNumber number;
                number.setNumber(address);
                contact.saveDetail(&number);
            }
        }
        return m_manager->saveContact(&contact) ? ContactsEngine::toLocalId(contact.id()) : 0;
    }

    static QString names(const QList<Event::Contact> &contacts)
    {
        QStringList list;
        for (const Event::Contact &contact : contacts)
            list << contact.second;
        return list.join(QLatin1Char(','));
    }

    void addCalls(const QStringList &remotes)
    {
        QList<Event> events;
        qint64 time = 1700000000;
        for (const QString &remote : remotes) {
            Event e;
            e.setType(Event::CallEvent);
            e.setRemoteUid(remote);
            e.setLocalUid(QStringLiteral("/org/freedesktop/Telepathy/Account/pulse/tel/pulse"));
            e.setDirection(Event::Inbound);
            e.setStartTimeT(time);
            e.setEndTimeT(time + 10);
            events << e;
            time += 60;
        }
        CommHistory::EventStore store(m_history);
        QVERIFY2(store.open() && store.addEvents(events), qPrintable(store.errorString()));
    }

    std::unique_ptr<CallModel> loadedModel(EventContactsUpdater *updater, bool followChanges)
    {
        auto model = std::make_unique<CallModel>();
        new QAbstractItemModelTester(
            model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest, model.get());
        model->setDatabasePath(m_history);
        model->setBackgroundThread(&m_thread);
        model->enableContactChanges(followChanges);
        model->setFilter(CallModel::SortByTime, CallModel::AllCalls);
        updater->attach(model.get());
        QSignalSpy ready(model.get(), &CallModel::modelReady);
        model->getEvents();
        if (!ready.wait(10000))
            return nullptr;
        return model;
    }

    // "remote=names" per row, newest first.
    static QString rows(const CallModel &model)
    {
        QStringList list;
        for (int row = 0; row < model.rowCount(); ++row) {
            const Event e = model.event(model.index(row, 0));
            list << e.remoteUid() + QLatin1Char('=') + names(e.contacts());
        }
        return list.join(QLatin1Char(' '));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_thread.start();
    }

    void cleanupTestCase()
    {
        m_thread.quit();
        m_thread.wait();
    }

    void init()
    {
        ++m_count;
        m_book = m_dir.filePath(QStringLiteral("book%1.db").arg(m_count));
        m_history = m_dir.filePath(QStringLiteral("history%1.db").arg(m_count));
        m_manager.reset(new QContactManager(ContactsEngine::ensureRegistered(), parameters()));
    }

    void cleanup() { m_manager.reset(); }

    void shouldMatchTheRemotePartyToContacts_data()
    {
        QTest::addColumn<QString>("remoteUid");
        QTest::addColumn<QString>("contacts");
        QTest::newRow("national form of a stored international number") << "0401234567"
                                                                        << "Jo";
        QTest::newRow("international form") << "+358401234567"
                                            << "Jo";
        QTest::newRow("with separators") << "+358 (40) 123-4567"
                                         << "Jo";
        QTest::newRow("number in a sip uri") << "sip:+358401234567@voip.example"
                                             << "Jo";
        QTest::newRow("shared number, longest tail first") << "0501234567"
                                                           << "Ann,Ben";
        QTest::newRow("international form of a shared number") << "+358501234567"
                                                               << "Ben,Ann";
        QTest::newRow("last four digits alone do not match") << "0509994567"
                                                             << "";
        QTest::newRow("same subscriber digits, other area code") << "0451234567"
                                                                 << "";
        QTest::newRow("stored without area code") << "0209876543"
                                                  << "Local";
        QTest::newRow("short number whole") << "12345"
                                            << "Service";
        QTest::newRow("short number inside a longer one") << "34567"
                                                          << "";
        QTest::newRow("voip address exactly") << "sip:jo@example.com"
                                              << "Jo";
        QTest::newRow("voip address in other case") << "sip:JO@example.com"
                                                    << "";
        QTest::newRow("user name") << "jo.ames"
                                   << "Jo";
        QTest::newRow("private number") << ""
                                        << "";
    }

    void shouldMatchTheRemotePartyToContacts()
    {
        QFETCH(QString, remoteUid);
        QFETCH(QString, contacts);
        add(QStringLiteral("Jo"),
            {"+358 40 123 4567", "sip:jo@example.com", "@jo.ames", "+44 20 7946 0000"});
        add(QStringLiteral("Ann"), {"050 123 4567"});
        add(QStringLiteral("Ben"), {"+358501234567"});
        add(QStringLiteral("Service"), {"12345"});
        add(QStringLiteral("Local"), {"987 6543"});
        AddressBookContactResolver resolver(m_book);
        QCOMPARE(names(resolver.contactsFor(QString(), remoteUid)), contacts);
    }

    void shouldMatchNothingWithoutAnAddressBook()
    {
        AddressBookContactResolver resolver(m_dir.filePath(QStringLiteral("missing.db")));
        QVERIFY(resolver.contactsFor(QString(), QStringLiteral("0401234567")).isEmpty());
        QVERIFY(!QFile::exists(resolver.databasePath()));
    }

    void shouldResolveFromSeveralThreads()
    {
        add(QStringLiteral("Jo"), {"+358 40 123 4567"});
        AddressBookContactResolver resolver(m_book);
        QAtomicInt matched;
        QList<QThread *> threads;
        for (int t = 0; t < 4; ++t) {
            threads << QThread::create([&] {
                for (int i = 0; i < 200; ++i) {
                    if (resolver.contactsFor(QString(), QStringLiteral("0401234567")).size() == 1)
                        matched.fetchAndAddRelaxed(1);
                }
            });
            threads.last()->start();
        }
        for (QThread *thread : qAsConst(threads)) {
            QVERIFY(thread->wait(30000));
            delete thread;
        }
        QCOMPARE(matched.loadRelaxed(), 800);
    }

    void shouldFillTheContactsOfLoadedEvents()
    {
        add(QStringLiteral("Jo"), {"+358 40 123 4567"});
        addCalls({"0401234567", "0509999999", "+358401234567"});
        EventContactsUpdater updater(m_manager.data(), nullptr, 100);
        auto model = loadedModel(&updater, true);
        QVERIFY(model);
        QCOMPARE(rows(*model), QStringLiteral("+358401234567=Jo 0509999999= 0401234567=Jo"));
    }

    void shouldFollowTheAddressBook_data()
    {
        QTest::addColumn<bool>("followChanges");
        QTest::newRow("following changes") << true;
        QTest::newRow("contact changes disabled") << false;
    }

    void shouldFollowTheAddressBook()
    {
        QFETCH(bool, followChanges);
        const QContactLocalId jo = add(QStringLiteral("Jo"), {"+358 40 123 4567"});
        addCalls({"0401234567", "0509999999"});
        EventContactsUpdater updater(m_manager.data(), nullptr, 100);
        auto model = loadedModel(&updater, followChanges);
        QVERIFY(model);
        const QString before = QStringLiteral("0509999999= 0401234567=Jo");
        QCOMPARE(rows(*model), before);

        // Added, renamed, removed: each shows once the address book has settled.
        const QContactLocalId ann = add(QStringLiteral("Ann"), {"0509999999"});
        QContact renamed = m_manager->contact(ContactsEngine::toContactId(jo));
        QContactName name = renamed.detail<QContactName>();
        name.setFirstName(QStringLiteral("Joanna"));
        renamed.saveDetail(&name);
        QVERIFY(m_manager->saveContact(&renamed));
        if (followChanges) {
            QTRY_COMPARE(rows(*model), QStringLiteral("0509999999=Ann 0401234567=Joanna"));
            QVERIFY(m_manager->removeContact(ContactsEngine::toContactId(ann)));
            QTRY_COMPARE(rows(*model), QStringLiteral("0509999999= 0401234567=Joanna"));
        } else {
            QTest::qWait(500);
            QCOMPARE(rows(*model), before);
        }
    }

    void shouldFollowAnAddressBookChangedByAnotherProcess()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("changes between processes travel on the session bus");
        addCalls({"0401234567"});
        EventContactsUpdater updater(m_manager.data(), nullptr, 100);
        auto model = loadedModel(&updater, true);
        QVERIFY(model);
        QCOMPARE(rows(*model), QStringLiteral("0401234567="));
        QProcess tool;
        tool.start(QStringLiteral(CH_CONTACTS_TOOL),
                   {QStringLiteral("--database"), m_book, QStringLiteral("add"),
                    QStringLiteral("Jo Ames"), QStringLiteral("--mobile"),
                    QStringLiteral("+358 40 123 4567")});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 0);
        QTRY_COMPARE(rows(*model), QStringLiteral("0401234567=Jo Ames"));
    }
};

QTEST_GUILESS_MAIN(TestEventContacts)
#include "tst_eventcontacts.moc"
