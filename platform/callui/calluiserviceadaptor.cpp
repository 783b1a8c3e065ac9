#include "calluiserviceadaptor.h"

#include "buslimits.h"

#include <QDBusConnection>

namespace CallUi {

ServiceAdaptor::ServiceAdaptor(QObject *service, RequestHandler handler)
    : QDBusAbstractAdaptor(service), m_handler(std::move(handler))
{
    setAutoRelaySignals(true);
}

QString ServiceAdaptor::RequestCallToContact(const QString &accountPath, const QString &accountId,
                                             uint localContactId, const QString &contactName,
                                             bool video, const QDBusMessage &message)
{
    if (!BusLimits::fits(accountPath, BusLimits::MaxObjectPathLength) ||
        !BusLimits::fits(accountId, BusLimits::MaxAddressLength) ||
        !BusLimits::fits(contactName, BusLimits::MaxNameLength)) {
        message.setDelayedReply(true);
        QDBusConnection::sessionBus().send(message.createErrorReply(
            QDBusError::InvalidArgs,
            QStringLiteral("an account path, callee or contact name longer than a call request "
                           "holds (%1, %2, %3 characters)")
                .arg(BusLimits::MaxObjectPathLength)
                .arg(BusLimits::MaxAddressLength)
                .arg(BusLimits::MaxNameLength)));
        return QString();
    }
    return m_handler(accountPath, accountId, localContactId, contactName, video);
}

} // namespace CallUi
