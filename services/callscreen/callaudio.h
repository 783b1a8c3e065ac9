#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

class QDBusPendingCallWatcher;

// The call's audio through callaudiod (org.mobian_project.CallAudio on
// /org/mobian_project/CallAudio, Debian's callaudiod; interface file
// /usr/share/dbus-1/interfaces/org.mobian_project.CallAudio.xml): the routing for a voice call
// or the default one (SelectMode), the speaker (EnableSpeaker) and the microphone (MuteMic).
//
// Every request is sent asynchronously with a time-out and nothing waits for it: the daemon may
// take long or never answer (SelectMode does not without a sound card). What the daemon reports
// is what counts: the state (isMuted(), isSpeakerOn(), mode()) comes only from its properties
// (AudioMode, SpeakerState, MicState), read on refresh(), after each answer and on
// PropertiesChanged; stateChanged() follows every change. Nothing is sent before the first
// request or refresh(), so that a service that has no call yet does not start the daemon. Until the
// daemon has said, and when it says "unknown" (255), the microphone counts as on and the speaker as
// off.
//
// Limits: requests are not retried, nor queued behind each other (the last answer's state wins);
// a daemon that is not there gives requestFailed() for each request.
class CallAudio : public QObject
{
    Q_OBJECT
public:
    static const int DefaultTimeout = 5000;
    enum Mode { DefaultMode = 0, CallMode = 1, UnknownMode = 255 };

    explicit CallAudio(const QDBusConnection &bus, QObject *parent = nullptr);

    int timeout() const { return m_timeout; }
    void setTimeout(int ms) { m_timeout = ms; }

    int mode() const { return m_mode; }
    bool isMuted() const { return m_mic == 0; }
    bool isSpeakerOn() const { return m_speaker == 1; }

public Q_SLOTS:
    void selectMode(CallAudio::Mode mode);
    void setMuted(bool muted);
    void setSpeaker(bool on);
    // Reads the daemon's properties again.
    void refresh();

Q_SIGNALS:
    void stateChanged();
    // A request that the daemon refused, answered with false, or did not answer in time.
    void requestFailed(const QString &method, const QString &error);

private Q_SLOTS:
    void onPropertiesChanged(const QString &interface, const QVariantMap &changed,
                             const QStringList &invalidated);

private:
    void request(const QString &method, const QVariant &argument);
    void take(const QVariantMap &properties);

    QDBusConnection m_bus;
    int m_timeout = DefaultTimeout;
    uint m_mode = UnknownMode;
    uint m_speaker = 255;
    uint m_mic = 255;
};
