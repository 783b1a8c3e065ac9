#include "buslifetime.h"

#include <QCoreApplication>
#include <QTimer>

namespace CallUi {

BusLifetime::BusLifetime(const QDBusConnection &bus, QObject *parent) : QObject(parent)
{
    // libdbus reports the end of a connection as this signal from the connection itself.
    QDBusConnection(bus).connect(QString(), QStringLiteral("/org/freedesktop/DBus/Local"),
                                 QStringLiteral("org.freedesktop.DBus.Local"),
                                 QStringLiteral("Disconnected"), this, SLOT(onDisconnected()));
    if (!bus.isConnected())
        QTimer::singleShot(0, this, &BusLifetime::onDisconnected);
}

void BusLifetime::onDisconnected()
{
    QCoreApplication::exit(0);
}

} // namespace CallUi
