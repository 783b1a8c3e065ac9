#include "callaudio.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {
const char Service[] = "org.mobian_project.CallAudio";
const char Path[] = "/org/mobian_project/CallAudio";
const char Interface[] = "org.mobian_project.CallAudio";
const char Properties[] = "org.freedesktop.DBus.Properties";
} // namespace

CallAudio::CallAudio(const QDBusConnection &bus, QObject *parent) : QObject(parent), m_bus(bus)
{
    m_bus.connect(QLatin1String(Service), QLatin1String(Path), QLatin1String(Properties),
                  QStringLiteral("PropertiesChanged"), this,
                  SLOT(onPropertiesChanged(QString, QVariantMap, QStringList)));
}

void CallAudio::refresh()
{
    QDBusMessage get =
        QDBusMessage::createMethodCall(QLatin1String(Service), QLatin1String(Path),
                                       QLatin1String(Properties), QStringLiteral("GetAll"));
    get << QLatin1String(Interface);
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(get, m_timeout), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        const QDBusPendingReply<QVariantMap> reply = *w;
        if (!reply.isError())
            take(reply.value());
    });
}

void CallAudio::selectMode(Mode mode)
{
    request(QStringLiteral("SelectMode"), QVariant::fromValue(uint(mode)));
}

void CallAudio::setMuted(bool muted)
{
    request(QStringLiteral("MuteMic"), muted);
}

void CallAudio::setSpeaker(bool on)
{
    request(QStringLiteral("EnableSpeaker"), on);
}

void CallAudio::request(const QString &method, const QVariant &argument)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(Service), QLatin1String(Path),
                                                       QLatin1String(Interface), method);
    call << argument;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, m_timeout), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, method](QDBusPendingCallWatcher *w) {
                w->deleteLater();
                const QDBusPendingReply<bool> reply = *w;
                if (reply.isError())
                    Q_EMIT requestFailed(method, reply.error().name());
                else if (!reply.value())
                    Q_EMIT requestFailed(method, QStringLiteral("false"));
                // Whatever came of it, the daemon says where things stand.
                refresh();
            });
}

void CallAudio::onPropertiesChanged(const QString &interface, const QVariantMap &changed,
                                    const QStringList &)
{
    if (interface == QLatin1String(Interface))
        take(changed);
}

void CallAudio::take(const QVariantMap &properties)
{
    const auto read = [&properties](const char *name, uint current) {
        const QVariant value = properties.value(QLatin1String(name));
        bool ok = false;
        const uint number = value.toUInt(&ok);
        return value.isValid() && ok ? number : current;
    };
    const uint mode = read("AudioMode", m_mode);
    const uint speaker = read("SpeakerState", m_speaker);
    const uint mic = read("MicState", m_mic);
    if (mode == m_mode && speaker == m_speaker && mic == m_mic)
        return;
    m_mode = mode;
    m_speaker = speaker;
    m_mic = mic;
    Q_EMIT stateChanged();
}
