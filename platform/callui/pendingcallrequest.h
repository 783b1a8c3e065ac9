#pragma once

#include <QObject>
#include <QString>

class QDBusPendingCallWatcher;

namespace CallUi {

// One call request on its way to the call-UI service. Emits finished() once, when the service
// has answered (callId() is then the id of the new call) or failed to (callId() is empty and
// errorName()/errorMessage() say why). It deletes itself after finished() has been handled.
// A call id longer than BusLimits::MaxCallIdLength is not taken: the request fails with
// InvalidArgs. The service's error message is cut to BusLimits::MaxTextLength.
class PendingCallRequest : public QObject
{
    Q_OBJECT
public:
    explicit PendingCallRequest(QDBusPendingCallWatcher *watcher, QObject *parent = nullptr);

    QString callId() const { return m_callId; }
    bool isFinished() const { return m_finished; }
    bool isError() const { return !m_errorName.isEmpty(); }
    QString errorName() const { return m_errorName; }
    QString errorMessage() const { return m_errorMessage; }

Q_SIGNALS:
    void finished(CallUi::PendingCallRequest *request);

private:
    void onFinished(QDBusPendingCallWatcher *watcher);

    QString m_callId;
    QString m_errorName;
    QString m_errorMessage;
    bool m_finished = false;
};

} // namespace CallUi
