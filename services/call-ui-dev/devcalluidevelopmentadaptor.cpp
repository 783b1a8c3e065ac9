#include "devcalluidevelopmentadaptor.h"

#include "devcalluiservice.h"

#include <QDBusConnection>

DevCallUiDevelopmentAdaptor::DevCallUiDevelopmentAdaptor(DevCallUiService *service)
    : QDBusAbstractAdaptor(service), m_service(service)
{
    connect(service, &DevCallUiService::callRequested, this,
            &DevCallUiDevelopmentAdaptor::CallRequested);
    connect(service, &DevCallUiService::tonesSent, this, &DevCallUiDevelopmentAdaptor::TonesSent);
}

void DevCallUiDevelopmentAdaptor::SetSchedule(int answerAfter, int endAfter, bool fail)
{
    m_service->SetSchedule(answerAfter, endAfter, fail);
}

QString DevCallUiDevelopmentAdaptor::Ring(const QString &number, const QDBusMessage &message)
{
    QString error;
    const QString uid = m_service->Ring(number, &error);
    if (uid.isEmpty()) {
        message.setDelayedReply(true);
        QDBusConnection::sessionBus().send(
            message.createErrorReply(QDBusError::InvalidArgs, error));
    }
    return uid;
}

bool DevCallUiDevelopmentAdaptor::EndRemote(const QString &callId)
{
    return m_service->EndRemote(callId);
}

void DevCallUiDevelopmentAdaptor::Quit()
{
    m_service->Quit();
}
