#include "pendingcallrequest.h"

#include "buslimits.h"

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
        // The bus keeps error names short; the message is only shown or logged.
        m_errorName = reply.error().name();
        m_errorMessage = BusLimits::shownText(reply.error().message());
        if (m_errorName.isEmpty())
            m_errorName = QDBusError::errorString(QDBusError::Failed);
    } else if (!BusLimits::fits(reply.value(), BusLimits::MaxCallIdLength)) {
        m_errorName = QDBusError::errorString(QDBusError::InvalidArgs);
        m_errorMessage = QStringLiteral("the call service answered with a call id of %1 characters")
                             .arg(reply.value().size());
    } else {
        m_callId = reply.value();
    }
    m_finished = true;
    Q_EMIT finished(this);
    deleteLater();
}

} // namespace CallUi
