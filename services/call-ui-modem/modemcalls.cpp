#include "modemcalls.h"

#include "modemmanagerobjects.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusObjectPath>

using Cellular::ModemManagerObjects;

namespace {
const char CallPrefix[] = "/org/freedesktop/ModemManager1/Call/";

QString errorOf(const QDBusMessage &reply)
{
    if (reply.type() == QDBusMessage::ReplyMessage)
        return QString();
    const QString text = reply.errorName() + QStringLiteral(": ") + reply.errorMessage();
    return text.left(300);
}
} // namespace

ModemCalls::ModemCalls(ModemManagerObjects *objects, QObject *parent)
    : QObject(parent), m_objects(objects)
{
    QDBusConnection bus = objects->bus();
    const QString service = ModemManagerObjects::service();
    const QString voice = ModemManagerObjects::voiceInterface();
    const QString call = ModemManagerObjects::callInterface();
    bus.connect(service, QString(), voice, QStringLiteral("CallAdded"), this,
                SLOT(onCallAdded(QDBusMessage)));
    bus.connect(service, QString(), voice, QStringLiteral("CallDeleted"), this,
                SLOT(onCallDeleted(QDBusMessage)));
    bus.connect(service, QString(), call, QStringLiteral("StateChanged"), this,
                SLOT(onStateChanged(QDBusMessage)));
    bus.connect(service, QString(), QStringLiteral("org.freedesktop.DBus.Properties"),
                QStringLiteral("PropertiesChanged"), this, SLOT(onPropertiesChanged(QDBusMessage)));
}

bool ModemCalls::isCallPath(const QString &path)
{
    return path.startsWith(QLatin1String(CallPrefix)) && path.size() > int(sizeof(CallPrefix) - 1);
}

QString ModemCalls::checkedNumber(const QVariant &value)
{
    if (value.userType() != QMetaType::QString)
        return QString();
    return checkedNumber(value.toString());
}

QString ModemCalls::checkedNumber(const QString &given)
{
    const QString number = given.trimmed();
    if (number.size() > MaxNumberLength)
        return QString();
    for (const QChar c : number)
        if (!c.isPrint())
            return QString();
    return number;
}

int ModemCalls::checkedReason(qint64 reason)
{
    return reason >= ReasonUnknown && reason <= Deflected ? int(reason) : int(ReasonUnknown);
}

bool ModemCalls::hasVoice(const QString &modem) const
{
    return m_objects->interfaces(modem).contains(ModemManagerObjects::voiceInterface());
}

QStringList ModemCalls::voiceModems() const
{
    QStringList list;
    for (const QString &modem : m_objects->modems())
        if (hasVoice(modem))
            list << modem;
    return list;
}

QStringList ModemCalls::calls(const QString &modem) const
{
    QStringList list;
    const QVariant value =
        m_objects->property(modem, ModemManagerObjects::voiceInterface(), QStringLiteral("Calls"));
    for (const QString &path : ModemManagerObjects::objectPaths(value))
        if (isCallPath(path) && !list.contains(path))
            list << path;
    return list;
}

void ModemCalls::create(const QString &modem, const QString &number,
                        const std::function<void(const QString &, const QString &)> &done)
{
    // The one property a caller sets, under the key ModemManager takes for it.
    const QVariantMap properties{{QStringLiteral("number"), number}};
    m_objects->call(modem, ModemManagerObjects::voiceInterface(), QStringLiteral("CreateCall"),
                    {QVariant::fromValue(properties)}, [done](const QDBusMessage &reply) {
                        QString error = errorOf(reply);
                        QString path;
                        if (error.isEmpty()) {
                            if (reply.signature() == QLatin1String("o"))
                                path = reply.arguments().first().value<QDBusObjectPath>().path();
                            if (!isCallPath(path))
                                error = QStringLiteral("ModemManager answered with no call");
                        }
                        done(error.isEmpty() ? path : QString(), error);
                    });
}

void ModemCalls::fetch(const QString &callPath,
                       const std::function<void(bool, const Properties &)> &done)
{
    m_objects->call(
        callPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"),
        {ModemManagerObjects::callInterface()}, [done](const QDBusMessage &reply) {
            Properties p;
            if (reply.type() != QDBusMessage::ReplyMessage ||
                reply.signature() != QLatin1String("a{sv}")) {
                done(false, p);
                return;
            }
            const QVariantMap map = qdbus_cast<QVariantMap>(reply.arguments().first());
            const QVariant direction = map.value(QStringLiteral("Direction"));
            const QVariant state = map.value(QStringLiteral("State"));
            const QVariant reason = map.value(QStringLiteral("StateReason"));
            if (direction.userType() != QMetaType::Int || state.userType() != QMetaType::Int ||
                state.toInt() < StateUnknown || state.toInt() > Terminated) {
                done(false, p);
                return;
            }
            p.direction = direction.toInt() >= 0 && direction.toInt() <= 2 ? direction.toInt() : 0;
            p.state = state.toInt();
            p.reason = reason.userType() == QMetaType::Int ? checkedReason(reason.toInt())
                                                           : int(ReasonUnknown);
            p.number = checkedNumber(map.value(QStringLiteral("Number")));
            done(true, p);
        });
}

