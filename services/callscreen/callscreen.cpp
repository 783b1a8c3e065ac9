#include "callscreen.h"

#include "callaudio.h"
#include "callerlookup.h"
#include "callfeedback.h"
#include "callscreenpage.h"
#include "dialablenumber.h"
#include "displaytext.h"
#include "mlocale.h"
#include "mscenemanager.h"
#include "mwindow.h"

CallScreen::CallScreen(CallScreenBackend *backend, const QString &addressBook, QObject *parent)
    : QObject(parent), m_backend(backend), m_lookup(new CallerLookup(addressBook, this)),
      m_window(new MWindow), m_page(new CallScreenPage)
{
    m_window->setWindowTitle(qtTrId("qtn_call_screen_title"));
    // Made and laid out now, shown when a call comes: a ringing call only raises the window.
    m_window->sceneManager()->appearSceneWindowNow(m_page);

    connect(backend, &CallScreenBackend::callAdded, this, &CallScreen::onCallAdded);
    connect(backend, &CallScreenBackend::callStateChanged, this, &CallScreen::onCallStateChanged);
    connect(backend, &CallScreenBackend::callEnded, this, &CallScreen::onCallEnded);
    connect(backend, &CallScreenBackend::callNumberChanged, this, &CallScreen::onCallNumberChanged);
    connect(m_lookup, &CallerLookup::found, this, &CallScreen::onCallerFound);

    connect(m_page, &CallScreenPage::answerTapped, this, &CallScreen::onAnswer);
    connect(m_page, &CallScreenPage::declineTapped, this, &CallScreen::onDecline);
    connect(m_page, &CallScreenPage::hangupTapped, this, &CallScreen::onHangup);
    connect(m_page, &CallScreenPage::keyTapped, this, &CallScreen::onKey);
    connect(m_page, &CallScreenPage::keypadTapped, m_page, &CallScreenPage::setKeypadOpen);
    connect(m_page, &CallScreenPage::muteTapped, this, &CallScreen::onMuteTapped);
    connect(m_page, &CallScreenPage::speakerTapped, this, &CallScreen::onSpeakerTapped);
    connect(m_page, &CallScreenPage::endAndAnswerTapped, this, &CallScreen::onEndAndAnswer);
    connect(m_page, &CallScreenPage::holdAndAnswerTapped, this, &CallScreen::onHoldAndAnswer);
    connect(m_page, &CallScreenPage::waitingDeclineTapped, this, &CallScreen::onWaitingDecline);

    m_clock.setInterval(1000);
    connect(&m_clock, &QTimer::timeout, this, &CallScreen::updateClock);
    m_endedTimer.setSingleShot(true);
    connect(&m_endedTimer, &QTimer::timeout, this, [this]() { setShown(false); });
}

CallScreen::~CallScreen()
{
    if (m_feedback)
        m_feedback->stopRinging();
    delete m_window;
}

void CallScreen::setAudio(CallAudio *audio)
{
    if (m_audio)
        disconnect(m_audio, nullptr, this, nullptr);
    m_audio = audio;
    if (audio)
        connect(audio, &CallAudio::stateChanged, this, &CallScreen::showAudioState);
    showAudioState();
}

void CallScreen::setFeedback(CallFeedback *feedback)
{
    m_feedback = feedback;
    updateSound();
}

void CallScreen::showAudioState()
{
    m_page->setMuted(m_audio ? m_audio->isMuted() : m_muted);
    m_page->setSpeaker(m_audio ? m_audio->isSpeakerOn() : m_speaker);
}

void CallScreen::onMuteTapped(bool muted)
{
    m_muted = muted;
    if (m_audio)
        m_audio->setMuted(muted);
    else
        showAudioState();
}

void CallScreen::onSpeakerTapped(bool on)
{
    m_speaker = on;
    if (m_audio)
        m_audio->setSpeaker(on);
    else
        showAudioState();
}

void CallScreen::updateSound()
{
    bool talking = false;
    for (const Call &call : qAsConst(m_calls))
        talking = talking || call.state != CallScreenBackend::Ringing;
    if (talking != m_callMode) {
        m_callMode = talking;
        if (m_audio)
            m_audio->selectMode(talking ? CallAudio::CallMode : CallAudio::DefaultMode);
    }
    const Call *call = m_endedTimer.isActive() ? nullptr : shown();
    const bool ring = call && call->state == CallScreenBackend::Ringing;
    if (m_feedback) {
        if (ring)
            m_feedback->startRinging();
        else
            m_feedback->stopRinging();
    }
}

