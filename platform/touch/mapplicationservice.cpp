#include "mapplicationservice.h"

#include "busopener.h"
#include "mapplication.h"
#include "mapplicationserviceadaptor.h"
#include "mwindow.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <cstdio>
#include <cstdlib>

const QString MApplicationService::objectPath = QStringLiteral("/com/velto/touch/application");
const QString MApplicationService::interfaceName = QStringLiteral("com.velto.touch.application");

MApplicationService::MApplicationService(const QString &serviceName, QObject *parent)
    : QObject(parent), m_serviceName(serviceName)
{
    new MApplicationServiceAdaptor(this);
}

MApplicationService::~MApplicationService()
{
    if (!m_registeredName.isEmpty()) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterObject(objectPath);
        bus.unregisterService(m_registeredName);
    }
}

void MApplicationService::launch()
{
    MApplication::setPrestarted(false);
    if (MWindow *w = MApplication::activeWindow()) {
        w->show();
        w->activateWindow();
    }
}

void MApplicationService::launch(const QStringList &)
{
    launch();
}

void MApplicationService::close()
{
    if (MWindow *w = MApplication::activeWindow())
        w->close();
}

void MApplicationService::exit()
{
    QCoreApplication::quit();
}

void MApplicationService::launchAnotherWithQProcess()
{
    QStringList args = QCoreApplication::arguments().mid(1);
    args.removeAll(QStringLiteral("-prestart"));
    QProcess::startDetached(QCoreApplication::applicationFilePath(), args);
}

void MApplicationService::handleServiceRegistrationFailure()
{
    // Another process is this application: hand it our launch request and end here, before any
    // window exists.
    QStringList parameters;
    if (MApplication *app = MApplication::instance())
        parameters = app->launchParameters();
    QDBusMessage msg = QDBusMessage::createMethodCall(m_serviceName, objectPath, interfaceName,
                                                      QStringLiteral("launch"));
    if (!parameters.isEmpty())
        msg << parameters;
    const QDBusMessage reply = QDBusConnection::sessionBus().call(msg, QDBus::Block, 10000);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        std::fprintf(stderr, "%s: the running instance did not take the launch request: %s\n",
                     qPrintable(QCoreApplication::applicationName()),
                     qPrintable(reply.errorMessage()));
        std::exit(1);
    }
    std::exit(0);
}

void MApplicationService::incrementAndRegister()
{
    for (int i = 2; i < 100; ++i) {
        if (registerName(m_serviceName + QLatin1Char('_') + QString::number(i)))
            return;
    }
}

QString MApplicationService::registeredName()
{
    return m_registeredName;
}

bool MApplicationService::isRegistered()
{
    return !m_registeredName.isEmpty();
}

bool MApplicationService::registerService()
{
    // Opened first here, so that the connection keeps its record of our names in step.
    QDBusConnection bus = BusOpener::session();
    if (!bus.isConnected()) {
        std::fprintf(stderr,
                     "%s: cannot connect to the session bus (%s); it is needed to run as "
                     "a single instance\n",
                     qPrintable(QCoreApplication::applicationName()),
                     qPrintable(bus.lastError().message()));
        std::exit(1);
    }
    return registerName(m_serviceName);
}

bool MApplicationService::registerName(const QString &name)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusConnectionInterface *iface = bus.interface();
    if (!iface)
        return false;
    // The object is there before the name: a launch request sent as soon as the name appears
    // finds it, as the bus delivers calls as they come.
    bus.registerObject(objectPath, this, QDBusConnection::ExportAdaptors);
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        iface->registerService(name, QDBusConnectionInterface::DontQueueService,
                               QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        bus.unregisterObject(objectPath);
        return false;
    }
    m_registeredName = name;
    return true;
}
