#include "callhistorycache.h"
#include "callhistorycontactsmanager.h"
#include "callhistorylocale.h"
#include "callmodel.h"
#include "contactsengine.h"
#include "eventstore.h"
#include "mapplication.h"
#include "mlist.h"
#include "modelmanager.h"
#include "mpannableviewport.h"
#include "testeventmodel.h"

#include <QtContacts/QContactManager>
#include <QtContacts/QContactName>
#include <QtContacts/QContactOnlineAccount>
#include <QtContacts/QContactPhoneNumber>
#include <QtContacts/QContactPresence>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using CommHistory::Event;

namespace {

const QDateTime Now(QDate(2026, 6, 10), QTime(12, 0));

// The contacts of the stored calls: the remote party's number decides.
class NumberContacts : public CommHistory::ContactResolver
{
public:
    QHash<QString, QList<Event::Contact>> contacts;
    QList<Event::Contact> contactsFor(const QString &, const QString &remoteUid) override
    {
        return contacts.value(remoteUid);
    }
};

} // namespace

// The row cache: what a row's time text says, in which order and how fast the cache fills,
// that it rests while the list pans, what empties it, and the contact details that arrive with
// the contact records.
class TestCallHistoryCache : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void shouldShowTheTimeAloneForCallsOfToday_data();
    void shouldShowTheTimeAloneForCallsOfToday();
    void shouldFillTwentyEventsPerTickFromTheTop();
    void shouldTickSlowerInAPrestartedProcess();
    void shouldRestWhileTheListIsPanned();
    void shouldBuildAnItemOnDemand();
    void shouldClearOneEventOrAll();
    void shouldEmptyOnEveryChangeOfTheModel_data();
    void shouldEmptyOnEveryChangeOfTheModel();
    void shouldTakeContactDetailsOfASingleContact();
    void shouldWaitForContactDetailsArrivingLater();
    void shouldLetPendingContactsGoWhenCleared();
    void shouldBeEmptiedWhenTimeFormatsChange();
    void shouldTakeContactDetailsInTheApplicationCache();
    void shouldKeepABoundedNumberOfItems_data();
    void shouldKeepABoundedNumberOfItems();

private:
    // Stores `count` calls a minute apart, the newest ending at `newest`; row i is from
    // "+1000<i>".
    void store(int count, const QDateTime &newest = Now.addSecs(-60));
    std::unique_ptr<CallHistoryCache> makeCache(bool withContacts = false);
    // Adds a contact with a mobile number and a VoIP account of the given presence.
    QContactLocalId addContact(const QString &name, const QString &number,
                               QtContacts::QContactPresence::PresenceState state);
    int references(QContactLocalId id) const;
    QString filled(const CallHistoryCache &cache) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    std::shared_ptr<NumberContacts> m_bookContacts;
    std::unique_ptr<CommHistory::CallModel> m_model;
    std::unique_ptr<CallHistoryLocale> m_locale;
    std::unique_ptr<QtContacts::QContactManager> m_book;
    std::unique_ptr<CallHistoryContactsManager> m_contacts;
};

void TestCallHistoryCache::init()
{
    m_dir.reset(new QTemporaryDir);
    m_path = m_dir->filePath("history.db");
    m_bookContacts = std::make_shared<NumberContacts>();
    m_model.reset(new CommHistory::CallModel);
    m_model->setDatabasePath(m_path);
    m_model->setContactResolver(m_bookContacts);
    m_model->setFilter(CommHistory::CallModel::SortByTime, CommHistory::CallModel::AllCalls);
    m_locale.reset(new CallHistoryLocale([] { return Now; }));
    const QMap<QString, QString> book{
        {QString::fromLatin1(ContactsEngine::databaseParameter), m_dir->filePath("book.db")}};
    m_book.reset(new QtContacts::QContactManager(ContactsEngine::ensureRegistered(), book));
    CallHistoryContactsManager::Timings timings;
    timings.batchWindow = 100;
    m_contacts.reset(new CallHistoryContactsManager(book, timings));
}

