#include "fakemodemmanager.h"

#include "testsupport.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

namespace {
const char Service[] = "org.freedesktop.ModemManager1";
} // namespace

FakeModemManager::~FakeModemManager()
{
    stop();
}

bool FakeModemManager::start(int modems)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.start(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--session"),
                     QStringLiteral("--template"), QStringLiteral(CH_FAKE_MODEMMANAGER),
                     QStringLiteral("-p"), QStringLiteral("{\"modems\": %1}").arg(modems)});
    return m_process.waitForStarted() && TestSupport::waitForBusName(QLatin1String(Service), 15000);
}

void FakeModemManager::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished();
    TestSupport::waitForBusNameGone(QLatin1String(Service));
}

QString FakeModemManager::modemPath(int index)
{
    return QStringLiteral("/org/freedesktop/ModemManager1/Modem/%1").arg(index);
}

QVariantList FakeModemManager::control(const QString &method, const QVariantList &args, bool *ok)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QLatin1String(Service), QStringLiteral("/org/freedesktop/ModemManager1"),
        QStringLiteral("com.velto.Test.FakeModemManager"), method);
    call.setArguments(args);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 10000);
    if (ok)
        *ok = reply.type() == QDBusMessage::ReplyMessage;
    if (reply.type() != QDBusMessage::ReplyMessage)
        qWarning("fake ModemManager: %s: %s", qPrintable(method), qPrintable(reply.errorMessage()));
    return reply.arguments();
}

QString FakeModemManager::addModem(const QStringList &emergencyNumbers)
{
    const QVariantList r = control(QStringLiteral("AddModem"), {emergencyNumbers});
    return r.isEmpty() ? QString() : r.first().toString();
}

bool FakeModemManager::removeModem(const QString &modem)
{
    bool ok = false;
    control(QStringLiteral("RemoveModem"), {modem}, &ok);
    return ok;
}

QString FakeModemManager::addIncomingCall(const QString &modem, const QString &number)
{
    const QVariantList r = control(QStringLiteral("AddIncomingCall"), {modem, number});
    return r.isEmpty() ? QString() : r.first().toString();
}

QString FakeModemManager::addIncomingCallAt(const QString &modem, const QString &path,
                                            const QString &number)
{
    const QVariantList r = control(QStringLiteral("AddIncomingCallAt"),
                                   {modem, QVariant::fromValue(QDBusObjectPath(path)), number});
    return r.isEmpty() ? QString() : r.first().toString();
}

bool FakeModemManager::announceMissingCalls(const QString &modem, uint count)
{
    bool ok = false;
    control(QStringLiteral("AnnounceMissingCalls"), {modem, count}, &ok);
    return ok;
}

QString FakeModemManager::addWaitingCall(const QString &modem, const QString &number)
{
    const QVariantList r = control(QStringLiteral("AddWaitingCall"), {modem, number});
    return r.isEmpty() ? QString() : r.first().toString();
}

QString FakeModemManager::tones(const QString &call)
{
    const QVariantList r = control(QStringLiteral("Tones"), {call});
    return r.isEmpty() ? QString() : r.first().toString();
}

bool FakeModemManager::setCallState(const QString &call, int state, uint reason)
{
    bool ok = false;
    control(QStringLiteral("SetCallState"), {call, state, reason}, &ok);
    return ok;
}

bool FakeModemManager::setCallNumber(const QString &call, const QString &number)
{
    bool ok = false;
    control(QStringLiteral("SetCallNumber"), {call, number}, &ok);
    return ok;
}

bool FakeModemManager::setCallStateAndNumber(const QString &call, int state, uint reason,
                                             const QString &number)
{
    bool ok = false;
    control(QStringLiteral("SetCallStateAndNumber"), {call, state, reason, number}, &ok);
    return ok;
}

bool FakeModemManager::ringDuringNextListing(const QString &modem, const QString &number)
{
    bool ok = false;
    control(QStringLiteral("RingDuringNextListing"), {modem, number}, &ok);
    return ok;
}

bool FakeModemManager::setStartMode(const QString &mode)
{
    bool ok = false;
    control(QStringLiteral("SetStartMode"), {mode}, &ok);
    return ok;
}

bool FakeModemManager::emitSignal(const QString &path, const QString &interface,
                                  const QString &name, const QString &signature,
                                  const QVariantList &args)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(Service), path,
                                                       QStringLiteral("org.freedesktop.DBus.Mock"),
                                                       QStringLiteral("EmitSignal"));
    QVariantList wrapped;
    for (const QVariant &a : args)
        wrapped << QVariant::fromValue(QDBusVariant(a));
    call << interface << name << signature << QVariant::fromValue(wrapped);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 10000).type() ==
           QDBusMessage::ReplyMessage;
}

QStringList FakeModemManager::calls()
{
    const QVariantList r = control(QStringLiteral("Calls"), {});
    return r.isEmpty() ? QStringList() : r.first().toStringList();
}