QString CallScreen::numberText(const QString &number)
{
    const QString plain = stripBidiMarks(number).trimmed();
    if (plain.isEmpty())
        return qtTrId("qtn_call_type_private");
    // As the dialer shows a number: grouped, in the digits typed, left to right in every
    // language (an isolated left-to-right run, as every number the program shows).
    return leftToRightRun(Dialer::groupedForReading(plain));
}

QString CallScreen::shownCall() const
{
    const Call *call = m_endedTimer.isActive() ? nullptr : shown();
    return call ? call->id : QString();
}

QStringList CallScreen::calls() const
{
    QStringList ids;
    for (const Call &call : m_calls)
        ids << call.id;
    return ids;
}

CallScreen::Call *CallScreen::find(const QString &id)
{
    for (Call &call : m_calls) {
        if (call.id == id)
            return &call;
    }
    return nullptr;
}

const CallScreen::Call *CallScreen::shown() const
{
    // The call the person is talking on comes first, then one being placed, one on hold, one
    // ringing.
    using State = CallScreenBackend::State;
    for (const QList<State> &states :
         {QList<State>{State::Active}, QList<State>{State::Dialing, State::Alerting},
          QList<State>{State::Held}, QList<State>{State::Ringing}}) {
        for (const Call &call : m_calls) {
            if (states.contains(call.state))
                return &call;
        }
    }
    return nullptr;
}

const CallScreen::Call *CallScreen::waiting() const
{
    const Call *main = shown();
    for (const Call &call : m_calls) {
        if (&call != main && call.state == CallScreenBackend::Ringing)
            return &call;
    }
    return nullptr;
}

const CallScreen::Call *CallScreen::held() const
{
    const Call *main = shown();
    for (const Call &call : m_calls) {
        if (&call != main && call.state == CallScreenBackend::Held)
            return &call;
    }
    return nullptr;
}

QString CallScreen::callerText(const Call &call) const
{
    return call.name.isEmpty() ? numberText(call.number) : call.name;
}

QString CallScreen::statusText(const Call &call) const
{
    switch (call.state) {
    case CallScreenBackend::Dialing:
        return qtTrId("qtn_call_screen_calling");
    case CallScreenBackend::Alerting:
        return qtTrId("qtn_call_screen_ringing");
    case CallScreenBackend::Ringing:
        return qtTrId("qtn_call_screen_incoming");
    case CallScreenBackend::Held:
        return qtTrId("qtn_call_screen_on_hold");
    case CallScreenBackend::Active:
        break;
    }
    const qint64 seconds = call.talking.isValid() ? call.talking.elapsed() / 1000 : 0;
    const QString time =
        seconds >= 3600
            ? QStringLiteral("%1:%2:%3")
                  .arg(seconds / 3600)
                  .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                  .arg(seconds % 60, 2, 10, QLatin1Char('0'))
            : QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return numberForDisplay(time);
}

void CallScreen::onCallAdded(const QString &id, const QString &number,
                             CallScreenBackend::Direction direction, CallScreenBackend::State state)
{
    if (id.isEmpty() || find(id))
        return;
    if (m_calls.isEmpty()) {
        // Every call starts with the microphone on, the earpiece and the keypad closed.
        m_muted = false;
        m_speaker = false;
        if (m_audio) {
            m_audio->setMuted(false);
            m_audio->setSpeaker(false);
        }
        showAudioState();
    }
    Call call;
    call.id = id;
    call.number = number;
    call.direction = direction;
    call.state = state;
    if (state == CallScreenBackend::Active)
        call.talking.start();
    m_calls.append(call);
    m_tones.clear();
    m_page->setTones(QString());
    m_page->setKeypadOpen(false);
    m_endedTimer.stop();
    if (!number.isEmpty())
        m_lookup->lookUp(id, number);
    refresh();
}

void CallScreen::onCallStateChanged(const QString &id, CallScreenBackend::State state)
{
    Call *call = find(id);
    if (!call || call->state == state)
        return;
    call->state = state;
    if (state == CallScreenBackend::Active && !call->talking.isValid())
        call->talking.start();
    refresh();
}

void CallScreen::onCallNumberChanged(const QString &id, const QString &number)
{
    Call *call = find(id);
    if (!call || call->number == number)
        return;
    call->number = number;
    call->contactId = 0;
    call->name.clear();
    if (!number.isEmpty())
        m_lookup->lookUp(id, number);
    refresh();
}