void TestCallHistoryCache::cleanup()
{
    m_contacts.reset();
    m_book.reset();
    m_model.reset();
    m_locale.reset();
    m_dir.reset();
}

void TestCallHistoryCache::store(int count, const QDateTime &newest)
{
    CommHistory::EventStore store(m_path);
    QVERIFY(store.open());
    QList<Event> calls;
    for (int i = count - 1; i >= 0; --i) {
        calls << TestEventModel::call(-1, newest.addSecs(-60 * i), QString("+1000%1").arg(i));
        calls.last().setLocalUid(QStringLiteral("/acc/cell"));
    }
    QVERIFY(store.addEvents(calls));
    QSignalSpy ready(m_model.get(), &CommHistory::CallModel::modelReady);
    QVERIFY(m_model->getEvents());
    QVERIFY(ready.wait(10000));
    QCOMPARE(m_model->rowCount(), count);
}

std::unique_ptr<CallHistoryCache> TestCallHistoryCache::makeCache(bool withContacts)
{
    return std::unique_ptr<CallHistoryCache>(new CallHistoryCache(
        m_model.get(), m_locale.get(), withContacts ? m_contacts.get() : nullptr));
}

QContactLocalId TestCallHistoryCache::addContact(const QString &name, const QString &number,
                                                 QtContacts::QContactPresence::PresenceState state)
{
    using namespace QtContacts;
    QContact contact;
    QContactName contactName;
    contactName.setFirstName(name);
    contact.saveDetail(&contactName);
    QContactPhoneNumber phone;
    phone.setNumber(number);
    phone.setSubTypes({QContactPhoneNumber::SubTypeMobile});
    contact.saveDetail(&phone);
    QContactPhoneNumber work;
    work.setNumber(QStringLiteral("+3589555") + number.right(4));
    contact.saveDetail(&work);
    QContactOnlineAccount account;
    account.setAccountUri(name.toLower() + QStringLiteral("@example.com"));
    account.setValue(QContactOnlineAccount__FieldAccountPath, QStringLiteral("/acc/cell"));
    account.setLinkedDetailUris(QStringLiteral("presence:") + name);
    contact.saveDetail(&account);
    QContactPresence presence;
    presence.setDetailUri(QStringLiteral("presence:") + name);
    presence.setPresenceState(state);
    contact.saveDetail(&presence);
    if (!m_book->saveContact(&contact))
        return 0;
    return ContactsEngine::toLocalId(contact.id());
}

int TestCallHistoryCache::references(QContactLocalId id) const
{
    CallHistoryContact *record = m_contacts->cachedContact(id);
    return record ? record->refCount() : 0;
}

// The model rows whose events have an item, as "first-last" runs.
QString TestCallHistoryCache::filled(const CallHistoryCache &cache) const
{
    QStringList runs;
    int start = -1;
    for (int r = 0; r <= m_model->rowCount(); ++r) {
        const bool in =
            r < m_model->rowCount() && cache.contains(m_model->event(m_model->index(r, 0)).id());
        if (in && start < 0)
            start = r;
        if (!in && start >= 0) {
            runs << QString("%1-%2").arg(start).arg(r - 1);
            start = -1;
        }
    }
    return runs.join(' ');
}

void TestCallHistoryCache::shouldShowTheTimeAloneForCallsOfToday_data()
{
    QTest::addColumn<QDateTime>("start");
    QTest::addColumn<bool>("timeAlone");
    QTest::newRow("today 08:15") << QDateTime(Now.date(), QTime(8, 15)) << true;
    QTest::newRow("just after midnight") << QDateTime(Now.date(), QTime(0, 0, 30)) << true;
    QTest::newRow("yesterday 08:15") << QDateTime(Now.date().addDays(-1), QTime(8, 15)) << false;
    QTest::newRow("a year ago") << Now.addYears(-1) << false;
}

