#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusMessage>

class DevCallUiService;

// The development-only controls: how the next calls play out, calls rung in and ended from the
// far end, and quitting; and what the call screen's keypad sent.
class DevCallUiDevelopmentAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.velto.CallUi.Development")
public:
    explicit DevCallUiDevelopmentAdaptor(DevCallUiService *service);

public Q_SLOTS:
    void SetSchedule(int answerAfter, int endAfter, bool fail);
    // Refused numbers get org.freedesktop.DBus.Error.InvalidArgs.
    QString Ring(const QString &number, const QDBusMessage &message);
    bool EndRemote(const QString &callId);
    void Quit();

Q_SIGNALS:
    void CallRequested(const QString &uid, const QString &accountPath, const QString &accountId,
                       uint localContactId, const QString &contactName, bool video);
    void TonesSent(const QString &uid, const QString &digits);

private:
    DevCallUiService *m_service;
};
