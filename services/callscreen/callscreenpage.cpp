#include "callscreenpage.h"

#include "avatarwidget.h"
#include "callscreenbutton.h"
#include "dialerkey.h"
#include "dialerkeyfaces.h"
#include "mbutton.h"
#include "mlabel.h"
#include "mstylablewidget.h"

#include <QGraphicsGridLayout>
#include <QGraphicsLinearLayout>

namespace {
// The tones line shows the last ones sent when more were sent than it holds.
const int ShownTones = 18;

MLabel *plainLabel(const QString &styleName)
{
    auto *label = new MLabel;
    label->setStyleName(styleName);
    label->setTextFormat(Qt::PlainText);
    label->setTextElide(true);
    label->setAcceptedMouseButtons(Qt::NoButton);
    return label;
}

// A container's layout takes its style's padding and spacing.
template <typename Layout> Layout *styledLayout(MStylableWidget *widget, Layout *layout)
{
    const MStyle &s = widget->style();
    layout->setContentsMargins(s.padding.left(), s.padding.top(), s.padding.right(),
                               s.padding.bottom());
    layout->setSpacing(s.spacing);
    return layout;
}
} // namespace

CallScreenPage::CallScreenPage(QGraphicsItem *parent) : MApplicationPage(parent)
{
    setStyleName(QStringLiteral("CallScreenPage"));
    setPannable(false);
    auto *central = new QGraphicsWidget;
    auto *layout = new QGraphicsLinearLayout(Qt::Vertical, central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    layout->addItem(makeWaitingPanel());
    layout->addItem(makeHeader());
    m_tones = plainLabel(QStringLiteral("CallScreenTones"));
    // Tones read as typed, left to right, in every language.
    m_tones->setLayoutDirection(Qt::LeftToRight);
    layout->addItem(m_tones);
    layout->addItem(makeKeypad());
    layout->addStretch();

    m_mute = new CallScreenButton(QStringLiteral("CallScreenToggle"),
                                  QStringLiteral("icon-m-telephony-mute"));
    m_keypadToggle = new CallScreenButton(QStringLiteral("CallScreenToggle"),
                                          QStringLiteral("icon-m-telephony-keypad"));
    m_speaker = new CallScreenButton(QStringLiteral("CallScreenToggle"),
                                     QStringLiteral("icon-m-telephony-speaker"));
    for (CallScreenButton *toggle : {m_mute, m_keypadToggle, m_speaker})
        toggle->setCheckable(true);
    m_controls = makeRow(QStringLiteral("CallScreenControls"), {m_mute, m_keypadToggle, m_speaker});
    auto *controls = static_cast<QGraphicsLinearLayout *>(m_controls->layout());
    for (CallScreenButton *toggle : {m_mute, m_keypadToggle, m_speaker})
        controls->setStretchFactor(toggle, 1);
    layout->addItem(m_controls);

    m_decline = new CallScreenButton(QStringLiteral("CallScreenDeclineButton"),
                                     QStringLiteral("icon-m-telephony-call-end"));
    m_hangup = new CallScreenButton(QStringLiteral("CallScreenHangupButton"),
                                    QStringLiteral("icon-m-telephony-call-end"));
    m_answer = new CallScreenButton(QStringLiteral("CallScreenAnswerButton"),
                                    QStringLiteral("icon-m-telephony-call-answer"));
    // Ringing shows decline and answer at the sides; a call, hang up in the middle. Hidden
    // buttons take no room, so one row does both.
    m_actions = makeRow(QStringLiteral("CallScreenActions"), {m_decline});
    auto *actions = static_cast<QGraphicsLinearLayout *>(m_actions->layout());
    actions->addStretch();
    actions->addItem(m_hangup);
    actions->addStretch();
    actions->addItem(m_answer);
    for (CallScreenButton *button : {m_decline, m_hangup, m_answer})
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    layout->addItem(m_actions);
    setCentralWidget(central);

    const auto queued = Qt::QueuedConnection;
    connect(m_answer, &CallScreenButton::tapped, this, &CallScreenPage::answerTapped, queued);
    connect(m_decline, &CallScreenButton::tapped, this, &CallScreenPage::declineTapped, queued);
    connect(m_hangup, &CallScreenButton::tapped, this, &CallScreenPage::hangupTapped, queued);
    connect(m_mute, &CallScreenButton::tapped, this, &CallScreenPage::muteTapped, queued);
    connect(m_speaker, &CallScreenButton::tapped, this, &CallScreenPage::speakerTapped, queued);
    connect(m_keypadToggle, &CallScreenButton::tapped, this, &CallScreenPage::keypadTapped, queued);
    setTexts();
    updateParts();
}

MStylableWidget *CallScreenPage::makeWaitingPanel()
{
    m_waitingArea = new MStylableWidget;
    m_waitingArea->setStyleName(QStringLiteral("CallScreenWaitingArea"));
    auto *area = styledLayout(m_waitingArea, new QGraphicsLinearLayout(Qt::Vertical));
    m_waitingArea->setLayout(area);
    auto *panel = new MStylableWidget;
    panel->setStyleName(QStringLiteral("CallScreenWaitingPanel"));
    auto *layout = styledLayout(panel, new QGraphicsLinearLayout(Qt::Vertical));
    panel->setLayout(layout);
    m_waitingTitle = plainLabel(QStringLiteral("CallScreenWaitingTitle"));
    layout->addItem(m_waitingTitle);
    m_waitingName = plainLabel(QStringLiteral("CallScreenWaitingName"));
    layout->addItem(m_waitingName);
    m_endAndAnswer = makePill(QStringLiteral("CallScreenWaitingAnswerButton"),
                              &CallScreenPage::endAndAnswerTapped);
    m_holdAndAnswer = makePill(QStringLiteral("CallScreenWaitingAnswerButton"),
                               &CallScreenPage::holdAndAnswerTapped);
    m_waitingDecline = makePill(QStringLiteral("CallScreenWaitingDeclineButton"),
                                &CallScreenPage::waitingDeclineTapped);
    for (MButton *button : {m_endAndAnswer, m_holdAndAnswer, m_waitingDecline})
        layout->addItem(button);
    area->addItem(panel);
    return m_waitingArea;
}

MButton *CallScreenPage::makePill(const QString &styleName, void (CallScreenPage::*tapped)())
{
    auto *button = new MButton;
    button->setStyleName(styleName);
    button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    connect(button, &MButton::clicked, this, tapped, Qt::QueuedConnection);
    return button;
}

MStylableWidget *CallScreenPage::makeHeader()
{
    m_header = new MStylableWidget;
    m_header->setStyleName(QStringLiteral("CallScreenHeader"));
    auto *layout = styledLayout(m_header, new QGraphicsLinearLayout(Qt::Vertical));
    m_header->setLayout(layout);
    m_avatar = new AvatarWidget;
    m_avatar->setStyleName(QStringLiteral("CallScreenAvatar"));
    m_avatar->setAcceptedMouseButtons(Qt::NoButton);
    m_avatar->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    layout->addItem(m_avatar);
    layout->setAlignment(m_avatar, Qt::AlignHCenter);
    m_name = plainLabel(QStringLiteral("CallScreenName"));
    m_number = plainLabel(QStringLiteral("CallScreenNumber"));
    m_status = plainLabel(QStringLiteral("CallScreenStatus"));
    m_held = plainLabel(QStringLiteral("CallScreenHeld"));
    for (MLabel *label : {m_name, m_number, m_status, m_held})
        layout->addItem(label);
    return m_header;
}

MStylableWidget *CallScreenPage::makeKeypad()
{
    m_keypad = new MStylableWidget;
    m_keypad->setStyleName(QStringLiteral("CallScreenKeypad"));
    // A keypad reads 1 2 3 from the left in every language, as the dialer's does.
    m_keypad->setLayoutDirection(Qt::LeftToRight);
    auto *grid = styledLayout(m_keypad, new QGraphicsGridLayout);
    m_keypad->setLayout(grid);
    for (int i = 0; i < Dialer::KeyFaceCount; ++i) {
        const Dialer::KeyFace &face = Dialer::KeyFaces[i];
        const QChar c = QLatin1Char(face.character);
        auto *key = new Dialer::DialerKey;
        key->setStyleName(QStringLiteral("CallScreenKey"));
        key->setText(QString(c));
        key->setLetters(QString::fromLatin1(face.letters));
        key->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        connect(
            key, &Dialer::DialerKey::tapped, this, [this, c]() { Q_EMIT keyTapped(c); },
            Qt::QueuedConnection);
        m_keys.insert(c, key);
        grid->addItem(key, i / 3, i % 3);
        addDirectPressTarget(key);
    }
    return m_keypad;
}

MStylableWidget *CallScreenPage::makeRow(const QString &styleName,
                                         const QList<QGraphicsWidget *> &items)
{
    auto *row = new MStylableWidget;
    row->setStyleName(styleName);
    auto *layout = styledLayout(row, new QGraphicsLinearLayout(Qt::Horizontal));
    row->setLayout(layout);
    for (QGraphicsWidget *item : items) {
        layout->addItem(item);
        layout->setAlignment(item, Qt::AlignTop);
    }
    return row;
}

void CallScreenPage::setMode(Mode mode)
{
    if (mode == m_mode)
        return;
    m_mode = mode;
    updateParts();
}

void CallScreenPage::setCaller(const QString &title, const QString &subtitle,
                               QContactLocalId contactId)
{
    m_name->setText(title);
    m_number->setText(subtitle);
    m_number->setVisible(!subtitle.isEmpty());
    if (contactId)
        m_avatar->setContactId(contactId);
    else if (m_avatar->contactId() || m_avatar->image().isEmpty())
        m_avatar->setImage(QStringLiteral("icon-m-common-avatar"));
}

void CallScreenPage::setStatus(const QString &text, bool accented)
{
    m_status->setText(text);
    if (accented != m_statusAccented) {
        m_statusAccented = accented;
        m_status->setStyleName(accented ? QStringLiteral("CallScreenStatusAccented")
                                        : QStringLiteral("CallScreenStatus"));
    }
}

void CallScreenPage::setHeld(const QString &text)
{
    m_held->setText(text);
    m_held->setVisible(!text.isEmpty());
}

void CallScreenPage::setWaiting(const QString &caller)
{
    m_waitingName->setText(caller);
    updateParts();
}

bool CallScreenPage::isWaitingShown() const
{
    return !m_waitingName->text().isEmpty() && m_mode == InCall;
}

void CallScreenPage::setKeypadOpen(bool open)
{
    if (open == m_keypadOpen)
        return;
    m_keypadOpen = open;
    m_keypadToggle->setChecked(open);
    updateParts();
}

void CallScreenPage::setTones(const QString &tones)
{
    m_tones->setText(tones.size() > ShownTones ? tones.right(ShownTones) : tones);
}

void CallScreenPage::setMuted(bool muted)
{
    m_mute->setChecked(muted);
}

void CallScreenPage::setSpeaker(bool on)
{
    m_speaker->setChecked(on);
}

void CallScreenPage::updateParts()
{
    const bool inCall = m_mode == InCall;
    const bool waiting = isWaitingShown();
    const bool keypad = inCall && m_keypadOpen && !waiting;
    m_waitingArea->setVisible(waiting);
    // The keypad and the card of a second call need the avatar's room.
    m_avatar->setVisible(!keypad && !waiting);
    const QString header = keypad || waiting ? QStringLiteral("CallScreenHeaderCompact")
                                             : QStringLiteral("CallScreenHeader");
    if (m_header->styleName() != header) {
        m_header->setStyleName(header);
        styledLayout(m_header, static_cast<QGraphicsLinearLayout *>(m_header->layout()));
        m_name->setStyleName(keypad || waiting ? QStringLiteral("CallScreenNameCompact")
                                               : QStringLiteral("CallScreenName"));
    }
    m_tones->setVisible(keypad);
    m_keypad->setVisible(keypad);
    m_controls->setVisible(inCall);
    m_actions->setVisible(m_mode != Ended);
    m_decline->setVisible(m_mode == Ringing);
    m_answer->setVisible(m_mode == Ringing);
    m_hangup->setVisible(inCall);
}

void CallScreenPage::setTexts()
{
    m_answer->setCaption(qtTrId("qtn_call_screen_answer"));
    m_decline->setCaption(qtTrId("qtn_call_screen_decline"));
    m_mute->setCaption(qtTrId("qtn_call_screen_mute"));
    m_keypadToggle->setCaption(qtTrId("qtn_call_screen_keypad"));
    m_speaker->setCaption(qtTrId("qtn_call_screen_speaker"));
    m_waitingTitle->setText(qtTrId("qtn_call_screen_incoming"));
    m_endAndAnswer->setText(qtTrId("qtn_call_screen_end_and_answer"));
    m_holdAndAnswer->setText(qtTrId("qtn_call_screen_hold_and_answer"));
    m_waitingDecline->setText(qtTrId("qtn_call_screen_decline"));
}

void CallScreenPage::retranslateUi()
{
    setTexts();
    MApplicationPage::retranslateUi();
}