void TestCallHistoryCache::shouldShowTheTimeAloneForCallsOfToday()
{
    QFETCH(QDateTime, start);
    QFETCH(bool, timeAlone);
    store(1, start.addSecs(60));
    auto cache = makeCache();
    const int id = m_model->event(m_model->index(0, 0)).id();
    const QSharedPointer<CallHistoryCacheItem> item = cache->cacheItem(id);
    QVERIFY(item);
    QCOMPARE(item->eventId, id);
    QCOMPARE(item->text, timeAlone ? m_locale->formatTime(start) : m_locale->formatDateTime(start));
    QVERIFY(m_locale->formatTime(start) != m_locale->formatDateTime(start));
}

void TestCallHistoryCache::shouldFillTwentyEventsPerTickFromTheTop()
{
    store(45);
    auto cache = makeCache();
    QVERIFY(cache->isFilling());
    QCOMPARE(cache->tickInterval(), 150);
    QCOMPARE(filled(*cache), QString());

    QStringList ticks;
    for (int i = 0; i < 4; ++i) {
        cache->onPopulateTimeout();
        ticks << filled(*cache) + (cache->isFilling() ? "" : " done");
    }
    QCOMPARE(ticks.join(", "), QStringLiteral("0-19, 0-39, 0-44 done, 0-44 done"));
    QCOMPARE(cache->position(), -1);
    // With the real timer, the ticks come by themselves.
    cache->clear();
    QTRY_COMPARE_WITH_TIMEOUT(filled(*cache), QStringLiteral("0-44"), 5000);
}

void TestCallHistoryCache::shouldTickSlowerInAPrestartedProcess()
{
    store(3);
    MApplication::setPrestarted(true);
    auto cache = makeCache();
    const int prestarted = cache->tickInterval();
    MApplication::setPrestarted(false);
    QCOMPARE(prestarted, 300);
    QCOMPARE(cache->tickInterval(), 150);
}

void TestCallHistoryCache::shouldRestWhileTheListIsPanned()
{
    store(45);
    auto cache = makeCache();
    MList list;
    cache->watchList(&list);
    cache->onPopulateTimeout();
    QCOMPARE(cache->position(), 20);

    Q_EMIT list.panningStarted();
    QVERIFY(cache->isPaused());
    QVERIFY(!cache->isFilling());
    QTest::qWait(400);
    QCOMPARE(filled(*cache), QStringLiteral("0-19"));
    cache->clear(m_model->event(m_model->index(3, 0)).id()); // no restart while panned
    QVERIFY(!cache->isFilling());

    Q_EMIT list.panningStopped();
    QVERIFY(!cache->isPaused());
    QVERIFY(cache->isFilling());
    QTRY_COMPARE_WITH_TIMEOUT(filled(*cache), QStringLiteral("0-44"), 5000);
}

void TestCallHistoryCache::shouldBuildAnItemOnDemand()
{
    store(30);
    auto cache = makeCache();
    const int id = m_model->event(m_model->index(27, 0)).id();
    const QSharedPointer<CallHistoryCacheItem> item = cache->cacheItem(id);
    QVERIFY(item);
    QVERIFY(!item->text.isEmpty());
    QCOMPARE(filled(*cache), QStringLiteral("27-27"));
    QCOMPARE(cache->cacheItem(id), item); // not built again
    QVERIFY(!cache->cacheItem(99999));
    QCOMPARE(cache->count(), 1);
}

void TestCallHistoryCache::shouldClearOneEventOrAll()
{
    store(10);
    auto cache = makeCache();
    cache->onPopulateTimeout();
    QCOMPARE(filled(*cache), QStringLiteral("0-9"));
    QVERIFY(!cache->isFilling());
    const QSharedPointer<CallHistoryCacheItem> held =
        cache->cacheItem(m_model->event(m_model->index(4, 0)).id());

    cache->clear(held->eventId);
    QCOMPARE(filled(*cache), QStringLiteral("0-3 5-9"));
    QCOMPARE(cache->position(), 0);
    QVERIFY(cache->isFilling());
    QVERIFY(!held->text.isEmpty()); // the row that holds it keeps it

    cache->clear(-1);
    QCOMPARE(cache->count(), 0);
    QVERIFY(cache->isFilling());
}

