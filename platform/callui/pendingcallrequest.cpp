#include "pendingcallrequest.h"

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace CallUi {

PendingCallRequest::PendingCallRequest(QDBusPendingCallWatcher *watcher, QObject *parent)
    : QObject(parent)
{
    watcher->setParent(this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &PendingCallRequest::onFinished);
}

void PendingCallRequest::onFinished(QDBusPendingCallWatcher *watcher)
{
    const QDBusPendingReply<QString> reply = *watcher;
    if (reply.isError()) {
        m_errorName = reply.error().name();
        m_errorMessage = reply.error().message();
        if (m_errorName.isEmpty())
            m_errorName = QStringLiteral("org.freedesktop.DBus.Error.Failed");
    } else {
        m_callId = reply.value();
    }
    m_finished = true;
    Q_EMIT finished(this);
    deleteLater();
}

} // namespace CallUi