void ModemCalls::callMethod(const QString &callPath, const QString &method,
                            const std::function<void(const QString &)> &done)
{
    m_objects->call(callPath, ModemManagerObjects::callInterface(), method, {},
                    [done](const QDBusMessage &reply) { done(errorOf(reply)); });
}

void ModemCalls::start(const QString &callPath, const std::function<void(const QString &)> &done)
{
    callMethod(callPath, QStringLiteral("Start"), done);
}

void ModemCalls::accept(const QString &callPath, const std::function<void(const QString &)> &done)
{
    callMethod(callPath, QStringLiteral("Accept"), done);
}

void ModemCalls::hangup(const QString &callPath, const std::function<void(const QString &)> &done)
{
    callMethod(callPath, QStringLiteral("Hangup"), done);
}

void ModemCalls::sendDtmf(const QString &callPath, const QString &tones,
                          const std::function<void(const QString &)> &done)
{
    m_objects->call(callPath, ModemManagerObjects::callInterface(), QStringLiteral("SendDtmf"),
                    {tones}, [done](const QDBusMessage &reply) { done(errorOf(reply)); });
}

void ModemCalls::holdAndAccept(const QString &modem,
                               const std::function<void(const QString &)> &done)
{
    m_objects->call(modem, ModemManagerObjects::voiceInterface(), QStringLiteral("HoldAndAccept"),
                    {}, [done](const QDBusMessage &reply) { done(errorOf(reply)); });
}

void ModemCalls::hangupAndAccept(const QString &modem,
                                 const std::function<void(const QString &)> &done)
{
    m_objects->call(modem, ModemManagerObjects::voiceInterface(), QStringLiteral("HangupAndAccept"),
                    {}, [done](const QDBusMessage &reply) { done(errorOf(reply)); });
}

void ModemCalls::remove(const QString &modem, const QString &callPath)
{
    m_objects->call(modem, ModemManagerObjects::voiceInterface(), QStringLiteral("DeleteCall"),
                    {QVariant::fromValue(QDBusObjectPath(callPath))}, [](const QDBusMessage &) {});
}

QString ModemCalls::callPathOf(const QDBusMessage &message) const
{
    if (!m_objects->isFromOwner(message) || message.signature() != QLatin1String("o") ||
        !hasVoice(message.path()))
        return QString();
    const QString path = message.arguments().first().value<QDBusObjectPath>().path();
    return isCallPath(path) ? path : QString();
}

void ModemCalls::onCallAdded(const QDBusMessage &message)
{
    const QString path = callPathOf(message);
    if (!path.isEmpty())
        Q_EMIT callAdded(message.path(), path);
}

void ModemCalls::onCallDeleted(const QDBusMessage &message)
{
    const QString path = callPathOf(message);
    if (!path.isEmpty())
        Q_EMIT callDeleted(message.path(), path);
}

void ModemCalls::onStateChanged(const QDBusMessage &message)
{
    if (!m_objects->isFromOwner(message) || message.signature() != QLatin1String("iiu") ||
        !isCallPath(message.path()))
        return;
    const QVariantList args = message.arguments();
    const int oldState = args.at(0).toInt();
    const int newState = args.at(1).toInt();
    if (newState < StateUnknown || newState > Terminated)
        return;
    Q_EMIT stateChanged(message.path(), oldState, newState, checkedReason(args.at(2).toUInt()));
}

void ModemCalls::onPropertiesChanged(const QDBusMessage &message)
{
    if (!m_objects->isFromOwner(message) || message.signature() != QLatin1String("sa{sv}as") ||
        !isCallPath(message.path()) ||
        message.arguments().at(0).toString() != ModemManagerObjects::callInterface())
        return;
    const QVariantMap changed = qdbus_cast<QVariantMap>(message.arguments().at(1));
    const auto number = changed.find(QStringLiteral("Number"));
    if (number != changed.end() && number.value().userType() == QMetaType::QString)
        Q_EMIT numberChanged(message.path(), checkedNumber(number.value()));
}