void TestCallHistoryCache::shouldEmptyOnEveryChangeOfTheModel_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("event deleted") << "delete";
    QTest::newRow("event marked read") << "read";
    QTest::newRow("loaded again") << "reload";
}

void TestCallHistoryCache::shouldEmptyOnEveryChangeOfTheModel()
{
    QFETCH(QString, change);
    store(5);
    auto cache = makeCache();
    cache->onPopulateTimeout();
    QCOMPARE(cache->count(), 5);
    QSignalSpy committed(m_model.get(), &CommHistory::CallModel::eventsCommitted);
    QSignalSpy ready(m_model.get(), &CommHistory::CallModel::modelReady);

    Event event = m_model->event(m_model->index(2, 0));
    if (change == "delete") {
        QVERIFY(m_model->deleteEvent(event.id()));
        QCOMPARE(cache->count(), 0); // at once, with the row
        QVERIFY(committed.wait(10000));
    } else if (change == "read") {
        event.setIsRead(false);
        QVERIFY(m_model->modifyEvent(event));
        QVERIFY(committed.wait(10000));
    } else {
        QVERIFY(m_model->getEvents());
        QVERIFY(ready.wait(10000));
    }
    QCOMPARE(cache->count(), 0);
    QCOMPARE(cache->position(), 0);
}

void TestCallHistoryCache::shouldTakeContactDetailsOfASingleContact()
{
    const QContactLocalId anna =
        addContact("Anna", "+10000", QtContacts::QContactPresence::PresenceBusy);
    const QContactLocalId bob =
        addContact("Bob", "+10001", QtContacts::QContactPresence::PresenceAway);
    QVERIFY(anna && bob);
    m_bookContacts->contacts.insert("+10000", {{anna, "Anna"}});
    m_bookContacts->contacts.insert("+10001", {{bob, "Bob"}, {anna, "Anna"}});
    store(3);
    // Anna's record is resolved already (a row holds it).
    CallHistoryContact *held = m_contacts->acquireContact(anna);
    QSignalSpy updated(held, &CallHistoryContact::updated);
    QVERIFY(updated.wait());
    auto cache = makeCache(true);

    cache->onPopulateTimeout();

    const auto single = cache->cacheItem(m_model->event(m_model->index(0, 0)).id());
    QVERIFY(single->contactInfoSet);
    QCOMPARE(single->numberType, CallHistoryContact::NumberTypeMobile);
    QCOMPARE(single->presence, CallHistoryContact::PresenceBusy);
    QCOMPARE(single->numberCount, 2);
    QCOMPARE(cache->pendingCount(), 0);
    QCOMPARE(references(anna), 1); // only the row's
    // Two contacts: never asked for; none: nothing to ask.
    QVERIFY(!cache->cacheItem(m_model->event(m_model->index(1, 0)).id())->contactInfoSet);
    QVERIFY(!m_contacts->cachedContact(bob));
    QVERIFY(!cache->cacheItem(m_model->event(m_model->index(2, 0)).id())->contactInfoSet);
    held->release();
}

