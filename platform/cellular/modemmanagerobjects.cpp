#include "modemmanagerobjects.h"

#include "buslimits.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QTimer>

namespace {
const char ObjectManagerInterface[] = "org.freedesktop.DBus.ObjectManager";
const char PropertiesInterface[] = "org.freedesktop.DBus.Properties";
const char ModemPrefix[] = "/org/freedesktop/ModemManager1/Modem/";

// a{sa{sv}}: interface names and their properties; false when it is not that.
bool readInterfaces(const QDBusArgument &arg, Cellular::ModemManagerObjects::Interfaces *out)
{
    if (arg.currentSignature() != QLatin1String("a{sa{sv}}"))
        return false;
    arg.beginMap();
    while (!arg.atEnd()) {
        QString name;
        QVariantMap properties;
        arg.beginMapEntry();
        arg >> name >> properties;
        arg.endMapEntry();
        if (out->size() < Cellular::ModemManagerObjects::MaxInterfaces || out->contains(name))
            out->insert(name, properties);
    }
    arg.endMap();
    return true;
}
} // namespace

namespace Cellular {

ModemManagerObjects::ModemManagerObjects(const QDBusConnection &bus, QObject *parent)
    : QObject(parent), m_bus(bus)
{
    if (!m_bus.isConnected()) {
        // Nothing to ask: there is no ModemManager.
        m_ownerKnown = m_listed = true;
        return;
    }
    auto *watcher =
        new QDBusServiceWatcher(service(), m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            &ModemManagerObjects::onOwnerChanged);
    const QString om = QLatin1String(ObjectManagerInterface);
    m_bus.connect(service(), managerPath(), om, QStringLiteral("InterfacesAdded"), this,
                  SLOT(onInterfacesAdded(QDBusMessage)));
    m_bus.connect(service(), managerPath(), om, QStringLiteral("InterfacesRemoved"), this,
                  SLOT(onInterfacesRemoved(QDBusMessage)));
    m_bus.connect(service(), QString(), QLatin1String(PropertiesInterface),
                  QStringLiteral("PropertiesChanged"), this,
                  SLOT(onPropertiesChanged(QDBusMessage)));

    QDBusMessage ask = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetNameOwner"));
    ask << service();
    auto *pending = new QDBusPendingCallWatcher(m_bus.asyncCall(ask), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, pending] {
        pending->deleteLater();
        // An owner change seen meanwhile is newer than this answer.
        if (m_ownerKnown)
            return;
        const QDBusMessage reply = pending->reply();
        QString owner;
        if (reply.type() == QDBusMessage::ReplyMessage && reply.signature() == QLatin1String("s"))
            owner = reply.arguments().first().toString();
        setOwner(owner);
    });
}

QString ModemManagerObjects::service()
{
    return QStringLiteral("org.freedesktop.ModemManager1");
}
QString ModemManagerObjects::managerPath()
{
    return QStringLiteral("/org/freedesktop/ModemManager1");
}
QString ModemManagerObjects::modemInterface()
{
    return QStringLiteral("org.freedesktop.ModemManager1.Modem");
}
QString ModemManagerObjects::voiceInterface()
{
    return QStringLiteral("org.freedesktop.ModemManager1.Modem.Voice");
}
QString ModemManagerObjects::callInterface()
{
    return QStringLiteral("org.freedesktop.ModemManager1.Call");
}
QString ModemManagerObjects::simInterface()
{
    return QStringLiteral("org.freedesktop.ModemManager1.Sim");
}

QVariant ModemManagerObjects::property(const QString &modem, const QString &interface,
                                       const QString &name) const
{
    return m_modems.value(modem).value(interface).value(name);
}

bool ModemManagerObjects::isFromOwner(const QDBusMessage &message) const
{
    return !m_owner.isEmpty() && message.service() == m_owner;
}

bool ModemManagerObjects::isFromListedOwner(const QDBusMessage &message)
{
    if (!isFromOwner(message))
        return false;
    if (!m_listed)
        m_changedWhileListing = true;
    return m_listed;
}

bool ModemManagerObjects::isModemPath(const QString &path)
{
    return path.startsWith(QLatin1String(ModemPrefix)) &&
           path.size() > int(sizeof(ModemPrefix) - 1) &&
           BusLimits::fits(path, BusLimits::MaxObjectPathLength);
}

QStringList ModemManagerObjects::objectPaths(const QVariant &value)
{
    QStringList paths;
    if (value.userType() != qMetaTypeId<QDBusArgument>())
        return paths;
    const QDBusArgument arg = value.value<QDBusArgument>();
    if (arg.currentSignature() != QLatin1String("ao"))
        return paths;
    arg.beginArray();
    while (!arg.atEnd()) {
        QDBusObjectPath p;
        arg >> p;
        paths << p.path();
    }
    arg.endArray();
    return paths;
}

QStringList ModemManagerObjects::strings(const QVariant &value)
{
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList();
    if (value.userType() != qMetaTypeId<QDBusArgument>())
        return QStringList();
    const QDBusArgument arg = value.value<QDBusArgument>();
    if (arg.currentSignature() != QLatin1String("as"))
        return QStringList();
    QStringList list;
    arg >> list;
    return list;
}

