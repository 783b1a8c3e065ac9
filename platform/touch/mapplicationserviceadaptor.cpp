#include "mapplicationserviceadaptor.h"

#include "mapplicationservice.h"

#include <QTimer>

MApplicationServiceAdaptor::MApplicationServiceAdaptor(MApplicationService *service)
    : QDBusAbstractAdaptor(service), m_service(service)
{
}

// Requests are answered at once and carried out on the next turn of the event loop, so that a
// caller waiting for the reply is never held up by what the application does.
void MApplicationServiceAdaptor::launch()
{
    QTimer::singleShot(0, m_service, [s = m_service]() { s->launch(); });
}

void MApplicationServiceAdaptor::launch(const QStringList &parameters)
{
    QTimer::singleShot(0, m_service, [s = m_service, parameters]() { s->launch(parameters); });
}

void MApplicationServiceAdaptor::close()
{
    QTimer::singleShot(0, m_service, [s = m_service]() { s->close(); });
}

void MApplicationServiceAdaptor::exit()
{
    QTimer::singleShot(0, m_service, [s = m_service]() { s->exit(); });
}
