#include "calluiserviceadaptor.h"

namespace CallUi {

ServiceAdaptor::ServiceAdaptor(QObject *service, RequestHandler handler)
    : QDBusAbstractAdaptor(service), m_handler(std::move(handler))
{
    setAutoRelaySignals(true);
}

QString ServiceAdaptor::RequestCallToContact(const QString &accountPath, const QString &accountId,
                                             uint localContactId, const QString &contactName,
                                             bool video)
{
    return m_handler(accountPath, accountId, localContactId, contactName, video);
}

} // namespace CallUi
