#pragma once

#include <QDBusContext>
#include <QObject>
#include <QStringList>

// The single-instance service of an application on the session bus. The first process owns the
// service name and answers launch requests (at MApplicationService::objectPath, interface
// MApplicationService::interfaceName); a later process finds the name taken, hands its launch
// parameters to the owner and exits. Subclasses turn launch requests into what the application
// shows; the base launch() releases a prestarted process and brings its window to the front.
//
// Any peer on the bus may send a launch request: one with more than BusLimits::MaxLaunchParameters
// parameters, or a parameter longer than BusLimits::MaxLaunchParameterLength, is answered with an
// InvalidArgs error and dropped before it is queued (a later process that hands such a request
// over exits with an error).
class MApplicationService : public QObject, public QDBusContext
{
    Q_OBJECT
public:
    static const QString objectPath;
    static const QString interfaceName;

    explicit MApplicationService(const QString &serviceName, QObject *parent = nullptr);
    ~MApplicationService() override;

    QString serviceName() const { return m_serviceName; }

public Q_SLOTS:
    virtual void launch();
    virtual void launch(const QStringList &parameters);
    virtual void close();
    virtual void exit();
    virtual void launchAnotherWithQProcess();
    virtual void handleServiceRegistrationFailure();
    virtual void incrementAndRegister();
    virtual QString registeredName();
    virtual bool isRegistered();
    virtual bool registerService();

private:
    bool registerName(const QString &name);

    QString m_serviceName;
    QString m_registeredName;
};
