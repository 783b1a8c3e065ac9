#pragma once

#include <QDBusAbstractAdaptor>

class ModemCallUiService;

// What only a service with a modem tells the session bus: incoming calls, as they begin to ring.
// Answering and ending calls are not offered here: any peer on the bus could answer a call (and
// open the microphone) without the person knowing. The call screen of the service does that.
class ModemCallControlAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.velto.CallUi.Modem")
public:
    explicit ModemCallControlAdaptor(ModemCallUiService *service);

Q_SIGNALS:
    void CallIncoming(const QString &uid, const QString &number);
};
