#include "emergencynumbers.h"

#include "buslimits.h"
#include "busopener.h"
#include "modemmanagerobjects.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace {
const char Service[] = "org.ofono";
const char ManagerInterface[] = "org.ofono.Manager";
const char VoiceCallManagerInterface[] = "org.ofono.VoiceCallManager";
const char EmergencyNumbersProperty[] = "EmergencyNumbers";
const int CallTimeoutMs = 2000;
// Bounds on what a modem service may hand over: emergency numbers are a few digits.
const int MaxNumberLength = 32;
const int MaxNumbers = 64;
// Lists of at most this many modems are kept (oFono's and ModemManager's together), each under a
// path of at most BusLimits::MaxObjectPathLength characters.
const int MaxModems = 2 * Cellular::ModemManagerObjects::MaxModems;

QStringList cleaned(const QStringList &numbers)
{
    QStringList result;
    for (const QString &n : numbers) {
        const QString t = n.trimmed();
        if (result.size() >= MaxNumbers)
            break;
        if (!t.isEmpty() && t.size() <= MaxNumberLength && !result.contains(t))
            result << t;
    }
    return result;
}
} // namespace

namespace Cellular {

EmergencyNumbers::EmergencyNumbers(QObject *parent) : EmergencyNumbers(BusOpener::system(), parent)
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
        m_modemManager = new ModemManagerObjects(m_bus, this);
        connect(m_modemManager, &ModemManagerObjects::modemAdded, this,
                &EmergencyNumbers::onModemManagerModem);
        connect(m_modemManager, &ModemManagerObjects::modemChanged, this,
                &EmergencyNumbers::onModemManagerModem);
        connect(m_modemManager, &ModemManagerObjects::modemRemoved, this,
                &EmergencyNumbers::onModemManagerModemRemoved);
        m_bus.connect(ModemManagerObjects::service(), QString(),
                      QStringLiteral("org.freedesktop.DBus.Properties"),
                      QStringLiteral("PropertiesChanged"), this,
                      SLOT(onSimPropertiesChanged(QDBusMessage)));
    }
    queryModems();
}

void EmergencyNumbers::onServiceOwnerChanged(const QString &service, const QString &oldOwner,
                                             const QString &newOwner)
{
    Q_UNUSED(service);
    Q_UNUSED(oldOwner);
    // Answers still on their way come from the previous owner.
    ++m_generation;
    if (newOwner.isEmpty()) {
        // The modem service went away: the built-in list serves again (ModemManager's modems
        // are kept apart, under their own prefix).
        for (const QString &modem : m_perModem.keys())
            if (!modem.startsWith(QLatin1String("mm:")))
                m_perModem.remove(modem);
        updateUnion();
        return;
    }
    // Started or restarted: the lists are asked again; the current ones serve meanwhile.
    queryModems();
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

void EmergencyNumbers::callAsync(const QString &path, const QString &interface,
                                 const QString &method,
                                 const std::function<void(const QDBusMessage &)> &onReply)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(QLatin1String(Service), path, interface, method);
    call.setAutoStartService(false);
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, CallTimeoutMs), this);
    const int generation = m_generation;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, generation, onReply] {
                watcher->deleteLater();
                if (generation == m_generation)
                    onReply(watcher->reply());
            });
}

void EmergencyNumbers::queryModems()
{
    if (!m_bus.isConnected())
        return;
    callAsync(QStringLiteral("/"), QLatin1String(ManagerInterface), QStringLiteral("GetModems"),
              [this](const QDBusMessage &reply) { onModems(reply); });
}

void EmergencyNumbers::onModems(const QDBusMessage &reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return;
    // a(oa{sv}): one object path and its properties per modem.
    const QDBusArgument arg = reply.arguments().first().value<QDBusArgument>();
    if (arg.currentSignature() != QLatin1String("a(oa{sv})"))
        return;
    QStringList paths;
    arg.beginArray();
    while (!arg.atEnd()) {
        QDBusObjectPath path;
        QVariantMap properties;
        arg.beginStructure();
        arg >> path >> properties;
        arg.endStructure();
        if (BusLimits::fits(path.path(), BusLimits::MaxObjectPathLength) &&
            paths.size() < MaxModems)
            paths << path.path();
    }
    arg.endArray();
    // Modems that are gone no longer count; the others keep their lists until they answer.
    for (const QString &known : m_perModem.keys()) {
        if (!paths.contains(known) && !known.startsWith(QLatin1String("mm:")))
            m_perModem.remove(known);
    }
    updateUnion();
    for (const QString &path : qAsConst(paths))
        queryModem(path);
}

