#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

// The ring and vibration of a call, and the mark of a missed one, through feedbackd
// (org.sigxcpu.Feedback on /org/sigxcpu/Feedback, Debian's feedbackd; interface file
// /usr/share/dbus-1/interfaces/org.sigxcpu.Feedback.xml): TriggerFeedback with the event
// "phone-incoming-call" until the ringing stops (EndFeedback with the id it answered), and
// "phone-missed-call" once for a missed call. What sounds, vibrates or blinks is the daemon's
// theme and profile.
//
// Every request is asynchronous with a time-out. A stop asked for before the daemon answered
// the start ends the feedback as soon as the id arrives. triggered() reports each id the
// daemon gave; failed() each request it refused or left unanswered (no daemon: no feedback).
class CallFeedback : public QObject
{
    Q_OBJECT
public:
    static const int DefaultTimeout = 5000;

    // `appId`: the application the events are for (the desktop file's id).
    CallFeedback(const QDBusConnection &bus, const QString &appId, QObject *parent = nullptr);
    ~CallFeedback() override;

    int timeout() const { return m_timeout; }
    void setTimeout(int ms) { m_timeout = ms; }
    bool isRinging() const { return m_ringing; }

public Q_SLOTS:
    void startRinging();
    void stopRinging();
    void missedCall();

Q_SIGNALS:
    void triggered(const QString &event, uint id);
    void ended(uint id);
    void failed(const QString &method, const QString &error);

private:
    // Sends TriggerFeedback; `done` gets the id, 0 on failure.
    void trigger(const QString &event, int timeout, const std::function<void(uint)> &done);
    void end(uint id);

    QDBusConnection m_bus;
    QString m_appId;
    int m_timeout = DefaultTimeout;
    bool m_ringing = false;
    int m_ringRequest = 0; // counts the starts: an answer to an earlier one is ended at once
    uint m_ringId = 0;     // the daemon's id of the ringing, 0 until it answered
};
