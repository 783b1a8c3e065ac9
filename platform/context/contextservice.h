#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace ContextProvider {

// Publishes context properties of this process under a bus name (for example
// "com.velto.CallHistory.Context"). Each Property is an object of that service; see
// contextproperty.h for how another process reads and watches one. Destroying the service
// takes its name and its properties off the bus.
class Service : public QObject
{
    Q_OBJECT
public:
    Service(QDBusConnection::BusType busType, const QString &busName, QObject *parent = nullptr);
    ~Service() override;

    QString busName() const { return m_busName; }
    QDBusConnection connection() const { return m_connection; }
    bool isRegistered() const { return m_registered; }

private:
    QDBusConnection m_connection;
    QString m_busName;
    bool m_registered = false;
};

} // namespace ContextProvider
