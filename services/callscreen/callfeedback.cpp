#include "callfeedback.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include <functional>

namespace {
const char Service[] = "org.sigxcpu.Feedback";
const char Path[] = "/org/sigxcpu/Feedback";
const char Interface[] = "org.sigxcpu.Feedback";
const char Ring[] = "phone-incoming-call";
const char Missed[] = "phone-missed-call";
// TriggerFeedback's time-outs: run until ended, run each feedback once.
const int Endless = 0;
const int Once = -1;
} // namespace

CallFeedback::CallFeedback(const QDBusConnection &bus, const QString &appId, QObject *parent)
    : QObject(parent), m_bus(bus), m_appId(appId)
{
}

CallFeedback::~CallFeedback()
{
    stopRinging();
}

void CallFeedback::trigger(const QString &event, int timeout, const std::function<void(uint)> &done)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(QLatin1String(Service), QLatin1String(Path),
                                       QLatin1String(Interface), QStringLiteral("TriggerFeedback"));
    call << m_appId << event << QVariantMap() << timeout;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, m_timeout), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, event, done](QDBusPendingCallWatcher *w) {
                w->deleteLater();
                const QDBusPendingReply<uint> reply = *w;
                if (reply.isError()) {
                    Q_EMIT failed(QStringLiteral("TriggerFeedback"), reply.error().name());
                    done(0);
                    return;
                }
                Q_EMIT triggered(event, reply.value());
                done(reply.value());
            });
}

void CallFeedback::end(uint id)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(QLatin1String(Service), QLatin1String(Path),
                                       QLatin1String(Interface), QStringLiteral("EndFeedback"));
    call << id;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, m_timeout), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, id](QDBusPendingCallWatcher *w) {
                w->deleteLater();
                if (w->isError())
                    Q_EMIT failed(QStringLiteral("EndFeedback"), w->error().name());
                else
                    Q_EMIT ended(id);
            });
}

void CallFeedback::startRinging()
{
    if (m_ringing)
        return;
    m_ringing = true;
    const int request = ++m_ringRequest;
    trigger(QLatin1String(Ring), Endless, [this, request](uint id) {
        if (!id)
            return;
        // Stopped (or stopped and started again) while the daemon answered.
        if (!m_ringing || request != m_ringRequest)
            end(id);
        else
            m_ringId = id;
    });
}

void CallFeedback::stopRinging()
{
    if (!m_ringing)
        return;
    m_ringing = false;
    if (m_ringId)
        end(m_ringId);
    m_ringId = 0;
}

void CallFeedback::missedCall()
{
    trigger(QLatin1String(Missed), Once, [](uint) {});
}
