#include "callmodel.h"
#include "eventstore.h"
#include "historyfixture.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>
#include <memory>

using CommHistory::CallModel;
using CommHistory::ContactResolver;
using CommHistory::Event;
using CommHistory::EventStore;

// Contacts by remote identifier, changed by the test while the model's thread reads them.
class FixedResolver : public ContactResolver
{
public:
    QList<Event::Contact> contactsFor(const QString &, const QString &remote) override
    {
        QMutexLocker lock(&mutex);
        return contacts.value(remote);
    }
    void set(const QString &remote, const QList<Event::Contact> &list)
    {
        QMutexLocker lock(&mutex);
        contacts.insert(remote, list);
    }

private:
    QMutex mutex;
    QHash<QString, QList<Event::Contact>> contacts;
};

class TestCallModel : public QObject
{
    Q_OBJECT

private:
    QThread m_thread;

    struct Options
    {
        int sorting = CallModel::SortByTime;
        int callType = CallModel::AllCalls;
        uint firstChunk = 25;
        uint chunk = 50;
        int limit = 0;
        int mode = CallModel::AutoLoad;
    };

    static void attachTester(CallModel *model)
    {
        new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::QtTest,
                                     model);
    }

    // The tester asks for more rows (fetchMore) on every change, as a view at the end of its
    // list would: tests of how far the model loads on its own attach it afterwards.
    std::unique_ptr<CallModel> makeModel(HistoryFixture &f, const Options &o, bool tester = true)
    {
        auto model = std::make_unique<CallModel>();
        if (tester)
            attachTester(model.get());
        model->setDatabasePath(f.path());
        model->setBackgroundThread(&m_thread);
        model->setQueryMode(o.mode);
        model->setFirstChunkSize(o.firstChunk);
        model->setChunkSize(o.chunk);
        model->setLoadLimit(o.limit);
        model->setFilter(o.sorting, o.callType, QDateTime());
        return model;
    }

    std::unique_ptr<CallModel> loadedModel(HistoryFixture &f, const Options &o)
    {
        auto model = makeModel(f, o);
        QSignalSpy ready(model.get(), &CallModel::modelReady);
        model->getEvents();
        if (!ready.wait(10000))
            return nullptr;
        return model;
    }

    static QString ranges(const QSignalSpy &spy)
    {
        QStringList out;
        for (const QList<QVariant> &args : spy)
            out << QString("%1-%2").arg(args.at(1).toInt()).arg(args.at(2).toInt());
        return out.join(' ');
    }

    static void addParties(HistoryFixture &f, int count)
    {
        QList<Event> events;
        for (int i = 0; i < count; ++i)
            events << HistoryFixture::call(QString("p%1").arg(i), 'r', 60 * (i + 1));
        f.add(events);
    }

