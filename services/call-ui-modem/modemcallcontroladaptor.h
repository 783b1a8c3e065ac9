#pragma once

#include <QDBusAbstractAdaptor>

class ModemCallUiService;

// What only a service with a modem offers: answering and ending calls, and incoming calls
// announced.
class ModemCallControlAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.velto.CallUi.Modem")
public:
    explicit ModemCallControlAdaptor(ModemCallUiService *service);

public Q_SLOTS:
    bool Accept(const QString &callId);
    bool Hangup(const QString &callId);

Q_SIGNALS:
    void CallIncoming(const QString &uid, const QString &number);

private:
    ModemCallUiService *m_service;
};
