#include "contextservice.h"

#include "busopener.h"

#include <QDBusConnectionInterface>

namespace ContextProvider {

Service::Service(QDBusConnection::BusType busType, const QString &busName, QObject *parent)
    : QObject(parent), m_connection(busType == QDBusConnection::SystemBus ? BusOpener::system()
                                                                          : BusOpener::session()),
      m_busName(busName)
{
    if (m_connection.isConnected())
        m_registered = m_connection.registerService(busName);
}

Service::~Service()
{
    if (m_registered)
        m_connection.unregisterService(m_busName);
}

} // namespace ContextProvider
