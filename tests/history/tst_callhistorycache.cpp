#include "callhistorycache.h"
#include "callhistorycachecontacts.h"
#include "callhistorylocale.h"
#include "callmodel.h"
#include "eventstore.h"
#include "mapplication.h"
#include "mlist.h"
#include "modelmanager.h"
#include "mpannableviewport.h"
#include "testeventmodel.h"

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

// A contact record as the cache sees it: resolved now or later, counting its references.
class FakeContact : public QObject
{
    Q_OBJECT
public:
    bool resolved = false;
    int references = 0;
    CallHistoryCacheContacts::Details details;
    void resolve()
    {
        resolved = true;
        Q_EMIT updated();
    }
Q_SIGNALS:
    void updated();
};

class FakeContacts : public CallHistoryCacheContacts
{
public:
    QMap<quint32, std::shared_ptr<FakeContact>> records;
    QList<quint32> acquired;

    FakeContact *record(quint32 id)
    {
        std::shared_ptr<FakeContact> &r = records[id];
        if (!r)
            r = std::make_shared<FakeContact>();
        return r.get();
    }
    QObject *acquireContact(quint32 id) override
    {
        acquired << id;
        FakeContact *r = record(id);
        ++r->references;
        return r;
    }
    bool isResolved(QObject *contact) const override
    {
        return static_cast<FakeContact *>(contact)->resolved;
    }
    Details details(QObject *contact, const Event &) const override
    {
        return static_cast<FakeContact *>(contact)->details;
    }
    void release(QObject *contact) override { --static_cast<FakeContact *>(contact)->references; }
    int references() const
    {
        int n = 0;
        for (const auto &r : records)
            n += r->references;
        return n;
    }
};

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

private:
    // Stores `count` calls a minute apart, the newest ending at `newest`; row i is from
    // "+1000<i>".
    void store(int count, const QDateTime &newest = Now.addSecs(-60));
    std::unique_ptr<CallHistoryCache> makeCache(FakeContacts *contacts = nullptr);
    QString filled(const CallHistoryCache &cache) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    std::shared_ptr<NumberContacts> m_book;
    std::unique_ptr<CommHistory::CallModel> m_model;
    std::unique_ptr<CallHistoryLocale> m_locale;
};

void TestCallHistoryCache::init()
{
    m_dir.reset(new QTemporaryDir);
    m_path = m_dir->filePath("history.db");
    m_book = std::make_shared<NumberContacts>();
    m_model.reset(new CommHistory::CallModel);
    m_model->setDatabasePath(m_path);
    m_model->setContactResolver(m_book);
    m_model->setFilter(CommHistory::CallModel::SortByTime, CommHistory::CallModel::AllCalls);
    m_locale.reset(new CallHistoryLocale([] { return Now; }));
}

void TestCallHistoryCache::cleanup()
{
    m_model.reset();
    m_locale.reset();
    m_dir.reset();
}

void TestCallHistoryCache::store(int count, const QDateTime &newest)
{
    CommHistory::EventStore store(m_path);
    QVERIFY(store.open());
    QList<Event> calls;
    for (int i = count - 1; i >= 0; --i)
        calls << TestEventModel::call(-1, newest.addSecs(-60 * i), QString("+1000%1").arg(i));
    QVERIFY(store.addEvents(calls));
    QSignalSpy ready(m_model.get(), &CommHistory::CallModel::modelReady);
    QVERIFY(m_model->getEvents());
    QVERIFY(ready.wait(10000));
    QCOMPARE(m_model->rowCount(), count);
}

std::unique_ptr<CallHistoryCache> TestCallHistoryCache::makeCache(FakeContacts *contacts)
{
    return std::unique_ptr<CallHistoryCache>(
        new CallHistoryCache(m_model.get(), m_locale.get(), contacts));
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
    m_book->contacts.insert("+10000", {{7, "Anna"}});
    m_book->contacts.insert("+10001", {{8, "Bob"}, {9, "Bea"}});
    FakeContacts contacts;
    FakeContact *anna = contacts.record(7);
    anna->resolved = true;
    anna->details.numberType = 1;
    anna->details.presence = 2;
    anna->details.numberCount = 3;
    store(3);
    auto cache = makeCache(&contacts);

    cache->onPopulateTimeout();

    QCOMPARE(contacts.acquired, (QList<quint32>{7}));
    QCOMPARE(contacts.references(), 0);
    const auto single = cache->cacheItem(m_model->event(m_model->index(0, 0)).id());
    QVERIFY(single->contactInfoSet);
    QCOMPARE(
        QString("%1 %2 %3").arg(single->numberType).arg(single->presence).arg(single->numberCount),
        QStringLiteral("1 2 3"));
    QVERIFY(!cache->cacheItem(m_model->event(m_model->index(1, 0)).id())->contactInfoSet);
    QVERIFY(!cache->cacheItem(m_model->event(m_model->index(2, 0)).id())->contactInfoSet);
}

void TestCallHistoryCache::shouldWaitForContactDetailsArrivingLater()
{
    m_book->contacts.insert("+10000", {{7, "Anna"}}); // row 0
    m_book->contacts.insert("+10001", {{8, "Bob"}});  // row 1, never resolved
    FakeContacts contacts;
    store(40);
    auto cache = makeCache(&contacts);
    const int first = m_model->event(m_model->index(0, 0)).id();
    const int second = m_model->event(m_model->index(1, 0)).id();

    cache->onPopulateTimeout();
    QCOMPARE(cache->pendingCount(), 2);
    QVERIFY(cache->isPending(first));
    QVERIFY(!cache->cacheItem(first)->contactInfoSet);
    cache->onPopulateTimeout(); // the fill goes on meanwhile
    QCOMPARE(filled(*cache), QStringLiteral("0-39"));
    QCOMPARE(contacts.acquired, (QList<quint32>{7, 8}));

    contacts.record(7)->details.numberType = 6;
    contacts.record(7)->details.numberCount = 1;
    contacts.record(7)->resolve();

    QVERIFY(cache->cacheItem(first)->contactInfoSet);
    QCOMPARE(cache->cacheItem(first)->numberType, 6);
    QCOMPARE(cache->cacheItem(first)->numberCount, 1);
    QVERIFY(!cache->isPending(first));
    QVERIFY(cache->isPending(second));
    QCOMPARE(contacts.record(7)->references, 0);
    QCOMPARE(contacts.record(8)->references, 1);
    contacts.record(7)->resolve(); // a later change is no longer followed
    QCOMPARE(contacts.record(7)->references, 0);
}

void TestCallHistoryCache::shouldLetPendingContactsGoWhenCleared()
{
    m_book->contacts.insert("+10000", {{7, "Anna"}});
    m_book->contacts.insert("+10001", {{8, "Bob"}});
    FakeContacts contacts;
    store(2);
    auto cache = makeCache(&contacts);
    cache->onPopulateTimeout();
    QCOMPARE(contacts.references(), 2);

    cache->clear(m_model->event(m_model->index(0, 0)).id());
    QCOMPARE(contacts.record(7)->references, 0);
    QCOMPARE(contacts.record(8)->references, 1);
    cache->clear(-1);
    QCOMPARE(contacts.references(), 0);
    cache->onPopulateTimeout(); // asks again, once per event
    QCOMPARE(contacts.references(), 2);
    cache.reset();
    QCOMPARE(contacts.references(), 0);
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

int main(int argc, char *argv[])
{
    qputenv("LC_ALL", "C");
    qputenv("TZ", "Europe/Helsinki");
    MApplication app(argc, argv, QStringLiteral("call-history-tests"));
    TestCallHistoryCache test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_callhistorycache.moc"
