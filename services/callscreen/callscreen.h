#pragma once

#include "callscreenbackend.h"
#include "contactsengine.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QVector>

class CallAudio;
class CallFeedback;
class CallerLookup;
class CallScreenPage;
class MWindow;

// The in-call screen of a call service: a window of its own, made hidden when the service starts
// (so a ringing call only shows it), raised when a call rings or is placed, hidden again when
// the last call is over. It follows the calls that a CallScreenBackend reports and hands the
// person's taps back to it (answer, decline, hang up, tones, the choices for a second call).
//
// Which call it shows: the active one, else one being placed, else one on hold, else one ringing;
// a call ringing while another is shown is offered on a card over it, a call on hold is named
// under the state. Callers are named from the address book (CallerLookup, off the GUI thread)
// with the number shown until then, grouped as the dialer groups it; a withheld number is
// "Private number". Talk time counts from when the screen heard that the call became active,
// repainted once a second while a call is active and the window shown; nothing moves while a
// call rings.
//
// A call that ends busy, unanswered or failed, when it was the last one, leaves its reason on
// the screen for endedDelay() ms, then the screen closes; any other end closes it at once.
// Tones typed on the keypad go to the shown call when it is active and are listed above the
// keys; the keypad closes and the list empties for every new call.
//
// Sound, when given (setAudio, setFeedback; both asynchronous, nothing here waits for them):
// the audio is put in call mode when a call is placed or answered and back in the default mode
// when the last call is over; the microphone is turned on and the speaker off when a call comes
// with no other running; the mute and speaker buttons show what the audio daemon reports, and a
// tap asks it for a change. The ring sounds while the shown call rings (not for a second call
// over a running one) and stops when it is answered, declined or missed; a missed call gives
// the missed-call feedback. Without an audio daemon the buttons show what was asked.
class CallScreen : public QObject
{
    Q_OBJECT
public:
    static const int DefaultEndedDelay = 2500;

    // Follows `backend` (not owned); callers are looked up in the default address book or in
    // the file given.
    explicit CallScreen(CallScreenBackend *backend, const QString &addressBook = QString(),
                        QObject *parent = nullptr);
    ~CallScreen() override;

    MWindow *window() const { return m_window; }
    CallScreenPage *page() const { return m_page; }
    // The audio daemon's and the feedback daemon's clients (not owned; null: none).
    void setAudio(CallAudio *audio);
    void setFeedback(CallFeedback *feedback);
    int endedDelay() const { return m_endedDelay; }
    void setEndedDelay(int ms) { m_endedDelay = ms; }
    // The id of the call the screen shows; empty when none (closed, or showing an end).
    QString shownCall() const;
    // Calls followed, in the order they came.
    QStringList calls() const;

    // The text of `number` as the screen shows it: grouped for reading, left to right;
    // "Private number" when empty.
    static QString numberText(const QString &number);

Q_SIGNALS:
    // The window was shown (a call came) or hidden (the last call is over).
    void visibilityChanged(bool shown);

private:
    struct Call
    {
        QString id;
        QString number;
        CallScreenBackend::Direction direction = CallScreenBackend::Incoming;
        CallScreenBackend::State state = CallScreenBackend::Ringing;
        QContactLocalId contactId = 0;
        QString name;
        QElapsedTimer talking; // valid once the call became active
    };

    void onCallAdded(const QString &id, const QString &number,
                     CallScreenBackend::Direction direction, CallScreenBackend::State state);
    void onCallStateChanged(const QString &id, CallScreenBackend::State state);
    void onCallNumberChanged(const QString &id, const QString &number);
    void onCallEnded(const QString &id, CallScreenBackend::EndReason reason);
    void onCallerFound(const QString &id, const QString &number, QContactLocalId contactId,
                       const QString &name);
    void onAnswer();
    void onDecline();
    void onHangup();
    void onKey(QChar key);
    void onEndAndAnswer();
    void onHoldAndAnswer();
    void onWaitingDecline();

    Call *find(const QString &id);
    const Call *shown() const;
    const Call *waiting() const;
    const Call *held() const;
    QString callerText(const Call &call) const;
    QString statusText(const Call &call) const;
    // Shows the calls as they are now (or closes the screen when there are none).
    void refresh();
    void showEnded(const Call &call, CallScreenBackend::EndReason reason);
    void setShown(bool shown);
    void updateClock();
    // Call mode and ringing as the calls now need them.
    void updateSound();
    void onMuteTapped(bool muted);
    void onSpeakerTapped(bool on);
    void showAudioState();

    QPointer<CallScreenBackend> m_backend;
    QPointer<CallAudio> m_audio;
    QPointer<CallFeedback> m_feedback;
    bool m_callMode = false;
    CallerLookup *m_lookup;
    MWindow *m_window;
    CallScreenPage *m_page;
    QVector<Call> m_calls;
    QString m_tones;
    QTimer m_clock;
    QTimer m_endedTimer;
    int m_endedDelay = DefaultEndedDelay;
    bool m_muted = false;
    bool m_speaker = false;
};
