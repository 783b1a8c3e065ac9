#include "calluiserviceapi.h"

#include "calluiservicenames.h"
#include "pendingcallrequest.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>

namespace CallUi {

CallUiServiceApi::CallUiServiceApi(QObject *parent) : QObject(parent)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString s = serviceName(), p = objectPath(), i = interfaceName();
    bus.connect(s, p, i, QStringLiteral("CallAnswered"), this, SIGNAL(CallAnswered(QString)));
    bus.connect(s, p, i, QStringLiteral("CallEnded"), this,
                SIGNAL(CallEnded(QString, int, int, QString)));
    bus.connect(s, p, i, QStringLiteral("CommandCompleted"), this,
                SIGNAL(CommandCompleted(QString)));
    bus.connect(s, p, i, QStringLiteral("CommandFailed"), this, SIGNAL(CommandFailed(QString)));
}

PendingCallRequest *CallUiServiceApi::RequestCallToContact(const QString &accountPath,
                                                           const QString &accountId,
                                                           unsigned int localContactId,
                                                           const QString &contactName, bool video)
{
    QDBusMessage msg = QDBusMessage::createMethodCall(serviceName(), objectPath(), interfaceName(),
                                                      QStringLiteral("RequestCallToContact"));
    msg << accountPath << accountId << localContactId << contactName << video;
    const QDBusPendingCall call = QDBusConnection::sessionBus().asyncCall(msg);
    return new PendingCallRequest(new QDBusPendingCallWatcher(call), this);
}

} // namespace CallUi
