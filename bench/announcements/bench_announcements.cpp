// Measures what an announcement of changed events costs the thread of a call model that has
// 10,000 and 100,000 rows loaded (as after a search, which loads every row): the time that
// thread spends handling the announcement and the model's update for it, not the background
// read of the changed events. Figures for 100 and 1,000 ids of loaded calls (spread over the
// list) whose read flag changed, for 1,000 ids that the model does not hold, and for a list of
// 20,000 ids sent by another peer of the bus (more than a sender may list: taken as a reload). The
// ratio that matters: the same announcement with 100,000 rows against 10,000 rows, measured in the
// same run. When the cost grows with ids x rows it is 10 or more; it should be near 1.

#include "callmodel.h"
#include "commitnotifier.h"
#include "eventstore.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>

using CommHistory::CallModel;
using CommHistory::CommitNotifier;
using CommHistory::Event;

namespace {

// Counts the time this thread spends delivering events to the watched objects.
class TimingApplication : public QCoreApplication
{
public:
    using QCoreApplication::QCoreApplication;
    QSet<QObject *> watched;
    qint64 busyNs = 0;

    bool notify(QObject *receiver, QEvent *event) override
    {
        if (!watched.contains(receiver))
            return QCoreApplication::notify(receiver, event);
        QElapsedTimer t;
        t.start();
        const bool result = QCoreApplication::notify(receiver, event);
        busyNs += t.nsecsElapsed();
        return result;
    }
};

TimingApplication *app()
{
    return static_cast<TimingApplication *>(QCoreApplication::instance());
}

void spinUntil(const std::function<bool()> &done)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 300000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
}

QList<Event> calls(int count)
{
    QList<Event> events;
    for (int i = 0; i < count; ++i) {
        Event e;
        e.setType(Event::CallEvent);
        e.setDirection(i % 3 ? Event::Inbound : Event::Outbound);
        e.setLocalUid(QStringLiteral("/org/freedesktop/Telepathy/Account/pulse/tel/pulse"));
        e.setRemoteUid(QStringLiteral("+35840%1").arg(1000000 + i));
        e.setStartTimeT(1700000000 + qint64(i) * 600);
        e.setEndTimeT(1700000000 + qint64(i) * 600 + 60);
        e.setIsRead(true);
        events << e;
    }
    return events;
}

// Milliseconds of this thread from the announcement until the model reported it (median).
double announce(CallModel *model, const std::function<void()> &send, int repeats)
{
    QVector<double> runs;
    for (int i = 0; i < repeats; ++i) {
        bool committed = false;
        bool ready = false;
        auto c1 = QObject::connect(model, &CallModel::eventsCommitted, [&] { committed = true; });
        auto c2 = QObject::connect(model, &CallModel::modelReady, [&] { ready = true; });
        app()->busyNs = 0;
        // The write itself (a store call in this thread) is not counted: only what the
        // announcement costs the model's thread afterwards.
        send();
        spinUntil([&] { return committed; });
        // A reload is over when the model loaded up to its limit again.
        if (!model->isReady())
            spinUntil([&] { return ready || model->rowCount() >= model->loadLimit(); });
        QObject::disconnect(c1);
        QObject::disconnect(c2);
        runs << app()->busyNs / 1e6;
    }
    std::sort(runs.begin(), runs.end());
    return runs.at(runs.size() / 2);
}

std::map<std::string, double> measure(int rows)
{
    std::map<std::string, double> out;
    QTemporaryDir dir;
    const QString path = dir.filePath("history.db");
    QList<Event> events = calls(rows);
    CommHistory::EventStore store(path);
    if (!store.open() || !store.addEvents(events)) {
        std::fprintf(stderr, "cannot store the calls: %s\n", qPrintable(store.errorString()));
        return out;
    }

    QThread thread;
    thread.start();
    CallModel model;
    model.setDatabasePath(path);
    model.setBackgroundThread(&thread);
    model.setLoadLimit(200);
    model.setFilter(CallModel::SortByTime, CallModel::AllCalls);
    model.getEvents();
    model.fetchAll();
    spinUntil([&] { return model.rowCount() >= rows && !model.canFetchMore(QModelIndex()); });
    app()->watched = {&model, CommitNotifier::instance()};

    // Read flags of calls spread over the whole list flipped by a write in this process (the
    // store announces it; the model reads the calls again in its thread and updates the rows).
    for (int ids : {100, 1000}) {
        QList<Event> changed;
        for (int i = 0; i < ids; ++i)
            changed << events.at(i * (events.size() / ids));
        bool read = false;
        out["read flags of " + std::to_string(ids) + " loaded calls"] = announce(
            &model,
            [&] {
                for (Event &e : changed)
                    e.setIsRead(read);
                read = !read;
                store.modifyEvents(changed);
            },
            7);
    }

    // Deletions of events the model does not hold.
    QList<int> unknown;
    for (int i = 0; i < 1000; ++i)
        unknown << 10000000 + i;
    out["1000 ids not loaded"] = announce(
        &model,
        [&] { CommitNotifier::instance()->announce(path, CommitNotifier::Deleted, unknown); }, 7);

    // A peer that lists more ids than any sender may.
    QDBusConnection peer = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "peer");
    if (peer.isConnected()) {
        QList<int> many;
        for (int i = 0; i < 20000; ++i)
            many << events.at(i % events.size()).id();
        QVector<double> runs;
        for (int i = 0; i < 3; ++i) {
            // After a reload the model holds its first rows only: load everything again.
            model.fetchAll();
            spinUntil([&] { return !model.canFetchMore(QModelIndex()); });
            runs << announce(
                &model,
                [&] {
                    QDBusMessage signal = QDBusMessage::createSignal(
                        "/CommHistory", "com.velto.CommHistory", "EventsCommitted");
                    signal << path << int(CommitNotifier::Modified) << QVariant::fromValue(many);
                    peer.send(signal);
                },
                1);
        }
        std::sort(runs.begin(), runs.end());
        out["20000 ids from a peer"] = runs.at(1);
    }
    QDBusConnection::disconnectFromBus("peer");
    app()->watched.clear();
    thread.quit();
    thread.wait();
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    TimingApplication a(argc, argv);
    qRegisterMetaType<QList<int>>();
    CommitNotifier::instance();
    const auto small = measure(10000);
    const auto large = measure(100000);
    for (const auto &m : large) {
        const double base = small.count(m.first) ? small.at(m.first) : 0;
        std::printf("%-34s 10,000 rows %9.2f ms   100,000 rows %9.2f ms   ratio %6.2f\n",
                    m.first.c_str(), base, m.second, base > 0 ? m.second / base : 0.0);
    }
    return 0;
}
