#include "modemcalluiadaptor.h"

#include "modemcalluiservice.h"

ModemCallUiAdaptor::ModemCallUiAdaptor(ModemCallUiService *service)
    : QDBusAbstractAdaptor(service), m_service(service)
{
    setAutoRelaySignals(true);
}

QString ModemCallUiAdaptor::RequestCallToContact(const QString &accountPath,
                                                 const QString &accountId, uint localContactId,
                                                 const QString &contactName, bool video)
{
    return m_service->RequestCallToContact(accountPath, accountId, localContactId, contactName,
                                           video);
}

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
