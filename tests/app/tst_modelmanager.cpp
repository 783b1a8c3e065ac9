#include "callmodel.h"
#include "eventstore.h"
#include "modelmanager.h"

#include <QAbstractItemModelTester>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <sqlite3.h>

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

    void shouldStopItsThreadQuicklyEvenDuringAWrite()
    {
        store({call("a", false, 100)});
        ModelManager *m = manager();
        QPointer<QThread> thread = m->backgroundThread();
        // Another connection holds the write lock: the model's write waits for it.
        sqlite3 *db = nullptr;
        sqlite3_open(QFile::encodeName(m_path).constData(), &db);
        QCOMPARE(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        Event e = call("b", false, 300);
        m->model()->addEvent(e);
        QTest::qWait(200);

        QElapsedTimer timer;
        timer.start();
        delete m;
        QVERIFY(timer.elapsed() < 3000);
        QVERIFY(thread.isNull());
        QVERIFY(!ModelManager::instance()->backgroundThread()->isFinished());
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
};

QTEST_GUILESS_MAIN(TestModelManager)
#include "tst_modelmanager.moc"
