#include "devcalluiserviceadaptor.h"

#include "devcalluiservice.h"

DevCallUiServiceAdaptor::DevCallUiServiceAdaptor(DevCallUiService *service)
    : QDBusAbstractAdaptor(service), m_service(service)
{
    setAutoRelaySignals(true);
}

QString DevCallUiServiceAdaptor::RequestCallToContact(const QString &accountPath,
                                                      const QString &accountId, uint localContactId,
                                                      const QString &contactName, bool video)
{
    return m_service->RequestCallToContact(accountPath, accountId, localContactId, contactName,
                                           video);
}

DevCallUiDevelopmentAdaptor::DevCallUiDevelopmentAdaptor(DevCallUiService *service)
    : QDBusAbstractAdaptor(service), m_service(service)
{
    connect(service, &DevCallUiService::callRequested, this,
            &DevCallUiDevelopmentAdaptor::CallRequested);
}

void DevCallUiDevelopmentAdaptor::SetSchedule(int answerAfter, int endAfter, bool fail)
{
    m_service->SetSchedule(answerAfter, endAfter, fail);
}

void DevCallUiDevelopmentAdaptor::Quit()
{
    m_service->Quit();
}
