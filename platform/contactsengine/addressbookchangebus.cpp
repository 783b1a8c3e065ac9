#include "addressbookchangebus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QMutex>
#include <QMutexLocker>
#include <QPair>
#include <QRandomGenerator>

namespace ContactsEngine {

const char AddressBookChangeBus::objectPath[] = "/org/velto/addressbook";
const char AddressBookChangeBus::interfaceName[] = "org.velto.addressbook.Changes";
const char AddressBookChangeBus::signalName[] = "Changed";

namespace {

struct Registry
{
    QMutex mutex;
    QList<QPair<AddressBookChangeBus::Listener *, QString>> listeners;
};

Registry &registry()
{
    static Registry r;
    return r;
}

} // namespace

QString AddressBookChangeBus::processToken()
{
    static const QString token = QStringLiteral("%1-%2")
                                     .arg(QCoreApplication::applicationPid())
                                     .arg(QRandomGenerator::global()->generate64(), 0, 16);
    return token;
}

void AddressBookChangeBus::subscribe(Listener *listener, const QString &databaseFile)
{
    {
        QMutexLocker lock(&registry().mutex);
        registry().listeners.append(qMakePair(listener, databaseFile));
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected())
        bus.connect(QString(), QString::fromLatin1(objectPath), QString::fromLatin1(interfaceName),
                    QString::fromLatin1(signalName), listener->listenerObject(),
                    SLOT(onBusChanged(QString, QString, QList<uint>, QList<uint>, QList<uint>)));
}

void AddressBookChangeBus::unsubscribe(Listener *listener)
{
    {
        QMutexLocker lock(&registry().mutex);
        auto &list = registry().listeners;
        for (int i = list.size() - 1; i >= 0; --i) {
            if (list.at(i).first == listener)
                list.removeAt(i);
        }
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected())
        bus.disconnect(QString(), QString::fromLatin1(objectPath),
                       QString::fromLatin1(interfaceName), QString::fromLatin1(signalName),
                       listener->listenerObject(),
                       SLOT(onBusChanged(QString, QString, QList<uint>, QList<uint>, QList<uint>)));
}

void AddressBookChangeBus::publish(Listener *from, const QString &databaseFile,
                                   const QList<QContactLocalId> &added,
                                   const QList<QContactLocalId> &changed,
                                   const QList<QContactLocalId> &removed)
{
    if (added.isEmpty() && changed.isEmpty() && removed.isEmpty())
        return;
    {
        QMutexLocker lock(&registry().mutex);
        for (const auto &entry : registry().listeners) {
            Listener *listener = entry.first;
            if (listener == from || entry.second != databaseFile)
                continue;
            // Posted under the lock: a listener unsubscribes (under the same lock) before it is
            // destroyed, and Qt drops posted calls of destroyed objects.
            QMetaObject::invokeMethod(
                listener->listenerObject(),
                [listener, added, changed, removed] {
                    listener->externalChange(added, changed, removed);
                },
                Qt::QueuedConnection);
        }
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    const auto send = [&](const QList<uint> &a, const QList<uint> &c, const QList<uint> &r) {
        QDBusMessage message = QDBusMessage::createSignal(QString::fromLatin1(objectPath),
                                                          QString::fromLatin1(interfaceName),
                                                          QString::fromLatin1(signalName));
        message << databaseFile << processToken() << QVariant::fromValue(a)
                << QVariant::fromValue(c) << QVariant::fromValue(r);
        bus.send(message);
    };
    if (added.size() + changed.size() + removed.size() <= MaxIds) {
        send(added, changed, removed);
        return;
    }
    // Receivers take no more than MaxIds ids from one signal: a larger change goes out in parts,
    // in the order in which listeners are told of them.
    for (int i = 0; i < added.size(); i += MaxIds)
        send(added.mid(i, MaxIds), {}, {});
    for (int i = 0; i < changed.size(); i += MaxIds)
        send({}, changed.mid(i, MaxIds), {});
    for (int i = 0; i < removed.size(); i += MaxIds)
        send({}, {}, removed.mid(i, MaxIds));
}

void AddressBookChangeBus::flush()
{
    // Messages leave in order: once the bus daemon has answered a call, it has the signals.
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected())
        bus.call(QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")));
}

void AddressBookChangeBus::deliverFromBus(Listener *listener, const QString &databaseFile,
                                          const QString &origin, const QList<uint> &added,
                                          const QList<uint> &changed, const QList<uint> &removed)
{
    // Engines of this process were told directly. A signal no engine sends (more ids than
    // MaxIds) is dropped before any of it is passed on; the file and origin are only compared.
    if (origin == processToken() || added.size() + changed.size() + removed.size() > MaxIds)
        return;
    {
        QMutexLocker lock(&registry().mutex);
        bool subscribed = false;
        for (const auto &entry : registry().listeners) {
            if (entry.first == listener && entry.second == databaseFile)
                subscribed = true;
        }
        if (!subscribed)
            return;
    }
    listener->externalChange(added, changed, removed);
}

} // namespace ContactsEngine
