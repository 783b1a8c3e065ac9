#include "emergencynumbers.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace {
const char Service[] = "org.ofono";
const char ManagerInterface[] = "org.ofono.Manager";
const char VoiceCallManagerInterface[] = "org.ofono.VoiceCallManager";
const char EmergencyNumbersProperty[] = "EmergencyNumbers";
const int CallTimeoutMs = 2000;

QStringList cleaned(const QStringList &numbers)
{
    QStringList result;
    for (const QString &n : numbers) {
        const QString t = n.trimmed();
        if (!t.isEmpty() && !result.contains(t))
            result << t;
    }
    return result;
}
} // namespace

namespace Cellular {

EmergencyNumbers::EmergencyNumbers(QObject *parent)
    : EmergencyNumbers(QDBusConnection::systemBus(), parent)
{
}

EmergencyNumbers::EmergencyNumbers(const QDBusConnection &bus, QObject *parent)
    : QObject(parent), m_bus(bus)
{
    if (m_bus.isConnected()) {
        auto *watcher = new QDBusServiceWatcher(QLatin1String(Service), m_bus,
                                                QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
                &EmergencyNumbers::onServiceOwnerChanged);
        m_bus.connect(QLatin1String(Service), QString(), QLatin1String(VoiceCallManagerInterface),
                      QStringLiteral("PropertyChanged"), this,
                      SLOT(onVoiceCallPropertyChanged(QString, QDBusVariant, QDBusMessage)));
    }
    queryModems();
}

void EmergencyNumbers::onServiceOwnerChanged()
{
    // The modem service started, restarted or went away: its lists are asked again.
    const QStringList before = m_modemNumbers;
    m_perModem.clear();
    m_modemNumbers.clear();
    queryModems();
    if (m_modemNumbers != before)
        Q_EMIT numbersChanged();
}

QStringList EmergencyNumbers::defaultNumbers()
{
    return {QStringLiteral("112"), QStringLiteral("911"), QStringLiteral("000"),
            QStringLiteral("08"),  QStringLiteral("110"), QStringLiteral("118"),
            QStringLiteral("119"), QStringLiteral("999")};
}

QStringList EmergencyNumbers::numbers() const
{
    return m_modemNumbers.isEmpty() ? defaultNumbers() : m_modemNumbers;
}

QStringList EmergencyNumbers::queryModemPaths()
{
    QStringList paths;
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(Service), QStringLiteral("/"),
                                                       QLatin1String(ManagerInterface),
                                                       QStringLiteral("GetModems"));
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, CallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return paths;
    // a(oa{sv}): one object path and its properties per modem.
    const QDBusArgument arg = reply.arguments().first().value<QDBusArgument>();
    if (arg.currentSignature() != QLatin1String("a(oa{sv})"))
        return paths;
    arg.beginArray();
    while (!arg.atEnd()) {
        QDBusObjectPath path;
        QVariantMap properties;
        arg.beginStructure();
        arg >> path >> properties;
        arg.endStructure();
        paths << path.path();
    }
    arg.endArray();
    return paths;
}

void EmergencyNumbers::queryModems()
{
    if (!m_bus.isConnected() || !m_bus.interface())
        return;
    if (!m_bus.interface()->isServiceRegistered(QLatin1String(Service)).value())
        return;

    for (const QString &path : queryModemPaths()) {
        QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(Service), path,
                                                           QLatin1String(VoiceCallManagerInterface),
                                                           QStringLiteral("GetProperties"));
        const QDBusMessage reply = m_bus.call(call, QDBus::Block, CallTimeoutMs);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            continue;
        const QVariantMap properties =
            qdbus_cast<QVariantMap>(reply.arguments().first().value<QDBusArgument>());
        const QVariant numbers = properties.value(QLatin1String(EmergencyNumbersProperty));
        if (numbers.canConvert<QStringList>())
            m_perModem.insert(path, cleaned(numbers.toStringList()));
    }
    m_modemNumbers = unionOfModems();
}

void EmergencyNumbers::onVoiceCallPropertyChanged(const QString &name, const QDBusVariant &value,
                                                  const QDBusMessage &message)
{
    if (name != QLatin1String(EmergencyNumbersProperty))
        return;
    QVariant v = value.variant();
    QStringList list;
    if (v.userType() == qMetaTypeId<QDBusArgument>())
        list = qdbus_cast<QStringList>(v.value<QDBusArgument>());
    else
        list = v.toStringList();
    setModemNumbers(message.path(), cleaned(list));
}

QStringList EmergencyNumbers::unionOfModems() const
{
    QStringList all;
    for (const QStringList &list : m_perModem)
        for (const QString &n : list)
            if (!all.contains(n))
                all << n;
    return all;
}

void EmergencyNumbers::setModemNumbers(const QString &modemPath, const QStringList &numbers)
{
    m_perModem.insert(modemPath, numbers);
    const QStringList all = unionOfModems();
    if (all == m_modemNumbers)
        return;
    m_modemNumbers = all;
    Q_EMIT numbersChanged();
}

} // namespace Cellular
