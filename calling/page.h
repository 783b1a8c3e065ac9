#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

class MApplicationPage;
class MWindow;
namespace CallUi {
class PendingCallRequest;
}

// Common base of the three pages the page manager switches between. Not a widget: it owns an
// application page (scenePage()) and gives the page manager one set of operations.
//
// It is also where every call is placed: call() asks the call-UI service for a call and keeps
// the id the service gives it; the service's notifications for that id (and only that id) reach
// the page's callAnswered(), callEnded(), commandCompleted() and commandFailed() hooks. The
// pending id is dropped by the first matching notification and by refreshCall().
//
// Emergency numbers always go out on the cellular account, as a voice call, whatever account the
// caller chose: no other account can reach the emergency services.
//
// One request at a time: from call() until the service has refused it (an error reply) or said
// how the call went (its first notification: answered, ended, completed or failed), the page's
// call keys hold (isCallInFlight()) and further call()s are ignored, so that a second press
// while a call is being set up places no second call. An emergency call is ignored only while
// another emergency request is in flight: an ordinary call being set up never holds it back.
// When the service says nothing for callHoldTimeout() ms, or refreshCall() runs (the page shown
// again, another page), the keys are free again.
//
// A request the service refuses (an error reply, or CommandFailed for its id) is shown in an
// information banner naming the number, also after the keys are free again or the page has
// refreshed; the most recent MaxFollowedRequests requests are followed for that.
class Page : public QObject
{
    Q_OBJECT
public:
    static const int DefaultCallHoldTimeout = 10000;
    static const int MaxFollowedRequests = 16;

    explicit Page(QObject *parent = nullptr);

    QString pendingCallId() const { return m_pendingCallId; }
    // True from a call() until its outcome is known (see above).
    bool isCallInFlight() const { return m_inFlight; }
    int callHoldTimeout() const { return m_holdTimer.interval(); }
    // How long, at most, a request in flight holds the call keys (milliseconds, at least 1).
    void setCallHoldTimeout(int ms);

Q_SIGNALS:
    void callInFlightChanged(bool inFlight);

public Q_SLOTS:
    virtual MApplicationPage *scenePage() = 0;
    virtual void enterPage() = 0;
    virtual void leavePage() = 0;
    virtual void resetPage() = 0;
    virtual void restorePrestart() = 0;
    virtual void appear(MWindow *window);

protected Q_SLOTS:
    virtual void callAnswered();
    virtual void callEnded();
    virtual void commandCompleted();
    virtual void commandFailed();

public Q_SLOTS:
    void refreshCall();
    // Asks for a call; false (and nothing asked) while another request is in flight.
    bool call(QString accountPath, QString accountId, quint32 localContactId, QString contactName,
              bool requestVideo);
    bool call(QString accountPath, QString accountId, quint32 localContactId, QString contactName);
    bool call(QString accountPath, QString accountId, quint32 localContactId);
    bool call(QString accountPath, QString accountId);

private Q_SLOTS:
    void slotCallAnswered(QString uid);
    void slotCallEnded(QString uid);
    void slotCommandCompleted(QString uid);
    void slotCommandFailed(QString uid);

private:
    // A request whose call's outcome is not known yet: what was called, to name it on failure.
    struct Followed
    {
        QString uid;
        QString number;
        bool emergency = false;
    };

    void onRequestFinished(CallUi::PendingCallRequest *request, quint64 serial,
                           const Followed &what);
    // Stops following uid; true when it was one of ours (and fills `what`).
    bool takeFollowed(const QString &uid, Followed *what = nullptr);
    void showFailure(const Followed &what);
    void releaseCallKeys();
    bool takeIfPending(const QString &uid);

    QString m_pendingCallId;
    QList<Followed> m_followed;
    bool m_inFlight = false;
    bool m_inFlightEmergency = false;
    // The request in flight: its serial number, and its id once the service has given it.
    quint64 m_serial = 0;
    QString m_inFlightId;
    QTimer m_holdTimer;
};
