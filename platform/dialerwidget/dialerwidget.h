#pragma once

#include "mwidget.h"

#include <QHash>

class QGraphicsLinearLayout;

namespace Dialer {

class DialerAccountButton;
class DialerAccountSelector;
class DialerKey;
class DialerNumberField;

// The number keypad of the dialer tab: the number field, the account button, twelve keys
// (digits with their letters, "*" and "#"), and the add-to-contacts, call and backspace keys.
//
// Typing: a tap on a key appends its character; a long press on "0" appends "+", on "1" calls
// the voicemail number when one is set (else it types "1"); a long press on backspace clears
// the number; a long press on the number field pastes the clipboard. The number only ever holds
// dialable characters (see dialableCharacters), at most MaxLength of them; whatever the program
// or a paste hands over is filtered the same way, so what is called is what the field shows.
//
// Requests: the call key emits callRequested(number), or requestLastCalledPhoneNumber() when the
// number is empty (the program fills in the last dialled number with setText()); the
// add-to-contacts key emits requestAddOrMergeWithContact(number). The account button shows what
// the account selector announces and opens its list.
//
// Keys give a visual press state; there are no key tones: setTonesEnabled() is kept for the
// program's sake, but the platform has no tone generator the keypad could use cheaply.
// requestSetProgressIndicatorVisible() is never emitted: the keypad starts nothing slow itself.
// While blocked (onPageBlocked: a modal window over the page, or the page not current) keys and
// the field do nothing.
class DialerWidget : public MWidget
{
    Q_OBJECT
public:
    static const int MaxLength = 256;

    // `mode` is kept for the program's sake; there is only one keypad layout.
    DialerWidget(int mode, DialerAccountSelector *selector, QGraphicsItem *parent = nullptr);
    ~DialerWidget() override;

    QString text() const;
    // Replaces the number with the dialable characters of `text` (cut at MaxLength).
    void setText(const QString &text);
    // The number called by a long press on "1"; empty for none.
    QString voicemailNumber() const { return m_voicemailNumber; }
    void setVoicemailNumber(const QString &number);
    bool tonesEnabled() const { return m_tones; }
    void setTonesEnabled(bool enabled) { m_tones = enabled; }
    bool isBlocked() const { return m_blocked; }

    // Parts, for the program's tests and for measuring.
    DialerKey *key(QChar character) const { return m_keys.value(character); }
    // Every key: the twelve of the keypad, then add-to-contacts, call and backspace. Nothing of
    // the keypad lies over or under a key but its containers, and a key takes every left press:
    // a page may let presses reach them straight (MApplicationPage::addDirectPressTarget).
    QList<DialerKey *> keys() const;
    DialerKey *callKey() const { return m_callKey; }
    DialerKey *backspaceKey() const { return m_backspaceKey; }
    DialerKey *addContactKey() const { return m_addContactKey; }
    DialerNumberField *numberField() const { return m_field; }
    DialerAccountButton *accountButton() const { return m_accountButton; }

    // Back to the first state: empty number, no key down.
    void resetState();

public Q_SLOTS:
    void onPageBlocked();
    void onPageUnblocked();
    // The keypad opens no pop-ups of its own (the account list is the selector's).
    void dismissDialogs();
    void onSceneWindowDismissed();
    // Appends the dialable characters of the clipboard's text; a banner says so when there are
    // none.
    void paste();

Q_SIGNALS:
    void callRequested(const QString &number);
    void requestSetProgressIndicatorVisible(bool visible);
    void requestAddOrMergeWithContact(QString number);
    void requestLastCalledPhoneNumber();
    void textChanged();

private Q_SLOTS:
    void onAccountChanged(bool isCellular, bool hasChoice, const QString &serviceName,
                          const QString &accountName, const QString &credits, const QString &logo,
                          const QString &backgroundColor);
    void onCreditsChanged(const QString &credits);

private:
    DialerKey *makeKey(const QString &styleName, const QString &text, const QString &letters,
                       const QString &iconId);
    void type(const QString &characters);
    void onCallKey();
    void onBackspace();
    void onLongPress(QChar character);

    DialerAccountSelector *m_selector;
    DialerNumberField *m_field;
    DialerAccountButton *m_accountButton;
    QHash<QChar, DialerKey *> m_keys;
    DialerKey *m_callKey;
    DialerKey *m_backspaceKey;
    DialerKey *m_addContactKey;
    QString m_voicemailNumber;
    bool m_tones = false;
    bool m_blocked = false;
};

} // namespace Dialer
