#include "modemcallcontroladaptor.h"

#include "modemcalluiservice.h"

ModemCallControlAdaptor::ModemCallControlAdaptor(ModemCallUiService *service)
    : QDBusAbstractAdaptor(service)
{
    connect(service, &ModemCallUiService::callIncoming, this,
            &ModemCallControlAdaptor::CallIncoming);
}
