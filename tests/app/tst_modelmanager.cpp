#include "callmodel.h"
#include "eventfilter.h"
#include "eventstore.h"
#include "modelmanager.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <sqlite3.h>
#include <thread>

using CommHistory::CallModel;
using CommHistory::Event;

class TestModelManager : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_path;
    int m_run = 0;

    static Event call(const QString &remote, bool missed, qint64 end)
    {
        Event e;
        e.setType(Event::CallEvent);
        e.setDirection(Event::Inbound);
        e.setIsMissedCall(missed);
        e.setRemoteUid(remote);
        e.setStartTimeT(end - 5);
        e.setEndTimeT(end);
        return e;
    }

    void store(QList<Event> events)
    {
        CommHistory::EventStore s(m_path);
        QVERIFY(s.addEvents(events));
    }

    // Another connection that holds the write lock until it rolls back.
    sqlite3 *lockDatabase()
    {
        sqlite3 *db = nullptr;
        sqlite3_open(QFile::encodeName(m_path).constData(), &db);
        if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
            sqlite3_close(db);
            return nullptr;
        }
        return db;
    }

    // The stored calls, newest first: remote identifier, "*" when unread.
    QString storedCalls()
    {
        CommHistory::EventStore s(m_path);
        QList<Event> events;
        if (!s.events(CommHistory::EventFilter(), Event(), -1, &events))
            return s.errorString();
        QStringList out;
        for (const Event &e : events)
            out << e.remoteUid() + (e.isRead() ? "" : "*");
        return out.join(' ');
    }

    ModelManager *manager()
    {
        ModelManager *m = ModelManager::instance();
        new QAbstractItemModelTester(
            m->model(), QAbstractItemModelTester::FailureReportingMode::QtTest, m->model());
        return m;
    }

private Q_SLOTS:
    void init()
    {
        // Every test gets a database of its own and a new manager.
        m_path = m_dir.path() + QString("/history%1.db").arg(++m_run);
        qputenv("CALL_HISTORY_DB", QFile::encodeName(m_path));
    }

    void cleanup() { delete ModelManager::instance(); }

    void shouldOwnTheSharedModelWithItsSettings()
    {
        ModelManager *m = manager();
        QCOMPARE(m, ModelManager::instance());
        QCOMPARE(m->parent(), QCoreApplication::instance());
        QCOMPARE(m->model()->parent(), m);
        QVERIFY(m->backgroundThread()->isRunning());
        QVERIFY(m->backgroundThread() != QThread::currentThread());
        QCOMPARE(m->model()->backgroundThread(), m->backgroundThread());
        QCOMPARE(m->model()->loadLimit(), 200);
        QCOMPARE(m->model()->firstChunkSize(), 25u);
        QCOMPARE(m->model()->chunkSize(), 50u);
        QCOMPARE(m->model()->queryMode(), int(CallModel::AutoLoad));
    }

    void shouldBeEmptyUntilTheFirstChunkArrives()
    {
        store({call("a", true, 100), call("b", false, 200)});
        ModelManager *m = manager();
        QSignalSpy changed(m, &ModelManager::modelChanged);
        QVERIFY(m->isEmpty());
        m->model()->setFilter(CallModel::SortByContact, CallModel::AllCalls);
        m->model()->getEvents();
        QVERIFY(m->isEmpty()); // the query runs in the background
        QVERIFY(changed.wait(10000));
        QVERIFY(!m->isEmpty());
    }

    void shouldTurnEveryModelChangeIntoModelChanged()
    {
        store({call("a", true, 100), call("b", true, 200)});
        ModelManager *m = manager();
        CallModel *model = m->model();
        QSignalSpy changed(m, &ModelManager::modelChanged);
        QSignalSpy ready(model, &CallModel::modelReady);
        QSignalSpy inserted(model, &CallModel::rowsInserted);
        QSignalSpy removed(model, &CallModel::rowsRemoved);
        QSignalSpy data(model, &CallModel::dataChanged);
        QSignalSpy committed(model, &CallModel::eventsCommitted);
        auto total = [&]() {
            return ready.count() + inserted.count() + removed.count() + data.count() +
                   committed.count();
        };

        model->setFilter(CallModel::SortByTime, CallModel::AllCalls);
        model->getEvents();
        QVERIFY(ready.wait(10000));
        Event e = model->event(model->index(0, 0));
        e.setIsRead(true);
        model->modifyEvent(e);
        QTRY_COMPARE(data.count(), 1);
        QTRY_COMPARE(committed.count(), 1);
        model->deleteEvent(model->event(model->index(1, 0)).id());
        QTRY_COMPARE(committed.count(), 2);
        model->deleteAll(); // reloads: the remaining row goes, then modelReady
        QTRY_COMPARE(ready.count(), 2);

        QVERIFY(inserted.count() && removed.count() && data.count());
        QCOMPARE(changed.count(), total());
        QVERIFY(m->isEmpty());
    }

    void shouldFinishQueuedWritesWhenShuttingDown_data()
    {
        QTest::addColumn<QString>("write");
        QTest::addColumn<QString>("stored");
        QTest::newRow("mark a missed call read") << "read"
                                                 << "b* a";
        QTest::newRow("delete a call") << "delete"
                                       << "b*";
        QTest::newRow("add a call") << "add"
                                    << "c* b* a*";
    }

    void shouldFinishQueuedWritesWhenShuttingDown()
    {
        QFETCH(QString, write);
        QFETCH(QString, stored);
        store({call("a", true, 100), call("b", false, 200)});
        ModelManager *m = manager();
        CallModel *model = m->model();
        QSignalSpy ready(model, &CallModel::modelReady);
        model->setFilter(CallModel::SortByContact, CallModel::AllCalls);
        model->getEvents();
        QVERIFY(ready.wait(10000));
        QCOMPARE(model->rowCount(), 2);

        // Another process holds the write lock: the write waits for it, and the program is
        // closed meanwhile. The other process lets go soon after.
        sqlite3 *db = lockDatabase();
        QVERIFY(db);
        if (write == "read") {
            Event e = model->event(model->index(1, 0));
            e.setIsRead(true);
            QVERIFY(model->modifyEvent(e));
        } else if (write == "delete") {
            QVERIFY(model->deleteEvent(model->event(model->index(1, 0)).id()));
        } else {
            Event e = call("c", false, 300);
            QVERIFY(model->addEvent(e));
        }
        QTest::qWait(100);
        std::thread other([db]() {
            QThread::msleep(300);
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        });
        delete m;
        other.join();
        sqlite3_close(db);
        QCOMPARE(storedCalls(), stored);
    }

    void shouldGiveUpAWriteThatWaitsLongerThanShutdownAllows()
    {
        store({call("a", true, 100)});
        ModelManager *m = manager();
        QPointer<QThread> thread = m->backgroundThread();
        sqlite3 *db = lockDatabase();
        QVERIFY(db);
        Event e = call("b", false, 300);
        m->model()->addEvent(e);
        QTest::qWait(100);

        delete m;
        QVERIFY(thread.isNull()); // ended in time, so deleted
        QVERIFY(!ModelManager::instance()->backgroundThread()->isFinished());
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        QCOMPARE(storedCalls(), QString("a*"));
    }
};

QTEST_GUILESS_MAIN(TestModelManager)
#include "tst_modelmanager.moc"