void CallScreen::onCallEnded(const QString &id, CallScreenBackend::EndReason reason)
{
    Call *call = find(id);
    if (!call)
        return;
    const Call ended = *call;
    m_calls.remove(int(call - m_calls.data()));
    if (reason == CallScreenBackend::Missed && m_feedback)
        m_feedback->missedCall();
    const bool sayWhy = reason == CallScreenBackend::Busy ||
                        reason == CallScreenBackend::NoAnswer ||
                        reason == CallScreenBackend::Failed;
    if (m_calls.isEmpty() && sayWhy && m_endedDelay > 0)
        showEnded(ended, reason);
    else
        refresh();
}

void CallScreen::onCallerFound(const QString &id, const QString &number, QContactLocalId contactId,
                               const QString &name)
{
    Call *call = find(id);
    if (!call || call->number != number || !contactId)
        return;
    call->contactId = contactId;
    call->name = name;
    refresh();
}

void CallScreen::refresh()
{
    updateSound();
    const Call *call = shown();
    if (!call) {
        m_clock.stop();
        if (!m_endedTimer.isActive())
            setShown(false);
        return;
    }
    m_page->setCaller(callerText(*call),
                      call->name.isEmpty() ? QString() : numberText(call->number), call->contactId);
    m_page->setStatus(statusText(*call));
    const Call *other = held();
    m_page->setHeld(other ? qtTrId("qtn_call_screen_held_call").arg(callerText(*other))
                          : QString());
    other = waiting();
    m_page->setWaiting(other ? callerText(*other) : QString());
    m_page->setMode(call->state == CallScreenBackend::Ringing ? CallScreenPage::Ringing
                                                              : CallScreenPage::InCall);
    setShown(true);
    if (call->state == CallScreenBackend::Active)
        m_clock.start();
    else
        m_clock.stop();
}

void CallScreen::showEnded(const Call &call, CallScreenBackend::EndReason reason)
{
    m_clock.stop();
    m_page->setCaller(callerText(call), call.name.isEmpty() ? QString() : numberText(call.number),
                      call.contactId);
    const char *id = reason == CallScreenBackend::Busy       ? "qtn_call_screen_busy"
                     : reason == CallScreenBackend::NoAnswer ? "qtn_call_screen_no_answer"
                                                             : "qtn_call_screen_failed";
    m_page->setStatus(qtTrId(id), true);
    m_page->setHeld(QString());
    m_page->setWaiting(QString());
    m_page->setMode(CallScreenPage::Ended);
    setShown(true);
    m_endedTimer.start(m_endedDelay);
    updateSound();
}

void CallScreen::setShown(bool shown)
{
    if (shown == m_window->isVisible())
        return;
    if (shown) {
        // A window shown comes up on top of the others and takes the input.
        m_window->show();
        m_window->activateWindow();
    } else {
        m_window->hide();
        m_page->setKeypadOpen(false);
    }
    Q_EMIT visibilityChanged(shown);
}

void CallScreen::updateClock()
{
    const Call *call = shown();
    if (call && call->state == CallScreenBackend::Active && m_window->isVisible())
        m_page->setStatus(statusText(*call));
    else
        m_clock.stop();
}

void CallScreen::onAnswer()
{
    const Call *call = shown();
    if (call && call->state == CallScreenBackend::Ringing && m_backend)
        m_backend->answer(call->id);
}

void CallScreen::onDecline()
{
    const Call *call = shown();
    if (call && call->state == CallScreenBackend::Ringing && m_backend)
        m_backend->decline(call->id);
}

void CallScreen::onHangup()
{
    const Call *call = shown();
    if (call && call->state != CallScreenBackend::Ringing && m_backend)
        m_backend->hangup(call->id);
}

void CallScreen::onKey(QChar key)
{
    const Call *call = shown();
    if (!call || call->state != CallScreenBackend::Active || !m_backend)
        return;
    m_backend->sendDtmf(call->id, QString(key));
    m_tones += key;
    m_page->setTones(m_tones);
}

void CallScreen::onEndAndAnswer()
{
    const Call *call = waiting();
    if (call && m_backend)
        m_backend->endAndAnswer(call->id);
}

void CallScreen::onHoldAndAnswer()
{
    const Call *call = waiting();
    if (call && m_backend)
        m_backend->holdAndAnswer(call->id);
}

void CallScreen::onWaitingDecline()
{
    const Call *call = waiting();
    if (call && m_backend)
        m_backend->decline(call->id);
}
