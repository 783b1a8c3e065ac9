#pragma once

#include <QObject>
#include <QString>

namespace CallUi {

class PendingCallRequest;

// Client of the call-UI service (bus name "com.velto.CallUi"). Call requests are asynchronous:
// RequestCallToContact() returns at once with a PendingCallRequest that tells the new call's id.
// The service's notifications about every call it handles are re-emitted as signals, with the
// call's id first. Nothing here blocks the calling thread; if no service answers, the request
// finishes with an error after the bus's time-out.
//
// Any peer that owns the service name may send anything: a notification whose call id is longer
// than BusLimits::MaxCallIdLength is dropped, and CallEnded's message is cut to
// BusLimits::MaxTextLength, before they are passed on.
class CallUiServiceApi : public QObject
{
    Q_OBJECT
public:
    explicit CallUiServiceApi(QObject *parent = nullptr);

    PendingCallRequest *RequestCallToContact(const QString &accountPath, const QString &accountId,
                                             unsigned int localContactId,
                                             const QString &contactName, bool video);

Q_SIGNALS:
    void CallAnswered(QString uid);
    void CallEnded(QString uid, int reason, int duration, QString message);
    void CommandCompleted(QString uid);
    void CommandFailed(QString uid);

private Q_SLOTS:
    void onCallAnswered(const QString &uid);
    void onCallEnded(const QString &uid, int reason, int duration, const QString &message);
    void onCommandCompleted(const QString &uid);
    void onCommandFailed(const QString &uid);
};

} // namespace CallUi