void ModemManagerObjects::call(const QString &path, const QString &interface, const QString &method,
                               const QVariantList &arguments,
                               const std::function<void(const QDBusMessage &)> &onReply)
{
    if (m_owner.isEmpty() || !m_bus.isConnected()) {
        // Answered as a call to a missing service would be, and as late.
        QTimer::singleShot(0, this, [onReply] {
            onReply(QDBusMessage::createError(QDBusError::ServiceUnknown,
                                              QStringLiteral("ModemManager is not running")));
        });
        return;
    }
    // Addressed to the unique name, so that a restarted ModemManager never gets a question
    // meant for the one before.
    QDBusMessage message = QDBusMessage::createMethodCall(m_owner, path, interface, method);
    message.setArguments(arguments);
    message.setAutoStartService(false);
    auto *pending = new QDBusPendingCallWatcher(m_bus.asyncCall(message), this);
    const int generation = m_generation;
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this, pending, generation, onReply] {
                pending->deleteLater();
                if (generation == m_generation)
                    onReply(pending->reply());
                else
                    onReply(QDBusMessage::createError(
                        QDBusError::Disconnected,
                        QStringLiteral("ModemManager restarted before it answered")));
            });
}

void ModemManagerObjects::onOwnerChanged(const QString &name, const QString &oldOwner,
                                         const QString &newOwner)
{
    Q_UNUSED(name);
    Q_UNUSED(oldOwner);
    m_ownerKnown = true;
    setOwner(newOwner);
}

void ModemManagerObjects::setOwner(const QString &owner)
{
    m_ownerKnown = true;
    if (owner == m_owner && m_listed)
        return;
    ++m_generation;
    const QString old = m_owner;
    for (const QString &path : m_modems.keys())
        removeModem(path);
    m_owner = owner;
    m_listed = false;
    m_relists = 0;
    if (old != owner)
        Q_EMIT ownerChanged(old, owner);
    if (owner.isEmpty()) {
        m_listed = true;
        Q_EMIT listed();
        return;
    }
    list();
}

void ModemManagerObjects::list()
{
    m_changedWhileListing = false;
    const int generation = m_generation;
    call(managerPath(), QLatin1String(ObjectManagerInterface), QStringLiteral("GetManagedObjects"),
         {}, [this, generation](const QDBusMessage &reply) {
             // A listing of the ModemManager before is of no use.
             if (generation == m_generation)
                 onManagedObjects(reply);
         });
}

void ModemManagerObjects::onManagedObjects(const QDBusMessage &reply)
{
    if (m_changedWhileListing && m_relists < MaxRelists) {
        ++m_relists;
        list();
        return;
    }
    if (reply.type() == QDBusMessage::ReplyMessage &&
        reply.signature() == QLatin1String("a{oa{sa{sv}}}")) {
        const QDBusArgument arg = reply.arguments().first().value<QDBusArgument>();
        arg.beginMap();
        while (!arg.atEnd()) {
            QDBusObjectPath path;
            Interfaces interfaces;
            arg.beginMapEntry();
            arg >> path;
            readInterfaces(arg, &interfaces);
            arg.endMapEntry();
            addInterfaces(path.path(), interfaces);
        }
        arg.endMap();
    }
    // An error leaves no modems: the same as a ModemManager without any.
    m_listed = true;
    Q_EMIT listed();
}

void ModemManagerObjects::addInterfaces(const QString &path, const Interfaces &added)
{
    if (!isModemPath(path) || added.isEmpty())
        return;
    const bool known = m_modems.contains(path);
    if (!known && m_modems.size() >= MaxModems)
        return;
    Interfaces &interfaces = m_modems[path];
    for (auto it = added.begin(); it != added.end(); ++it) {
        if (interfaces.size() < MaxInterfaces || interfaces.contains(it.key()))
            interfaces.insert(it.key(), it.value());
    }
    if (known)
        Q_EMIT modemChanged(path);
    else
        Q_EMIT modemAdded(path);
}

void ModemManagerObjects::removeModem(const QString &path)
{
    if (m_modems.remove(path))
        Q_EMIT modemRemoved(path);
}

void ModemManagerObjects::onInterfacesAdded(const QDBusMessage &message)
{
    if (!isFromListedOwner(message) || message.signature() != QLatin1String("oa{sa{sv}}"))
        return;
    const QString path = message.arguments().at(0).value<QDBusObjectPath>().path();
    Interfaces interfaces;
    if (readInterfaces(message.arguments().at(1).value<QDBusArgument>(), &interfaces))
        addInterfaces(path, interfaces);
}

void ModemManagerObjects::onInterfacesRemoved(const QDBusMessage &message)
{
    if (!isFromListedOwner(message) || message.signature() != QLatin1String("oas"))
        return;
    const QString path = message.arguments().at(0).value<QDBusObjectPath>().path();
    if (!m_modems.contains(path))
        return;
    Interfaces &interfaces = m_modems[path];
    for (const QString &name : message.arguments().at(1).toStringList())
        interfaces.remove(name);
    if (interfaces.isEmpty())
        removeModem(path);
    else
        Q_EMIT modemChanged(path);
}

void ModemManagerObjects::onPropertiesChanged(const QDBusMessage &message)
{
    if (!isFromListedOwner(message) || message.signature() != QLatin1String("sa{sv}as") ||
        !m_modems.contains(message.path()))
        return;
    const QString interface = message.arguments().at(0).toString();
    Interfaces &interfaces = m_modems[message.path()];
    if (!interfaces.contains(interface))
        return;
    const QVariantMap changed = qdbus_cast<QVariantMap>(message.arguments().at(1));
    QVariantMap &properties = interfaces[interface];
    for (auto it = changed.begin(); it != changed.end(); ++it)
        properties.insert(it.key(), it.value());
    for (const QString &name : message.arguments().at(2).toStringList())
        properties.remove(name);
    Q_EMIT modemChanged(message.path());
}

} // namespace Cellular
