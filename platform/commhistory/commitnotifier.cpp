#include "commitnotifier.h"

#include "buslimits.h"

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
// database path, operation, event ids
static const char BusSignature[] = "siai";

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
        bus.connect(QString(), BusPath, BusInterface, BusSignal, BusSignature, this,
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
    // Any peer may send anything: only the exact signature is read. Converting arguments of
    // another type would make the D-Bus library abort the process.
    if (message.signature() != QLatin1String(BusSignature))
        return;
    const QVariantList args = message.arguments();
    if (args.size() != 3 || !args.at(2).canConvert<QDBusArgument>())
        return;
    // No database lies at a longer path: refused before any model compares it.
    const QString databasePath = args.at(0).toString();
    if (!BusLimits::fits(databasePath, BusLimits::MaxFilePathLength))
        return;
    int op = args.at(1).toInt();
    if (op < Added || op > Reset)
        return;
    const QDBusArgument idArg = args.at(2).value<QDBusArgument>();
    if (idArg.currentSignature() != QLatin1String("ai"))
        return;
    // A sender that follows the protocol never lists more ids than MaxIds: a longer list is
    // taken as what it would have sent instead, a reset, and read no further than that, so
    // that its size costs nothing here.
    QList<int> ids;
    idArg.beginArray();
    while (!idArg.atEnd()) {
        if (ids.size() == MaxIds) {
            op = Reset;
            ids.clear();
            break;
        }
        int id = 0;
        idArg >> id;
        ids.append(id);
    }
    // Also after leaving early: the reader of the array is let go only here.
    idArg.endArray();
    Q_EMIT committed(databasePath, op, ids);
}

} // namespace CommHistory
