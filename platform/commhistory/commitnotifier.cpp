#include "commitnotifier.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMetaType>
#include <QMutex>
#include <QThread>

namespace CommHistory {

static const char BusPath[] = "/CommHistory";
static const char BusInterface[] = "com.velto.CommHistory";
static const char BusSignal[] = "EventsCommitted";

CommitNotifier *CommitNotifier::instance()
{
    static QMutex mutex;
    static CommitNotifier *notifier = nullptr;
    QMutexLocker lock(&mutex);
    if (!notifier)
        notifier = new CommitNotifier;
    return notifier;
}

CommitNotifier::CommitNotifier()
{
    qRegisterMetaType<QList<int>>("QList<int>");
    qDBusRegisterMetaType<QList<int>>();
    // Bus signals and queued announcements must reach the object in a thread that keeps running.
    if (QCoreApplication *app = QCoreApplication::instance()) {
        if (app->thread() != QThread::currentThread())
            moveToThread(app->thread());
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected())
        bus.connect(QString(), BusPath, BusInterface, BusSignal, this,
                    SLOT(onBusSignal(QDBusMessage)));
}

void CommitNotifier::announce(const QString &databasePath, Operation operation,
                              const QList<int> &ids, bool waitForDelivery)
{
    Operation op = ids.size() > MaxIds ? Reset : operation;
    const QList<int> sent = op == Reset ? QList<int>() : ids;
    Q_EMIT committed(databasePath, op, sent);

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(BusPath, BusInterface, BusSignal);
    signal << databasePath << int(op) << QVariant::fromValue(sent);
    bus.send(signal);
    if (waitForDelivery) {
        // Messages leave in order: once the bus answers this call, the signal is out.
        QDBusMessage ping = QDBusMessage::createMethodCall(
            "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "GetId");
        bus.call(ping, QDBus::Block, 5000);
    }
}

void CommitNotifier::onBusSignal(const QDBusMessage &message)
{
    if (message.service() == QDBusConnection::sessionBus().baseService())
        return;
    const QVariantList args = message.arguments();
    if (args.size() != 3 || args.at(0).userType() != QMetaType::QString ||
        args.at(1).userType() != QMetaType::Int)
        return;
    QList<int> ids;
    const QVariant idArg = args.at(2);
    if (idArg.canConvert<QDBusArgument>())
        ids = qdbus_cast<QList<int>>(idArg.value<QDBusArgument>());
    else if (idArg.canConvert<QList<int>>())
        ids = idArg.value<QList<int>>();
    else
        return;
    const int op = args.at(1).toInt();
    if (op < Added || op > Reset)
        return;
    Q_EMIT committed(args.at(0).toString(), op, ids);
}

} // namespace CommHistory
