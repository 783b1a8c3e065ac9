#pragma once

#include <QDBusConnection>
#include <QObject>

namespace CallUi {

// Ends a bus service's event loop when the bus it serves on goes away. A call-UI service is
// started by its session bus (activation) and has no one left to serve once that bus is gone;
// without this it would linger after the session, holding its store and journal open. The
// event loop ends with exit code 0, so the service's objects are destroyed in order and what
// they keep on disk is written as on any normal quit.
class BusLifetime : public QObject
{
    Q_OBJECT
public:
    // Watches `bus`; a connection that is not connected ends the loop at its first turn.
    explicit BusLifetime(const QDBusConnection &bus, QObject *parent = nullptr);

private Q_SLOTS:
    void onDisconnected();
};

} // namespace CallUi
