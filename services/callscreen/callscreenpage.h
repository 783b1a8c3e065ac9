#pragma once

#include "contactsengine.h"
#include "mapplicationpage.h"

#include <QHash>

class AvatarWidget;
class CallScreenButton;
class MButton;
class MLabel;
class MStylableWidget;
class QGraphicsLinearLayout;
namespace Dialer {
class DialerKey;
}

// The call screen's one page, as the person sees it; what it shows is set by CallScreen.
//
// Ringing: the caller (avatar, name or number, the number under a name), "Incoming call", and
// large decline and answer buttons. In a call: the caller, the state or talk time, mute, keypad and
// speaker, and the hang-up button, which stays in place while the keypad is open (the keypad
// takes the avatar's room and shows the tones sent above its keys). Ended: the caller and why
// the call ended, without buttons. Over a call, a second call that rings shows on a card with
// "End and answer", "Hold and answer" and "Decline"; a call on hold is named under the state.
//
// Taps are reported through the signals (queued: the handler may change the page); the page
// changes nothing by itself, the toggles included (their state is what the screen says).
// Outside text (names, numbers, tones) is shown as plain text. Nothing on it moves or repaints
// while a call rings.
class CallScreenPage : public MApplicationPage
{
    Q_OBJECT
public:
    enum Mode { Ringing, InCall, Ended };
    Q_ENUM(Mode)

    explicit CallScreenPage(QGraphicsItem *parent = nullptr);

    Mode mode() const { return m_mode; }
    void setMode(Mode mode);
    // The caller: a name (or the number, or "Private number") as title, the number under a name
    // as subtitle (empty: none), and the contact for the avatar (0: the generic picture).
    void setCaller(const QString &title, const QString &subtitle, QContactLocalId contactId);
    void setStatus(const QString &text, bool accented = false);
    // "On hold: ..." under the state; empty: no call on hold.
    void setHeld(const QString &text);
    // The caller of a second call that rings over this one; empty: none.
    void setWaiting(const QString &caller);
    bool isWaitingShown() const;
    void setKeypadOpen(bool open);
    bool isKeypadOpen() const { return m_keypadOpen; }
    void setTones(const QString &tones);
    void setMuted(bool muted);
    void setSpeaker(bool on);

    // Parts, for tests.
    MLabel *nameLabel() const { return m_name; }
    MLabel *numberLabel() const { return m_number; }
    MLabel *statusLabel() const { return m_status; }
    MLabel *heldLabel() const { return m_held; }
    MLabel *tonesLabel() const { return m_tones; }
    MLabel *waitingLabel() const { return m_waitingName; }
    AvatarWidget *avatar() const { return m_avatar; }
    CallScreenButton *answerButton() const { return m_answer; }
    CallScreenButton *declineButton() const { return m_decline; }
    CallScreenButton *hangupButton() const { return m_hangup; }
    CallScreenButton *muteButton() const { return m_mute; }
    CallScreenButton *speakerButton() const { return m_speaker; }
    CallScreenButton *keypadButton() const { return m_keypadToggle; }
    MButton *endAndAnswerButton() const { return m_endAndAnswer; }
    MButton *holdAndAnswerButton() const { return m_holdAndAnswer; }
    MButton *waitingDeclineButton() const { return m_waitingDecline; }
    Dialer::DialerKey *key(QChar character) const { return m_keys.value(character); }

Q_SIGNALS:
    void answerTapped();
    void declineTapped();
    void hangupTapped();
    void keyTapped(QChar character);
    // The state asked for.
    void muteTapped(bool muted);
    void speakerTapped(bool on);
    void keypadTapped(bool open);
    void endAndAnswerTapped();
    void holdAndAnswerTapped();
    void waitingDeclineTapped();

protected:
    void retranslateUi() override;

private:
    MStylableWidget *makeWaitingPanel();
    MStylableWidget *makeHeader();
    MStylableWidget *makeKeypad();
    MStylableWidget *makeRow(const QString &styleName, const QList<QGraphicsWidget *> &items);
    MButton *makePill(const QString &styleName, void (CallScreenPage::*tapped)());
    void setTexts();
    void updateParts();

    Mode m_mode = Ringing;
    bool m_keypadOpen = false;
    bool m_statusAccented = false;
    MStylableWidget *m_waitingArea;
    MLabel *m_waitingTitle;
    MLabel *m_waitingName;
    MButton *m_endAndAnswer;
    MButton *m_holdAndAnswer;
    MButton *m_waitingDecline;
    MStylableWidget *m_header;
    AvatarWidget *m_avatar;
    MLabel *m_name;
    MLabel *m_number;
    MLabel *m_status;
    MLabel *m_held;
    MLabel *m_tones;
    MStylableWidget *m_keypad;
    QHash<QChar, Dialer::DialerKey *> m_keys;
    MStylableWidget *m_controls;
    CallScreenButton *m_mute;
    CallScreenButton *m_keypadToggle;
    CallScreenButton *m_speaker;
    MStylableWidget *m_actions;
    CallScreenButton *m_decline;
    CallScreenButton *m_answer;
    CallScreenButton *m_hangup;
};