void EmergencyNumbers::queryModem(const QString &path)
{
    callAsync(path, QLatin1String(VoiceCallManagerInterface), QStringLiteral("GetProperties"),
              [this, path](const QDBusMessage &reply) {
                  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
                      return;
                  const QDBusArgument arg = reply.arguments().first().value<QDBusArgument>();
                  if (arg.currentSignature() != QLatin1String("a{sv}"))
                      return;
                  const QVariantMap properties = qdbus_cast<QVariantMap>(arg);
                  const QVariant numbers =
                      properties.value(QLatin1String(EmergencyNumbersProperty));
                  if (numbers.canConvert<QStringList>())
                      setModemNumbers(path, cleaned(numbers.toStringList()));
              });
}

void EmergencyNumbers::onVoiceCallPropertyChanged(const QString &name, const QDBusVariant &value,
                                                  const QDBusMessage &message)
{
    if (name != QLatin1String(EmergencyNumbersProperty) ||
        !BusLimits::fits(message.path(), BusLimits::MaxObjectPathLength))
        return;
    QVariant v = value.variant();
    QStringList list;
    if (v.userType() == qMetaTypeId<QDBusArgument>())
        list = qdbus_cast<QStringList>(v.value<QDBusArgument>());
    else
        list = v.toStringList();
    setModemNumbers(message.path(), cleaned(list));
}

void EmergencyNumbers::onModemManagerModem(const QString &modemPath)
{
    const QVariant sim = m_modemManager->property(modemPath, ModemManagerObjects::modemInterface(),
                                                  QStringLiteral("Sim"));
    QString simPath =
        sim.canConvert<QDBusObjectPath>() ? sim.value<QDBusObjectPath>().path() : QString();
    // A path longer than any SIM's is taken as no SIM, and not kept.
    if (!BusLimits::fits(simPath, BusLimits::MaxObjectPathLength))
        simPath.clear();
    if (simPath == m_sims.value(modemPath) && m_sims.contains(modemPath))
        return;
    // "/" is ModemManager's "no SIM".
    if (simPath.isEmpty() || simPath == QLatin1String("/")) {
        m_sims.insert(modemPath, QString());
        setSimNumbers(modemPath, {});
        return;
    }
    m_sims.insert(modemPath, simPath);
    querySim(modemPath, simPath);
}

void EmergencyNumbers::querySim(const QString &modemPath, const QString &simPath)
{
    m_modemManager->call(
        simPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
        {ModemManagerObjects::simInterface(), QLatin1String(EmergencyNumbersProperty)},
        [this, modemPath, simPath](const QDBusMessage &reply) {
            // The modem may have another SIM by now.
            if (m_sims.value(modemPath) != simPath || reply.type() != QDBusMessage::ReplyMessage ||
                reply.signature() != QLatin1String("v"))
                return;
            const QVariant value = reply.arguments().first().value<QDBusVariant>().variant();
            setSimNumbers(modemPath, ModemManagerObjects::strings(value));
        });
}

void EmergencyNumbers::onSimPropertiesChanged(const QDBusMessage &message)
{
    if (!m_modemManager->isFromOwner(message) || message.signature() != QLatin1String("sa{sv}as") ||
        message.arguments().at(0).toString() != ModemManagerObjects::simInterface())
        return;
    const QString modemPath = m_sims.key(message.path());
    if (modemPath.isEmpty() || message.path().isEmpty())
        return;
    const QVariantMap changed = qdbus_cast<QVariantMap>(message.arguments().at(1));
    const QLatin1String name(EmergencyNumbersProperty);
    if (changed.contains(name))
        setSimNumbers(modemPath, ModemManagerObjects::strings(changed.value(name)));
    else if (message.arguments().at(2).toStringList().contains(name))
        querySim(modemPath, message.path());
}

void EmergencyNumbers::onModemManagerModemRemoved(const QString &modemPath)
{
    m_sims.remove(modemPath);
    if (m_perModem.remove(QStringLiteral("mm:") + modemPath))
        updateUnion();
}

void EmergencyNumbers::setSimNumbers(const QString &modemPath, const QStringList &numbers)
{
    QStringList list = cleaned(numbers);
    // ModemManager documents the SIM's numbers as counting in addition to these two.
    if (!list.isEmpty()) {
        for (const QString &always : {QStringLiteral("112"), QStringLiteral("911")})
            if (!list.contains(always))
                list << always;
    }
    const QString key = QStringLiteral("mm:") + modemPath;
    if (list.isEmpty()) {
        if (m_perModem.remove(key))
            updateUnion();
        return;
    }
    setModemNumbers(key, list);
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
    if (!m_perModem.contains(modemPath) && m_perModem.size() >= MaxModems)
        return;
    m_perModem.insert(modemPath, numbers);
    updateUnion();
}

void EmergencyNumbers::updateUnion()
{
    const QStringList all = unionOfModems();
    if (all == m_modemNumbers)
        return;
    m_modemNumbers = all;
    Q_EMIT numbersChanged();
}

} // namespace Cellular
