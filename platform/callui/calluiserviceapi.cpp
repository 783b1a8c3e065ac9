#include "calluiserviceapi.h"

#include "buslimits.h"
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
    bus.connect(s, p, i, QStringLiteral("CallAnswered"), this, SLOT(onCallAnswered(QString)));
    bus.connect(s, p, i, QStringLiteral("CallEnded"), this,
                SLOT(onCallEnded(QString, int, int, QString)));
    bus.connect(s, p, i, QStringLiteral("CommandCompleted"), this,
                SLOT(onCommandCompleted(QString)));
    bus.connect(s, p, i, QStringLiteral("CommandFailed"), this, SLOT(onCommandFailed(QString)));
}

void CallUiServiceApi::onCallAnswered(const QString &uid)
{
    if (BusLimits::fits(uid, BusLimits::MaxCallIdLength))
        Q_EMIT CallAnswered(uid);
}

void CallUiServiceApi::onCallEnded(const QString &uid, int reason, int duration,
                                   const QString &message)
{
    if (BusLimits::fits(uid, BusLimits::MaxCallIdLength))
        Q_EMIT CallEnded(uid, reason, duration, BusLimits::shownText(message));
}

void CallUiServiceApi::onCommandCompleted(const QString &uid)
{
    if (BusLimits::fits(uid, BusLimits::MaxCallIdLength))
        Q_EMIT CommandCompleted(uid);
}

void CallUiServiceApi::onCommandFailed(const QString &uid)
{
    if (BusLimits::fits(uid, BusLimits::MaxCallIdLength))
        Q_EMIT CommandFailed(uid);
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
