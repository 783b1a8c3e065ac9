#include "devcalluidevelopmentadaptor.h"

#include "devcalluiservice.h"

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