void TestCallHistoryCache::shouldWaitForContactDetailsArrivingLater()
{
    const QContactLocalId anna =
        addContact("Anna", "+10000", QtContacts::QContactPresence::PresenceAvailable);
    const QContactLocalId missing = anna + 1000; // not in the address book: never resolved
    m_bookContacts->contacts.insert("+10000", {{anna, "Anna"}});    // row 0
    m_bookContacts->contacts.insert("+10001", {{missing, "Gone"}}); // row 1
    store(40);
    auto cache = makeCache(true);
    const int first = m_model->event(m_model->index(0, 0)).id();
    const int second = m_model->event(m_model->index(1, 0)).id();

    cache->onPopulateTimeout();
    QCOMPARE(cache->pendingCount(), 2);
    QVERIFY(cache->isPending(first));
    QVERIFY(!cache->cacheItem(first)->contactInfoSet);
    cache->onPopulateTimeout(); // the fill goes on meanwhile
    QCOMPARE(filled(*cache), QStringLiteral("0-39"));

    QTRY_VERIFY(cache->cacheItem(first)->contactInfoSet);
    QCOMPARE(cache->cacheItem(first)->numberType, CallHistoryContact::NumberTypeMobile);
    QCOMPARE(cache->cacheItem(first)->presence, CallHistoryContact::PresenceAvailable);
    QCOMPARE(cache->cacheItem(first)->numberCount, 2);
    QVERIFY(!cache->isPending(first));
    QTRY_COMPARE(references(anna), 0);
    QTest::qWait(300);
    QVERIFY(cache->isPending(second));
    QVERIFY(!cache->cacheItem(second)->contactInfoSet);
    QCOMPARE(references(missing), 1); // the cache's, until it lets go
}

void TestCallHistoryCache::shouldLetPendingContactsGoWhenCleared()
{
    const QContactLocalId anna =
        addContact("Anna", "+10000", QtContacts::QContactPresence::PresenceAvailable);
    const QContactLocalId bob =
        addContact("Bob", "+10001", QtContacts::QContactPresence::PresenceAway);
    m_bookContacts->contacts.insert("+10000", {{anna, "Anna"}});
    m_bookContacts->contacts.insert("+10001", {{bob, "Bob"}});
    store(2);
    auto cache = makeCache(true);
    cache->onPopulateTimeout();
    QCOMPARE(cache->pendingCount(), 2);
    // The cache's references and the fetch's.
    QCOMPARE(references(anna) + references(bob), 4);

    cache->clear(m_model->event(m_model->index(0, 0)).id());
    QCOMPARE(cache->pendingCount(), 1);
    QCOMPARE(references(anna), 1);
    cache->clear(-1);
    QCOMPARE(cache->pendingCount(), 0);
    QCOMPARE(references(anna) + references(bob), 2);
    QTRY_COMPARE(references(anna) + references(bob), 0); // the fetch is done

    cache->onPopulateTimeout(); // both resolved now: filled at once
    QCOMPARE(cache->pendingCount(), 0);
    QVERIFY(cache->cacheItem(m_model->event(m_model->index(1, 0)).id())->contactInfoSet);
    QCOMPARE(references(anna) + references(bob), 0);
}

void TestCallHistoryCache::shouldBeEmptiedWhenTimeFormatsChange()
{
    // The application's cache, over the shared model of the default database.
    CommHistory::CallModel *shared = ModelManager::instance()->model();
    {
        CommHistory::EventStore store;
        QVERIFY(store.open());
        QList<Event> calls{TestEventModel::call(-1, Now, "+123")};
        QVERIFY(store.addEvents(calls));
    }
    QSignalSpy ready(shared, &CommHistory::CallModel::modelReady);
    shared->getEvents();
    QVERIFY(ready.wait(10000));
    QVERIFY(!CallHistoryCache::exists());
    CallHistoryCache *cache = CallHistoryCache::instance();
    QVERIFY(CallHistoryCache::exists());
    QVERIFY(cache->cacheItem(shared->event(shared->index(0, 0)).id()));
    QCOMPARE(cache->count(), 1);

    CallHistoryLocale::instance()->refreshFormatStrings();

    QCOMPARE(cache->count(), 0);
}

