#include "realmodemmanager.h"

#include "simulatedmodem.h"
#include "testsupport.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QFile>
#include <QTest>

namespace {
const char Program[] = "/usr/sbin/ModemManager";
const char Service[] = "org.freedesktop.ModemManager1";
const char ManagerPath[] = "/org/freedesktop/ModemManager1";
const char ModemInterface[] = "org.freedesktop.ModemManager1.Modem";
const char VoiceInterface[] = "org.freedesktop.ModemManager1.Modem.Voice";
const char CallInterface[] = "org.freedesktop.ModemManager1.Call";
const int WaitMs = 20000;
// MMModemState: registered, and the states beyond it (searching is 7).
const int Registered = 8;
} // namespace

RealModemManager::RealModemManager()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString service = QLatin1String(Service);
    bus.connect(service, QString(), QStringLiteral("org.freedesktop.DBus.ObjectManager"),
                QStringLiteral("InterfacesAdded"), this, SLOT(onSignal()));
    bus.connect(service, QString(), QStringLiteral("org.freedesktop.DBus.ObjectManager"),
                QStringLiteral("InterfacesRemoved"), this, SLOT(onSignal()));
    bus.connect(service, QString(), QStringLiteral("org.freedesktop.DBus.Properties"),
                QStringLiteral("PropertiesChanged"), this, SLOT(onSignal()));
}

RealModemManager::~RealModemManager()
{
    stop();
}

bool RealModemManager::isInstalled()
{
    return QFile::exists(QLatin1String(Program));
}

bool RealModemManager::fail(const QString &why)
{
    m_error = why;
    return false;
}

bool RealModemManager::start()
{
    m_modemOfProfile.clear();
    const QString log = qEnvironmentVariable("CH_MODEMMANAGER_LOG");
    QStringList arguments{QStringLiteral("--test-session"), QStringLiteral("--test-enable"),
                          QStringLiteral("--test-no-udev"),
                          QStringLiteral("--test-no-suspend-resume")};
    if (log.isEmpty()) {
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.setStandardErrorFile(QProcess::nullDevice());
    } else {
        arguments << QStringLiteral("--debug");
        m_process.setStandardOutputFile(log, QIODevice::Append);
        m_process.setStandardErrorFile(log, QIODevice::Append);
    }
    m_process.start(QLatin1String(Program), arguments);
    if (!m_process.waitForStarted())
        return fail(QStringLiteral("ModemManager did not start: ") + m_process.errorString());
    if (!TestSupport::waitForBusName(QLatin1String(Service), WaitMs))
        return fail(QStringLiteral("ModemManager did not take its name"));
    return true;
}

void RealModemManager::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished();
    TestSupport::waitForBusNameGone(QLatin1String(Service), WaitMs);
}

bool RealModemManager::waitFor(const std::function<bool()> &ready)
{
    int seen = -1;
    return QTest::qWaitFor(
        [&] {
            if (seen == m_signals)
                return false;
            seen = m_signals;
            return ready();
        },
        WaitMs);
}

QVariantList RealModemManager::call(const QString &path, const QString &interface,
                                    const QString &method, const QVariantList &arguments, bool *ok)
{
    QDBusMessage message =
        QDBusMessage::createMethodCall(QLatin1String(Service), path, interface, method);
    message.setArguments(arguments);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(message, QDBus::Block, WaitMs);
    if (ok)
        *ok = reply.type() == QDBusMessage::ReplyMessage;
    if (reply.type() != QDBusMessage::ReplyMessage) {
        m_error = method + QStringLiteral(": ") + reply.errorMessage();
        return {};
    }
    return reply.arguments();
}

QVariant RealModemManager::property(const QString &path, const QString &interface,
                                    const QString &name)
{
    const QVariantList r = call(path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                QStringLiteral("Get"), {interface, name});
    return r.isEmpty() ? QVariant() : r.first().value<QDBusVariant>().variant();
}

QString RealModemManager::modemOf(const QString &port)
{
    const QVariantList r =
        call(QLatin1String(ManagerPath), QStringLiteral("org.freedesktop.DBus.ObjectManager"),
             QStringLiteral("GetManagedObjects"), {});
    if (r.isEmpty())
        return QString();
    const QDBusArgument arg = r.first().value<QDBusArgument>();
    QString found;
    arg.beginMap();
    while (!arg.atEnd()) {
        QDBusObjectPath path;
        QMap<QString, QVariantMap> interfaces;
        arg.beginMapEntry();
        arg >> path >> interfaces;
        arg.endMapEntry();
        if (interfaces.value(QLatin1String(ModemInterface))
                .value(QStringLiteral("PrimaryPort"))
                .toString() == port)
            found = path.path();
    }
    arg.endMap();
    return found;
}

QString RealModemManager::plug(const SimulatedModem &modem, const QString &profile)
{
    const QString old = m_modemOfProfile.take(profile);
    bool ok = false;
    call(QLatin1String(ManagerPath), QStringLiteral("org.freedesktop.ModemManager1.Test"),
         QStringLiteral("SetProfile"),
         {profile, QStringLiteral("generic"), QStringList{modem.port()}}, &ok);
    if (!ok)
        return QString();
    QString path;
    if (!waitFor([&] { return !(path = modemOf(modem.port())).isEmpty() && path != old; })) {
        fail(QStringLiteral("ModemManager made no modem of ") + modem.port());
        return QString();
    }
    call(path, QLatin1String(ModemInterface), QStringLiteral("Enable"), {true}, &ok);
    if (!ok)
        return QString();
    const bool up = waitFor([&] {
        const QVariantList i = call(path, QStringLiteral("org.freedesktop.DBus.Introspectable"),
                                    QStringLiteral("Introspect"), {});
        return isRegistered(path) && i.value(0).toString().contains(QLatin1String(VoiceInterface));
    });
    if (!up) {
        fail(QStringLiteral("the modem of %1 was not registered with voice calls")
                 .arg(modem.port()));
        return QString();
    }
    m_modemOfProfile.insert(profile, path);
    return path;
}

bool RealModemManager::isRegistered(const QString &modem)
{
    return property(modem, QLatin1String(ModemInterface), QStringLiteral("State")).toInt() >=
           Registered;
}

QStringList RealModemManager::calls(const QString &modem)
{
    QStringList list;
    const QVariant value = property(modem, QLatin1String(VoiceInterface), QStringLiteral("Calls"));
    QList<QDBusObjectPath> paths;
    if (value.canConvert<QDBusArgument>())
        value.value<QDBusArgument>() >> paths;
    for (const QDBusObjectPath &path : paths) {
        const QString state = QString::number(
            property(path.path(), QLatin1String(CallInterface), QStringLiteral("State")).toInt());
        const QString number =
            property(path.path(), QLatin1String(CallInterface), QStringLiteral("Number"))
                .toString();
        list << (path.path() + QLatin1Char(' ') + state + QLatin1Char(' ') + number).trimmed();
    }
    return list;
}

bool RealModemManager::controlNewestCall(const QString &modem, const QString &method)
{
    for (const QString &entry : calls(modem)) {
        // MM_CALL_STATE_TERMINATED
        if (entry.section(QLatin1Char(' '), 1, 1) == QLatin1String("7"))
            continue;
        bool ok = false;
        call(entry.section(QLatin1Char(' '), 0, 0), QLatin1String(CallInterface), method, {}, &ok);
        return ok;
    }
    return fail(QStringLiteral("%1: no call of %2 goes on").arg(method, modem));
}

bool RealModemManager::waitForNoCalls(const QString &modem)
{
    return waitFor([&] { return calls(modem).isEmpty(); });
}
