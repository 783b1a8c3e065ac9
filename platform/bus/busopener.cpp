#include "busopener.h"

#include <QDBusMessage>
#include <mutex>
#include <thread>

namespace {
// Long enough for a loaded bus, short enough that a stuck one does not stop a start for long.
constexpr int PingTimeoutMs = 5000;

QDBusConnection standardBus(QDBusConnection::BusType type)
{
    return type == QDBusConnection::SystemBus ? QDBusConnection::systemBus()
                                              : QDBusConnection::sessionBus();
}

void openInOrder(QDBusConnection::BusType type)
{
    // Requested from a thread other than the main one, Qt hands out the connection with its
    // messages handled as they arrive. One round trip to the bus then makes sure the report of
    // the unique name, which the bus sent before the reply, has been handled; joining the thread
    // makes that visible to the caller.
    std::thread opener([type] {
        const QDBusConnection bus = standardBus(type);
        if (!bus.isConnected())
            return;
        const QDBusMessage ping = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
        bus.call(ping, QDBus::Block, PingTimeoutMs);
    });
    opener.join();
}
} // namespace

QDBusConnection BusOpener::session()
{
    static std::once_flag opened;
    std::call_once(opened, openInOrder, QDBusConnection::SessionBus);
    return QDBusConnection::sessionBus();
}

QDBusConnection BusOpener::system()
{
    static std::once_flag opened;
    std::call_once(opened, openInOrder, QDBusConnection::SystemBus);
    return QDBusConnection::systemBus();
}