void TestCallHistoryCache::shouldTakeContactDetailsInTheApplicationCache()
{
    // The application's cache, on the shared model and the default address book, as the running
    // program has them.
    const QString number = QStringLiteral("+358401234124");
    m_book.reset(new QtContacts::QContactManager(ContactsEngine::ensureRegistered()));
    const QContactLocalId cleo =
        addContact("Cleo", number, QtContacts::QContactPresence::PresenceAvailable);
    QVERIFY(cleo);
    Event call = TestEventModel::call(-1, Now, number);
    call.setLocalUid(QStringLiteral("/acc/cell"));
    {
        CommHistory::EventStore store;
        QVERIFY(store.open());
        QVERIFY(store.addEvent(call));
    }
    CommHistory::CallModel *shared = ModelManager::instance()->model();
    QSignalSpy ready(shared, &CommHistory::CallModel::modelReady);
    shared->getEvents();
    QVERIFY(ready.wait(10000));
    QTRY_COMPARE(shared->event(shared->findEvent(call.id())).contacts().size(), 1);

    CallHistoryCache *cache = CallHistoryCache::instance();
    cache->clear();
    while (cache->position() >= 0)
        cache->onPopulateTimeout();

    QTRY_VERIFY(cache->cacheItem(call.id())->contactInfoSet);
    QCOMPARE(cache->cacheItem(call.id())->numberType, CallHistoryContact::NumberTypeMobile);
    QCOMPARE(cache->cacheItem(call.id())->presence, CallHistoryContact::PresenceAvailable);
    QCOMPARE(cache->cacheItem(call.id())->numberCount, 2);
}

void TestCallHistoryCache::shouldKeepABoundedNumberOfItems_data()
{
    // A row read again after the fill (-1: none), whether the top row waits for a contact that
    // never comes, and the rows with items once rows 20 to 25 were built on demand.
    QTest::addColumn<int>("readAgain");
    QTest::addColumn<bool>("topPending");
    QTest::addColumn<QString>("filledAfter");
    QTest::newRow("the least recently used go") << -1 << false << "6-25";
    QTest::newRow("an item read again stays") << 2 << false << "2-2 7-25";
    QTest::newRow("an item waiting for its contact stays") << -1 << true << "0-0 7-25";
}

void TestCallHistoryCache::shouldKeepABoundedNumberOfItems()
{
    QFETCH(int, readAgain);
    QFETCH(bool, topPending);
    QFETCH(QString, filledAfter);
    if (topPending)
        m_bookContacts->contacts.insert("+10000", {{4242, "Gone"}}); // not in the address book
    store(45);
    auto cache = makeCache(topPending);
    cache->setMaxItems(20);
    for (int tick = 0; tick < 5 && cache->position() >= 0; ++tick)
        cache->onPopulateTimeout();
    // The fill covers the top rows up to the bound.
    QCOMPARE(filled(*cache), QStringLiteral("0-19"));
    QCOMPARE(cache->position(), -1);
    QCOMPARE(cache->isPending(m_model->event(m_model->index(0, 0)).id()), topPending);

    if (readAgain >= 0)
        QVERIFY(cache->cacheItem(m_model->event(m_model->index(readAgain, 0)).id()));
    QStringList counts;
    for (int row = 20; row <= 25; ++row) {
        const int id = m_model->event(m_model->index(row, 0)).id();
        const QSharedPointer<CallHistoryCacheItem> item = cache->cacheItem(id);
        QVERIFY(item && !item->text.isEmpty());
        QCOMPARE(cache->cacheItem(id), item);
        counts << QString::number(cache->count());
    }
    QCOMPARE(counts.join(' '), QStringLiteral("21 22 23 24 25 20"));
    QCOMPARE(filled(*cache), filledAfter);
    QCOMPARE(cache->isPending(m_model->event(m_model->index(0, 0)).id()), topPending);
    // An item that went is built again when a row asks for it.
    const int gone = m_model->event(m_model->index(1, 0)).id();
    QVERIFY(!cache->contains(gone));
    QVERIFY(cache->cacheItem(gone));
    QVERIFY(cache->contains(gone));
}

int main(int argc, char *argv[])
{
    qputenv("LC_ALL", "C");
    qputenv("TZ", "Europe/Helsinki");
    MApplication app(argc, argv, QStringLiteral("call-history-tests"));
    TestCallHistoryCache test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_callhistorycache.moc"