private Q_SLOTS:
    void initTestCase() { m_thread.start(); }
    void cleanupTestCase()
    {
        m_thread.quit();
        m_thread.wait();
    }

    void shouldLoadInChunksNewestFirst()
    {
        HistoryFixture f;
        addParties(f, 120);
        auto model = makeModel(f, Options());
        QSignalSpy inserted(model.get(), &CallModel::rowsInserted);
        QSignalSpy ready(model.get(), &CallModel::modelReady);
        QVERIFY(model->getEvents());
        QVERIFY(ready.wait(10000));
        QCOMPARE(ranges(inserted), QString("0-24 25-74 75-119"));
        QCOMPARE(ready.count(), 1);
        QCOMPARE(ready.at(0).at(0).toBool(), true);
        QCOMPARE(model->event(model->index(0, 0)).remoteUid(), QString("p119"));
        QCOMPARE(model->event(model->index(119, 0)).remoteUid(), QString("p0"));
        QVERIFY(!model->canFetchMore(QModelIndex()));
    }

    void shouldStopAtTheLoadLimitUntilAskedForMore()
    {
        HistoryFixture f;
        addParties(f, 200);
        Options o;
        o.limit = 60;
        auto model = makeModel(f, o, false);
        QSignalSpy inserted(model.get(), &CallModel::rowsInserted);
        QSignalSpy ready(model.get(), &CallModel::modelReady);
        model->getEvents();
        QVERIFY(ready.wait(10000)); // loading stopped at the limit
        QCOMPARE(ready.last().at(0).toBool(), true);
        QTest::qWait(100);
        QCOMPARE(model->rowCount(), 75);
        QVERIFY(model->canFetchMore(QModelIndex()));
        QCOMPARE(ready.count(), 1);

        model->fetchMore(QModelIndex());
        model->fetchMore(QModelIndex()); // a second request while one runs is not doubled
        QTRY_COMPARE(model->rowCount(), 125);
        QTest::qWait(100);
        QCOMPARE(model->rowCount(), 125);

        attachTester(model.get());
        model->fetchAll();
        QVERIFY(ready.wait(10000));
        QCOMPARE(ready.count(), 2);
        QCOMPARE(model->rowCount(), 200);
        QCOMPARE(ranges(inserted), QString("0-24 25-74 75-124 125-174 175-199"));
        QVERIFY(!model->canFetchMore(QModelIndex()));
    }

    void shouldReadUnloadedRowsAgainWithoutGapOrRepeat_data()
    {
        QTest::addColumn<int>("sorting");
        QTest::newRow("by time") << int(CallModel::SortByTime);
        // Repeated calls collapse: the row at the cut goes on in the next chunk.
        QTest::newRow("collapsed by contact") << int(CallModel::SortByContact);
    }
    void shouldReadUnloadedRowsAgainWithoutGapOrRepeat()
    {
        QFETCH(int, sorting);
        HistoryFixture f;
        QList<Event> events;
        for (int i = 0; i < 150; ++i)
            events << HistoryFixture::call(QString("p%1").arg(i / 3), 'r', 60 * (i + 1));
        f.add(events);
        Options o;
        o.sorting = sorting;
        o.limit = 20;
        auto whole = loadedModel(f, o);
        QVERIFY(whole);
        whole->fetchAll();
        QTRY_VERIFY(!whole->canFetchMore(QModelIndex()));
        const QString all = HistoryFixture::describe(*whole);

        auto model = makeModel(f, o, false);
        QSignalSpy ready(model.get(), &CallModel::modelReady);
        model->getEvents();
        QVERIFY(ready.wait(10000));
        attachTester(model.get());
        model->fetchAll();
        QTRY_VERIFY(!model->canFetchMore(QModelIndex()));
        QSignalSpy removed(model.get(), &CallModel::rowsRemoved);
        const int rows = model->rowCount();
        QVERIFY(model->unloadRowsAfter(7));
        QCOMPARE(ranges(removed), QString("7-%1").arg(rows - 1));
        QCOMPARE(model->rowCount(), 7);
        QVERIFY(model->canFetchMore(QModelIndex()));
        QVERIFY(!model->unloadRowsAfter(7)); // nothing more to let go of
        model->fetchAll();
        QTRY_VERIFY(!model->canFetchMore(QModelIndex()));
        QCOMPARE(HistoryFixture::describe(*model), all);
    }

    void shouldKeepTheRowsLeftInMemoryOfTheirOwn_data()
    {
        QTest::addColumn<int>("sorting");
        QTest::newRow("by time") << int(CallModel::SortByTime);
        QTest::newRow("collapsed by contact") << int(CallModel::SortByContact);
    }
    void shouldKeepTheRowsLeftInMemoryOfTheirOwn()
    {
        QFETCH(int, sorting);
        HistoryFixture f;
        QList<Event> events;
        for (int i = 0; i < 60; ++i)
            events << HistoryFixture::call(QString("p%1").arg(i % 4), i % 3 ? 'r' : 'm',
                                           60 * (i + 1));
        f.add(events);
        auto resolver = std::make_shared<FixedResolver>();
        resolver->set("p1", {{7, "Anna"}});
        resolver->set("p2", {{8, "Ben"}, {9, QString("")}});
        Options o;
        o.sorting = sorting;
        o.limit = 10;
        auto model = makeModel(f, o, false);
        model->setContactResolver(resolver);
        QSignalSpy ready(model.get(), &CallModel::modelReady);
        model->getEvents();
        QVERIFY(ready.wait(10000));
        model->fetchAll();
        QTRY_VERIFY(!model->canFetchMore(QModelIndex()));
        QList<Event> kept;
        for (int r = 0; r < 6; ++r)
            kept << model->event(model->index(r, 0));

        QVERIFY(model->unloadRowsAfter(6));

        QHash<QString, const QChar *> remotes;
        for (int r = 0; r < 6; ++r) {
            const Event e = model->event(model->index(r, 0));
            QCOMPARE(e, kept.at(r));
            QVERIFY(e.remoteUid().constData() != kept.at(r).remoteUid().constData());
            for (int c = 0; c < e.contacts().size(); ++c) {
                QCOMPARE(e.contacts().at(c).second.isNull(),
                         kept.at(r).contacts().at(c).second.isNull());
                QVERIFY(e.contacts().at(c).second.isEmpty() ||
                        e.contacts().at(c).second.constData() !=
                            kept.at(r).contacts().at(c).second.constData());
            }
            // Equal texts of the rows left still share one copy.
            const QChar *&remote = remotes[e.remoteUid()];
            QVERIFY(!remote || remote == e.remoteUid().constData());
            remote = e.remoteUid().constData();
        }
    }

    void shouldJoinTheNextChunkToTheLastRowWhenTheyBecameOneRow()
    {
        HistoryFixture f;
        f.addCalls("a/r a/r b/r a/r a/r c/r");
        Options o;
        o.sorting = CallModel::SortByContact;
        o.mode = CallModel::OnDemand;
        o.firstChunk = 2;
        o.chunk = 5;
        auto model = makeModel(f, o, false);
        model->getEvents();
        QTRY_COMPARE(HistoryFixture::describe(*model), QStringLiteral("c/r a/rx2"));
        // The call between the loaded row and the next calls goes; they now continue the row.
        {
            CommHistory::EventStore store(f.path());
            QList<Event> all;
            QVERIFY(store.open() && store.events(CommHistory::EventFilter(), Event(), 10, &all));
            QList<int> b;
            for (const Event &e : qAsConst(all))
                if (e.remoteUid() == QLatin1String("b"))
                    b << e.id();
            QVERIFY(store.deleteEvents(b));
        }
        model->fetchMore(QModelIndex());
        QTRY_VERIFY(!model->canFetchMore(QModelIndex()));
        QCOMPARE(HistoryFixture::describe(*model), QStringLiteral("c/r a/rx4"));
    }

    void shouldKeepRowsWhileAChunkIsOnItsWay()
    {
        HistoryFixture f;
        addParties(f, 100);
        Options o;
        o.limit = 30;
        auto model = makeModel(f, o, false);
        QSignalSpy ready(model.get(), &CallModel::modelReady);
        model->getEvents();
        QVERIFY(ready.wait(10000));
        const int rows = model->rowCount();
        model->fetchMore(QModelIndex());
        // The chunk asked for continues the rows loaded now: they stay until it is in.
        QVERIFY(!model->unloadRowsAfter(5));
        QCOMPARE(model->rowCount(), rows);
        QTRY_VERIFY(model->rowCount() > rows);
        QVERIFY(model->unloadRowsAfter(5));
        QCOMPARE(model->rowCount(), 5);
    }

    void shouldLoadOnDemandInQueryMode1()
    {
        HistoryFixture f;
        addParties(f, 30);
        Options o;
        o.mode = CallModel::OnDemand;
        o.firstChunk = 5;
        o.chunk = 10;
        auto model = makeModel(f, o, false);
        QSignalSpy inserted(model.get(), &CallModel::rowsInserted);
        QSignalSpy ready(model.get(), &CallModel::modelReady);
        model->getEvents();
        QTRY_COMPARE(model->rowCount(), 5);
        QTest::qWait(100);
        QCOMPARE(model->rowCount(), 5);
        while (ready.isEmpty()) {
            QVERIFY(model->canFetchMore(QModelIndex()));
            const int before = inserted.count();
            model->fetchMore(QModelIndex());
            QTRY_VERIFY(inserted.count() > before || !ready.isEmpty());
        }
        QCOMPARE(ranges(inserted), QString("0-4 5-14 15-24 25-29"));
        QCOMPARE(ready.count(), 1);
        attachTester(model.get());
    }

    void shouldReportReadyWhenLoadingStops_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("expected"); // rows when ready, and its argument
        QTest::newRow("at the end of the calls") << 120 << 0 << "120 true";
        QTest::newRow("at the load limit") << 200 << 60 << "75 true";
        QTest::newRow("at the end, below the limit") << 40 << 60 << "40 true";
        QTest::newRow("limit of the shared model") << 260 << 200 << "225 true";
    }

    void shouldReportReadyWhenLoadingStops()
    {
        QFETCH(int, stored);
        QFETCH(int, limit);
        QFETCH(QString, expected);
        HistoryFixture f;
        addParties(f, stored);
        Options o;
        o.limit = limit;
        auto model = makeModel(f, o, false);
        QStringList seen;
        connect(model.get(), &CallModel::modelReady, this, [&](bool ok) {
            seen << QString("%1 %2").arg(model->rowCount()).arg(ok ? "true" : "false");
        });
        model->getEvents();
        QTRY_VERIFY(!seen.isEmpty());
        QTest::qWait(100);
        QCOMPARE(seen.join(", "), expected);
        attachTester(model.get());
    }

    void shouldPageFromTheRowLastExamined_data()
    {
        QTest::addColumn<QString>("asked"); // the index the reader asks with
        QTest::newRow("the last row examined") << "last";
        QTest::newRow("the first row") << "first";
        QTest::newRow("the root") << "root";
    }

    // As the dialer looks for the last dialled number: a small first chunk, then one chunk
    // more for each request, until the reader found what it wants or the calls end.
    void shouldPageFromTheRowLastExamined()
    {
        QFETCH(QString, asked);
        HistoryFixture f;
        addParties(f, 23);
        Options o;
        o.mode = CallModel::OnDemand;
        o.firstChunk = 5;
        o.chunk = 10;
        auto model = makeModel(f, o, false);
        CallModel other;
        QSignalSpy inserted(model.get(), &CallModel::rowsInserted);
        QSignalSpy ready(model.get(), &CallModel::modelReady);
        QStringList answers;
        connect(model.get(), &CallModel::rowsInserted, this,
                [&](const QModelIndex &, int, int end) {
                    const QModelIndex index = asked == "last"    ? model->index(end, 0)
                                              : asked == "first" ? model->index(0, 0)
                                                                 : QModelIndex();
                    const bool more = model->canFetchMore(index);
                    answers << (more ? "more" : "no more");
                    if (more)
                        model->fetchMore(index);
                });
        model->getEvents();
        QVERIFY(ready.wait(10000));
        QCOMPARE(ranges(inserted), QString("0-4 5-14 15-22"));
        QCOMPARE(answers.join(", "), QString("more, more, no more"));
        QCOMPARE(ready.count(), 1);
        QVERIFY(!model->canFetchMore(model->index(22, 0)));
        QVERIFY(!model->canFetchMore(other.index(0, 0)));
        attachTester(model.get());
    }

    void shouldFilterByCallType_data()
    {
        QTest::addColumn<int>("callType");
        QTest::addColumn<QString>("expected");
        QTest::newRow("all") << int(CallModel::AllCalls) << "u/r r/r m/m d/d";
        QTest::newRow("dialled") << int(CallModel::DialedCalls) << "d/d";
        QTest::newRow("missed") << int(CallModel::MissedCalls) << "m/m";
        QTest::newRow("received") << int(CallModel::ReceivedCalls) << "u/r r/r";
    }

    void shouldFilterByCallType()
    {
        QFETCH(int, callType);
        QFETCH(QString, expected);
        HistoryFixture f;
        f.addCalls("d/d m/m r/r u/u");
        Options o;
        o.callType = callType;
        auto model = loadedModel(f, o);
        QVERIFY(model);
        QCOMPARE(HistoryFixture::describe(*model), expected);
    }

    void shouldCollapseRepeatedCalls_data()
    {
        QTest::addColumn<int>("sorting");
        QTest::addColumn<QString>("calls"); // oldest first
        QTest::addColumn<QString>("rows");  // newest first
        QTest::newRow("same party and kind") << 0 << "a/m a/m a/m"
                                             << "a/mx3";
        QTest::newRow("a call of another kind breaks it") << 0 << "a/m a/r a/m"
                                                          << "a/m a/r a/m";
        QTest::newRow("another party breaks it") << 0 << "a/m b/m a/m"
                                                 << "a/m b/m a/m";
        QTest::newRow("another account breaks it") << 0 << "a/d a/d@voip a/d"
                                                   << "a/d a/d a/d";
        QTest::newRow("dialled calls collapse too") << 0 << "b/d a/d a/d"
                                                    << "a/dx2 b/d";
        QTest::newRow("unread while one call is unread") << 0 << "a/m! a/m"
                                                         << "a/mx2*";
        QTest::newRow("runs across chunks") << 0 << "b/d a/r a/r a/r a/r a/r c/d c/d"
                                            << "c/dx2 a/rx5 b/d";
        QTest::newRow("sorting 1 lists every call") << 1 << "a/m a/m a/r"
                                                    << "a/r a/m a/m";
    }

    void shouldCollapseRepeatedCalls()
    {
        QFETCH(int, sorting);
        QFETCH(QString, calls);
        QFETCH(QString, rows);
        HistoryFixture f;
        f.addCalls(calls);
        Options o;
        o.sorting = sorting;
        o.firstChunk = 1;
        o.chunk = 1;
        auto model = loadedModel(f, o);
        QVERIFY(model);
        QCOMPARE(HistoryFixture::describe(*model), rows);
    }

    void shouldMarkEveryCallOfACollapsedRowRead()
    {
        HistoryFixture f;
        f.addCalls("a/m! a/m! a/m! b/r");
        Options o;
        o.sorting = CallModel::SortByContact;
        auto model = loadedModel(f, o);
        QVERIFY(model);
        QCOMPARE(HistoryFixture::describe(*model), QString("b/r a/mx3*"));
        QSignalSpy committed(model.get(), &CallModel::eventsCommitted);
        QSignalSpy changed(model.get(), &CallModel::dataChanged);
        QSignalSpy removed(model.get(), &CallModel::rowsRemoved);
        QSignalSpy inserted(model.get(), &CallModel::rowsInserted);

        Event row = model->event(model->findEvent(model->event(model->index(1, 0)).id()));
        row.setIsRead(true);
        QVERIFY(model->modifyEvent(row));
        QVERIFY(committed.wait(10000));
        QCOMPARE(committed.first().at(1).toBool(), true);
        QCOMPARE(HistoryFixture::describe(*model), QString("b/r a/mx3"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().at(0).toModelIndex().row(), 1);
        QCOMPARE(removed.count() + inserted.count(), 0);
        EventStore store(f.path());
        for (int id = 1; id <= 3; ++id)
            QVERIFY(store.event(id).isRead());
    }

    void shouldDeleteEveryCallOfACollapsedRow()
    {
        HistoryFixture f;
        f.addCalls("a/m b/r b/r a/m");
        Options o;
        o.sorting = CallModel::SortByContact;
        auto model = loadedModel(f, o);
        QVERIFY(model);
        QCOMPARE(HistoryFixture::describe(*model), QString("a/m b/rx2 a/m"));
        QSignalSpy committed(model.get(), &CallModel::eventsCommitted);
        QStringList seen;
        connect(model.get(), &CallModel::dataChanged, this,
                [&](const QModelIndex &a) { seen << QString("changed %1").arg(a.row()); });
        connect(model.get(), &CallModel::rowsRemoved, this, [&](const QModelIndex &, int a, int b) {
            seen << QString("removed %1-%2").arg(a).arg(b);
        });
        // An older call of the row finds the row too.
        QCOMPARE(model->findEvent(2).row(), 1);
        QVERIFY(model->deleteEvent(2));
        // First the row itself, then the merge of its neighbours.
        QCOMPARE(seen.join(", "), QString("removed 1-1, removed 1-1, changed 0"));
        // The row goes at once; the calls around it now follow each other and collapse.
        QCOMPARE(HistoryFixture::describe(*model), QString("a/mx2"));
        QVERIFY(committed.wait(10000));
        QCOMPARE(f.storedCount(), 2);
        QCOMPARE(HistoryFixture::describe(*model), QString("a/mx2"));
    }

    void shouldApplyWritesMadeElsewhereInTheProcess_data()
    {
        QTest::addColumn<QString>("write");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("signals");
        QTest::newRow("newer call of the top row's party") << "add a/m"
                                                           << "a/mx3* b/r"
                                                           << "changed 0";
        QTest::newRow("newer call of another party") << "add c/d"
                                                     << "c/d* a/mx2* b/r"
                                                     << "inserted 0";
        QTest::newRow("a call between the calls of a row splits it") << "add c/d 150"
                                                                     << "a/m* c/d* a/m* b/r"
                                                                     << "inserted 1";
        QTest::newRow("an older call at the end") << "add d/r 1"
                                                  << "a/mx2* b/r d/r*"
                                                  << "inserted 2";
        QTest::newRow("read flags") << "read 3 2"
                                    << "a/mx2 b/r"
                                    << "changed 0";
        QTest::newRow("delete the newest call of a row") << "delete 3"
                                                         << "a/m* b/r"
                                                         << "changed 0";
        QTest::newRow("delete a row") << "delete 1"
                                      << "a/mx2*"
                                      << "removed 1";
    }

    void shouldApplyWritesMadeElsewhereInTheProcess()
    {
        QFETCH(QString, write);
        QFETCH(QString, rows);
        QFETCH(QString, signals);
        HistoryFixture f;
        f.addCalls("b/r a/m! a/m!");
        Options o;
        o.sorting = CallModel::SortByContact;
        auto model = loadedModel(f, o);
        QVERIFY(model);
        QCOMPARE(HistoryFixture::describe(*model), QString("a/mx2* b/r"));
        QStringList seen;
        connect(model.get(), &CallModel::dataChanged, this,
                [&](const QModelIndex &a) { seen << QString("changed %1").arg(a.row()); });
        connect(model.get(), &CallModel::rowsInserted, this,
                [&](const QModelIndex &, int a) { seen << QString("inserted %1").arg(a); });
        connect(model.get(), &CallModel::rowsRemoved, this,
                [&](const QModelIndex &, int a) { seen << QString("removed %1").arg(a); });
        QSignalSpy committed(model.get(), &CallModel::eventsCommitted);

        EventStore store(f.path());
        const QStringList w = write.split(' ');
        if (w[0] == "add") {
            const qint64 end = w.size() > 2 ? w[2].toLongLong() : 100000;
            Event e =
                HistoryFixture::call(w[1].left(1), w[1].at(2).toLatin1(), end, "/acc/cell", false);
            QVERIFY(store.addEvent(e));
        } else if (w[0] == "read") {
            QList<Event> events;
            for (const QString &id : w.mid(1)) {
                events << store.event(id.toInt());
                events.last().setIsRead(true);
            }
            QVERIFY(store.modifyEvents(events));
        } else {
            QVERIFY(store.deleteEvents({w[1].toInt()}));
        }
        QTRY_COMPARE(HistoryFixture::describe(*model), rows);
        QVERIFY(!committed.isEmpty());
        QCOMPARE(committed.last().at(1).toBool(), true);
        QCOMPARE(seen.join(',').split(',').last(), signals);
    }

    void shouldFollowWritesOfAnotherProcess()
    {
        HistoryFixture f;
        f.addCalls("a/r b/d");
        Options o;
        auto model = loadedModel(f, o);
        QVERIFY(model);
        QSignalSpy committed(model.get(), &CallModel::eventsCommitted);
        QByteArray out;
        QCOMPARE(f.runTool({"add", "--direction", "in", "--missed", "--remote", "c", "--start",
                            QDateTime::currentDateTimeUtc().toString(Qt::ISODate)},
                           &out),
                 0);
        QVERIFY(committed.wait(10000));
        QCOMPARE(HistoryFixture::describe(*model), QString("c/m* b/d a/r"));

        QCOMPARE(f.runTool({"delete", QString::fromLatin1(out.trimmed())}), 0);
        QTRY_COMPARE(HistoryFixture::describe(*model), QString("b/d a/r"));

        QSignalSpy ready(model.get(), &CallModel::modelReady);
        QCOMPARE(f.runTool({"clear"}), 0);
        QVERIFY(ready.wait(10000));
        QCOMPARE(model->rowCount(), 0);
    }

    void shouldIgnoreWritesToAnotherDatabase()
    {
        HistoryFixture f, other;
        f.addCalls("a/r");
        auto model = loadedModel(f, Options());
        QVERIFY(model);
        QSignalSpy committed(model.get(), &CallModel::eventsCommitted);
        other.addCalls("b/r");
        QCOMPARE(other.runTool({"add", "--direction", "out", "--start", "100"}), 0);
        QCOMPARE(other.runTool({"clear"}), 0);
        QTest::qWait(300);
        QCOMPARE(committed.count(), 0);
        QCOMPARE(HistoryFixture::describe(*model), QString("a/r"));
    }

    void shouldRecoverWhenTheFileIsUsableAgain()
    {
        HistoryFixture f;
        f.makeBadFile("readonly");
        auto model = makeModel(f, Options());
        QSignalSpy ready(model.get(), &CallModel::modelReady);
        model->getEvents();
        QVERIFY(ready.wait(10000));
        QVERIFY(model->hasError());
        QVERIFY(QFile::setPermissions(f.path(), QFile::ReadOwner | QFile::WriteOwner));
        model->getEvents();
        QVERIFY(ready.wait(10000));
        QCOMPARE(ready.last().at(0).toBool(), true);
        QVERIFY(!model->hasError());
        QCOMPARE(HistoryFixture::describe(*model), QString("c/d b/m a/r"));
    }

    void shouldDeleteAllCalls()
    {
        HistoryFixture f;
        addParties(f, 80);
        auto model = loadedModel(f, Options());
        auto other = loadedModel(f, Options());
        QVERIFY(model && other);
        QSignalSpy removed(model.get(), &CallModel::rowsRemoved);
        QSignalSpy ready(model.get(), &CallModel::modelReady);
        QSignalSpy otherReady(other.get(), &CallModel::modelReady);
        QVERIFY(model->deleteAll());
        QVERIFY(ready.wait(10000));
        QCOMPARE(ready.last().at(0).toBool(), true);
        QCOMPARE(ranges(removed), QString("0-79"));
        QCOMPARE(model->rowCount(), 0);
        QCOMPARE(f.storedCount(), 0);
        QTRY_COMPARE(otherReady.count(), 1);
        QCOMPARE(other->rowCount(), 0);
    }

    void shouldShowNothingForABadFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("not a database") << "text";
        QTest::newRow("another program's database") << "foreign";
        QTest::newRow("newer schema") << "newer";
        QTest::newRow("read-only") << "readonly";
        QTest::newRow("corrupt") << "corrupt";
    }

    void shouldShowNothingForABadFile()
    {
        QFETCH(QString, kind);
        HistoryFixture f;
        f.makeBadFile(kind);
        const QByteArray before = HistoryFixture::fileContent(f.path());
        auto model = makeModel(f, Options());
        QSignalSpy ready(model.get(), &CallModel::modelReady);
        QSignalSpy committed(model.get(), &CallModel::eventsCommitted);
        model->getEvents();
        QVERIFY(ready.wait(10000));
        QCOMPARE(ready.first().at(0).toBool(), false);
        QCOMPARE(model->rowCount(), 0);
        QVERIFY(model->hasError());
        QVERIFY(model->lastError().startsWith(f.path()));
        QVERIFY(!model->canFetchMore(QModelIndex()));
        Event e = HistoryFixture::call("x", 'r', 1);
        model->addEvent(e);
        QVERIFY(committed.wait(10000));
        QCOMPARE(committed.first().at(1).toBool(), false);
        QCOMPARE(HistoryFixture::fileContent(f.path()), before);
    }

    void shouldLoadAgainWhenTheFilterChanges()
    {
        HistoryFixture f;
        f.addCalls("a/m b/r c/m d/d");
        auto model = loadedModel(f, Options());
        QVERIFY(model);
        QSignalSpy removed(model.get(), &CallModel::rowsRemoved);
        QSignalSpy ready(model.get(), &CallModel::modelReady);
        QVERIFY(model->setFilter(CallModel::SortByTime, CallModel::MissedCalls));
        QVERIFY(ready.wait(10000));
        QCOMPARE(ready.first().at(0).toBool(), true);
        QCOMPARE(ranges(removed), QString("0-3"));
        QCOMPARE(HistoryFixture::describe(*model), QString("c/m a/m"));
    }

    void shouldLeaveOlderCallsToLaterChunks()
    {
        HistoryFixture f;
        addParties(f, 60);
        Options o;
        o.limit = 25;
        auto model = makeModel(f, o, false);
        QSignalSpy committed(model.get(), &CallModel::eventsCommitted);
        model->getEvents();
        QTRY_COMPARE(model->rowCount(), 25);
        EventStore store(f.path());
        Event old = HistoryFixture::call("old", 'r', 1);
        QVERIFY(store.addEvent(old));
        QVERIFY(committed.wait(10000));
        QCOMPARE(model->rowCount(), 25);
        attachTester(model.get());
        QSignalSpy ready(model.get(), &CallModel::modelReady);
        model->fetchAll();
        QVERIFY(ready.wait(10000));
        QCOMPARE(model->rowCount(), 61);
        QCOMPARE(model->event(model->index(60, 0)).remoteUid(), QString("old"));
    }

    void shouldResolveContactsInTheBackground_data()
    {
        QTest::addColumn<bool>("followChanges");
        QTest::newRow("following contact changes") << true;
        QTest::newRow("not following contact changes") << false;
    }

    void shouldResolveContactsInTheBackground()
    {
        QFETCH(bool, followChanges);
        HistoryFixture f;
        f.addCalls("a/r b/d");
        auto resolver = std::make_shared<FixedResolver>();
        resolver->set("a", {{7, "Anna"}});
        auto model = makeModel(f, Options());
        model->setContactResolver(resolver);
        model->enableContactChanges(followChanges);
        QSignalSpy ready(model.get(), &CallModel::modelReady);
        model->getEvents();
        QVERIFY(ready.wait(10000));
        QCOMPARE(model->event(model->index(1, 0)).contacts(), QList<Event::Contact>({{7, "Anna"}}));
        QVERIFY(model->event(model->index(0, 0)).contacts().isEmpty());

        resolver->set("b", {{8, "Ben"}, {9, "Bea"}});
        QSignalSpy changed(model.get(), &CallModel::dataChanged);
        model->refreshContacts();
        if (followChanges) {
            QTRY_COMPARE(changed.count(), 1);
            QCOMPARE(model->event(model->index(0, 0)).contacts().size(), 2);
        } else {
            QTest::qWait(200);
            QCOMPARE(changed.count(), 0);
        }
    }

    void shouldReportTheDeletedEventsWhenCommitted()
    {
        HistoryFixture f;
        f.addCalls("a/m a/m b/d");
        Options o;
        o.sorting = CallModel::SortByContact;
        auto model = loadedModel(f, o);
        QVERIFY(model);
        QSignalSpy committed(model.get(), &CallModel::eventsCommitted);
        QVERIFY(model->deleteEvent(1));
        QVERIFY(committed.wait(10000));
        QStringList ids;
        for (const Event &e : committed.first().at(0).value<QList<Event>>())
            ids << QString::number(e.id()) + e.remoteUid();
        ids.sort();
        QCOMPARE(ids.join(','), QString("1a,2a"));
    }

    void shouldHandOutEventsUnderUserRole()
    {
        HistoryFixture f;
        f.addCalls("a/m a/m b/d");
        Options o;
        o.sorting = CallModel::SortByContact;
        auto model = loadedModel(f, o);
        QVERIFY(model);
        const QVariant v = model->data(model->index(1, 0), Qt::UserRole);
        QCOMPARE(v.userType(), QMetaType::type("CommHistory::Event"));
        const Event e = v.value<Event>();
        QCOMPARE(e, model->event(model->index(1, 0)));
        QCOMPARE(e.id(), 2);
        QCOMPARE(e.eventCount(), 2);
        QCOMPARE(e.type(), Event::CallEvent);
        QCOMPARE(model->data(model->index(0, 0)).toString(), QString("b"));
        QVERIFY(!model->event(QModelIndex()).isValid());
        QVERIFY(!model->findEvent(99).isValid());
        QCOMPARE(model->findEvent(1).row(), 1);
    }
};

QTEST_GUILESS_MAIN(TestCallModel)
#include "tst_callmodel.moc"
