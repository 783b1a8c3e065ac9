#pragma once

#include <QDBusAbstractAdaptor>
#include <QStringList>

class MApplicationService;

// Publishes an application service's launch requests on the session bus. Launch parameters are
// checked against their bounds here, where they enter (see MApplicationService).
class MApplicationServiceAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.velto.touch.application")
public:
    explicit MApplicationServiceAdaptor(MApplicationService *service);

public Q_SLOTS:
    void launch();
    void launch(const QStringList &parameters);
    void close();
    void exit();

private:
    MApplicationService *m_service;
};
