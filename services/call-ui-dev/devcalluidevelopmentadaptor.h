#pragma once

#include <QDBusAbstractAdaptor>

class DevCallUiService;

// The development-only controls: how the next calls play out, and quitting.
class DevCallUiDevelopmentAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.velto.CallUi.Development")
public:
    explicit DevCallUiDevelopmentAdaptor(DevCallUiService *service);

public Q_SLOTS:
    void SetSchedule(int answerAfter, int endAfter, bool fail);
    void Quit();

Q_SIGNALS:
    void CallRequested(const QString &uid, const QString &accountPath, const QString &accountId,
                       uint localContactId, const QString &contactName, bool video);

private:
    DevCallUiService *m_service;
};
