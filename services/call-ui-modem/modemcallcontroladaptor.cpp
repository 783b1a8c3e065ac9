#include "modemcallcontroladaptor.h"

#include "modemcalluiservice.h"

ModemCallControlAdaptor::ModemCallControlAdaptor(ModemCallUiService *service)
    : QDBusAbstractAdaptor(service), m_service(service)
{
    connect(service, &ModemCallUiService::callIncoming, this,
            &ModemCallControlAdaptor::CallIncoming);
}

bool ModemCallControlAdaptor::Accept(const QString &callId)
{
    return m_service->Accept(callId);
}

bool ModemCallControlAdaptor::Hangup(const QString &callId)
{
    return m_service->Hangup(callId);
}
