#include "dialerwidget.h"

#include "dialablenumber.h"
#include "dialeraccountbutton.h"
#include "dialeraccountselector.h"
#include "dialerkey.h"
#include "dialerkeyfaces.h"
#include "dialernumberfield.h"
#include "mbanner.h"
#include "mstylablewidget.h"

#include <QClipboard>
#include <QGraphicsGridLayout>
#include <QGraphicsLinearLayout>
#include <QGuiApplication>

namespace Dialer {

namespace {
const QChar VoicemailMark(0x2709); // envelope, under "1" while a voicemail number is set
} // namespace

DialerWidget::DialerWidget(int, DialerAccountSelector *selector, QGraphicsItem *parent)
    : MWidget(parent), m_selector(selector), m_field(new DialerNumberField),
      m_accountButton(new DialerAccountButton)
{
    auto *layout = new QGraphicsLinearLayout(Qt::Vertical, this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // The number and the account it goes out on.
    auto *header = new MStylableWidget;
    header->setStyleName(QStringLiteral("DialerHeader"));
    auto *headerLayout = new QGraphicsLinearLayout(Qt::Vertical, header);
    const MStyle &headerStyle = header->style();
    headerLayout->setContentsMargins(headerStyle.padding.left(), headerStyle.padding.top(),
                                     headerStyle.padding.right(), headerStyle.padding.bottom());
    headerLayout->setSpacing(headerStyle.spacing);
    m_field->setStyleName(QStringLiteral("DialerNumberField"));
    headerLayout->addItem(m_field);
    m_accountButton->setStyleName(QStringLiteral("DialerAccountButton"));
    m_accountButton->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    headerLayout->addItem(m_accountButton);
    headerLayout->setAlignment(m_accountButton, Qt::AlignHCenter);
    layout->addItem(header);

    auto *pad = new MStylableWidget;
    pad->setStyleName(QStringLiteral("DialerKeypad"));
    // A keypad reads 1 2 3 from the left in every language, as the phone's own keys do.
    pad->setLayoutDirection(Qt::LeftToRight);
    const MStyle &padStyle = pad->style();
    auto *grid = new QGraphicsGridLayout(pad);
    grid->setContentsMargins(padStyle.padding.left(), padStyle.padding.top(),
                             padStyle.padding.right(), padStyle.padding.bottom());
    grid->setSpacing(padStyle.spacing);
    int i = 0;
    for (const KeyFace &face : KeyFaces) {
        const QChar c = QLatin1Char(face.character);
        DialerKey *key = makeKey(QStringLiteral("DialerKey"), QString(c),
                                 QString::fromLatin1(face.letters), QString());
        m_keys.insert(c, key);
        connect(key, &DialerKey::tapped, this, [this, c] { type(QString(c)); });
        if (c == QLatin1Char('0') || c == QLatin1Char('1')) {
            key->setLongPressEnabled(true);
            connect(key, &DialerKey::longPressed, this, [this, c] { onLongPress(c); });
        }
        grid->addItem(key, i / 3, i % 3);
        ++i;
    }
    layout->addItem(pad);

    auto *actions = new MStylableWidget;
    actions->setStyleName(QStringLiteral("DialerActions"));
    actions->setLayoutDirection(Qt::LeftToRight);
    auto *row = new QGraphicsLinearLayout(Qt::Horizontal, actions);
    const MStyle &actionStyle = actions->style();
    row->setContentsMargins(actionStyle.padding.left(), actionStyle.padding.top(),
                            actionStyle.padding.right(), actionStyle.padding.bottom());
    row->setSpacing(actionStyle.spacing);
    m_addContactKey = makeKey(QStringLiteral("DialerIconKey"), QString(), QString(),
                              QStringLiteral("icon-m-dialer-add-contact"));
    m_callKey = makeKey(QStringLiteral("DialerCallKey"), QString(), QString(),
                        QStringLiteral("icon-m-dialer-call"));
    m_backspaceKey = makeKey(QStringLiteral("DialerIconKey"), QString(), QString(),
                             QStringLiteral("icon-m-dialer-backspace"));
    m_backspaceKey->setLongPressEnabled(true);
    row->addStretch();
    for (DialerKey *key : {m_addContactKey, m_callKey, m_backspaceKey}) {
        row->addItem(key);
        row->setAlignment(key, Qt::AlignVCenter);
    }
    row->addStretch();
    layout->addItem(actions);
    layout->addStretch();

    connect(m_callKey, &DialerKey::tapped, this, &DialerWidget::onCallKey);
    connect(m_backspaceKey, &DialerKey::tapped, this, &DialerWidget::onBackspace);
    connect(m_backspaceKey, &DialerKey::longPressed, this, [this] { setText(QString()); });
    connect(m_addContactKey, &DialerKey::tapped, this, [this] {
        if (!m_blocked)
            Q_EMIT requestAddOrMergeWithContact(text());
    });
    connect(m_field, &DialerNumberField::longPressed, this, [this] {
        if (!m_blocked)
            paste();
    });
    connect(m_accountButton, &DialerAccountButton::clicked, this, [this] {
        if (!m_blocked && m_selector)
            m_selector->showAccountList();
    });
    if (m_selector) {
        connect(m_selector, &DialerAccountSelector::accountChanged, this,
                &DialerWidget::onAccountChanged);
        connect(m_selector, &DialerAccountSelector::creditsChanged, this,
                &DialerWidget::onCreditsChanged);
    }
}

DialerWidget::~DialerWidget() = default;

QList<DialerKey *> DialerWidget::keys() const
{
    QList<DialerKey *> all;
    for (const KeyFace &face : KeyFaces)
        all.append(m_keys.value(QLatin1Char(face.character)));
    all << m_addContactKey << m_callKey << m_backspaceKey;
    return all;
}

DialerKey *DialerWidget::makeKey(const QString &styleName, const QString &text,
                                 const QString &letters, const QString &iconId)
{
    auto *key = new DialerKey;
    key->setStyleName(styleName);
    key->setText(text);
    key->setLetters(letters);
    key->setIconID(iconId);
    // Digit keys share the row's width; round keys keep their size.
    key->setSizePolicy(iconId.isEmpty() ? QSizePolicy::Preferred : QSizePolicy::Fixed,
                       QSizePolicy::Fixed);
    return key;
}

QString DialerWidget::text() const
{
    return m_field->text();
}

void DialerWidget::setText(const QString &text)
{
    const QString number = dialableCharacters(text).left(MaxLength);
    if (number == m_field->text())
        return;
    m_field->setText(number);
    Q_EMIT textChanged();
}

void DialerWidget::setVoicemailNumber(const QString &number)
{
    m_voicemailNumber = number;
    m_keys.value(QLatin1Char('1'))
        ->setLetters(number.isEmpty() ? QString() : QString(VoicemailMark));
}

void DialerWidget::type(const QString &characters)
{
    if (m_blocked)
        return;
    setText(text() + characters);
}

void DialerWidget::onCallKey()
{
    if (m_blocked)
        return;
    if (text().isEmpty())
        Q_EMIT requestLastCalledPhoneNumber();
    else
        Q_EMIT callRequested(text());
}

void DialerWidget::onBackspace()
{
    if (!m_blocked)
        setText(text().left(text().size() - 1));
}

void DialerWidget::onLongPress(QChar character)
{
    if (m_blocked)
        return;
    if (character == QLatin1Char('0'))
        type(QStringLiteral("+"));
    else if (!m_voicemailNumber.isEmpty())
        Q_EMIT callRequested(m_voicemailNumber);
    else
        type(QString(character));
}

void DialerWidget::paste()
{
    const QClipboard *clipboard = QGuiApplication::clipboard();
    const QString number = clipboard ? dialableCharacters(clipboard->text()) : QString();
    if (!number.isEmpty()) {
        type(number);
        return;
    }
    auto *banner = new MBanner;
    banner->setStyleName(QStringLiteral("InformationBanner"));
    banner->setTitle(qtTrId("qtn_call_dialer_nothing_to_paste"));
    banner->appear(MSceneWindow::DestroyWhenDone);
    // Not shown (no window): nobody else will delete it.
    if (!banner->sceneManager())
        delete banner;
}

void DialerWidget::resetState()
{
    setText(QString());
    onSceneWindowDismissed();
}

void DialerWidget::onPageBlocked()
{
    m_blocked = true;
}

void DialerWidget::onPageUnblocked()
{
    m_blocked = false;
}

void DialerWidget::dismissDialogs() {}

void DialerWidget::onSceneWindowDismissed()
{
    // A key held while the page went away never sees its release.
    for (DialerKey *key : qAsConst(m_keys))
        key->cancelPress();
    for (DialerKey *key : {m_callKey, m_backspaceKey, m_addContactKey})
        key->cancelPress();
}

void DialerWidget::onAccountChanged(bool isCellular, bool hasChoice, const QString &serviceName,
                                    const QString &accountName, const QString &credits,
                                    const QString &logo, const QString &backgroundColor)
{
    // The cellular account is known by its service name ("Mobile"); a VoIP account by its own
    // name, which tells two accounts of one service apart.
    const QString name = isCellular || accountName.isEmpty() ? serviceName : accountName;
    m_accountButton->setAccount(name, credits, logo, backgroundColor, hasChoice);
}

void DialerWidget::onCreditsChanged(const QString &credits)
{
    m_accountButton->setCredits(credits);
}

} // namespace Dialer
