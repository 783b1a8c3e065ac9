#pragma once

#include <QDBusAbstractAdaptor>

class ModemCallUiService;

// The call-UI interface of the modem service (data/dbus/com.velto.CallUi.xml), the same as the
// development service's.
class ModemCallUiAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.velto.CallUi")
public:
    explicit ModemCallUiAdaptor(ModemCallUiService *service);

public Q_SLOTS:
    QString RequestCallToContact(const QString &accountPath, const QString &accountId,
                                 uint localContactId, const QString &contactName, bool video);

Q_SIGNALS:
    void CallAnswered(QString uid);
    void CallEnded(QString uid, int reason, int duration, QString message);
    void CommandCompleted(QString uid);
    void CommandFailed(QString uid);

private:
    ModemCallUiService *m_service;
};

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
