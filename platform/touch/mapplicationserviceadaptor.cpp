#include "mapplicationserviceadaptor.h"

#include "buslimits.h"
#include "mapplicationservice.h"

#include <QDBusError>
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
    // Refused before the request is queued, so that nothing keeps the parameters.
    if (!BusLimits::fits(parameters, BusLimits::MaxLaunchParameters,
                         BusLimits::MaxLaunchParameterLength)) {
        m_service->sendErrorReply(
            QDBusError::InvalidArgs,
            QStringLiteral("a launch request holds at most %1 parameters of at most %2 characters")
                .arg(BusLimits::MaxLaunchParameters)
                .arg(BusLimits::MaxLaunchParameterLength));
        return;
    }
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
