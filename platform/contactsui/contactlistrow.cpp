#include "contactlistrow.h"

#include "avatarwidget.h"
#include "contactdetailtext.h"
#include "contactnamelabel.h"

#include <QGraphicsLinearLayout>
#include <QWidget>

ContactListRow::ContactListRow(QContactLocalId id, const QString &name, QGraphicsItem *parent)
    : MListItem(parent), m_id(id), m_avatar(new AvatarWidget), m_name(new ContactNameLabel),
      m_number(new MLabel), m_nameText(name)
{
    setStyleName(QStringLiteral("ContactListRow"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto *layout = new QGraphicsLinearLayout(Qt::Horizontal, this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(16);
    m_avatar->setStyleName(QStringLiteral("ContactListAvatar"));
    m_avatar->setAcceptedMouseButtons(Qt::NoButton);
    m_avatar->setContactId(id);
    m_name->setStyleName(QStringLiteral("CommonTitle"));
    m_name->setTextFormat(Qt::PlainText);
    m_name->setText(name);
    m_name->setAcceptedMouseButtons(Qt::NoButton);
    // A scrolled list moves its rows every frame: the name and the avatar are drawn once per
    // contact shown and then copied.
    m_name->setCacheMode(QGraphicsItem::DeviceCoordinateCache);
    m_avatar->setCacheMode(QGraphicsItem::DeviceCoordinateCache);
    // Shown only when a search found a number: no room taken otherwise.
    m_number->setStyleName(QStringLiteral("ContactListNumber"));
    m_number->setMaximumHeight(0);
    m_number->setTextFormat(Qt::PlainText);
    m_number->setTextElide(true);
    m_number->setAcceptedMouseButtons(Qt::NoButton);
    auto *texts = new QGraphicsLinearLayout(Qt::Vertical);
    texts->setContentsMargins(0, 0, 0, 0);
    texts->setSpacing(0);
    // As high as their lines: the name alone sits in the middle of the row, by the avatar.
    m_name->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_number->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    texts->addItem(m_name);
    texts->addItem(m_number);
    layout->addItem(m_avatar);
    layout->addItem(texts);
    layout->setAlignment(m_avatar, Qt::AlignVCenter);
    layout->setAlignment(texts, Qt::AlignVCenter);
    layout->setStretchFactor(texts, 1);
}

QString ContactListRow::name() const
{
    return m_nameText;
}

void ContactListRow::setContact(QContactLocalId id, const QString &name)
{
    m_nameText = name;
    m_name->setText(name);
    if (id == m_id)
        return;
    m_id = id;
    m_avatar->setContactId(id);
}

void ContactListRow::showContact(QContactLocalId id, const QString &name,
                                 const QString &pictureFile)
{
    showContact(id, name, pictureFile, QString(), nullptr);
}

void ContactListRow::showContact(QContactLocalId id, const QString &name,
                                 const QString &pictureFile, const QString &matchedNumber,
                                 MLabelHighlighter *highlighter)
{
    m_nameText = name;
    setHighlighted(m_name, name, highlighter);
    const qreal numberHeight = matchedNumber.isEmpty() ? 0 : QWIDGETSIZE_MAX;
    if (m_number->maximumHeight() != numberHeight)
        m_number->setMaximumHeight(numberHeight);
    // Numbers read left to right, also in a row that reads right to left.
    setHighlighted(m_number, ContactDetailText::shownNumber(matchedNumber), highlighter);
    m_id = id;
    m_avatar->showContact(id, name, pictureFile);
}

void ContactListRow::setHighlighted(MLabel *label, const QString &text,
                                    MLabelHighlighter *highlighter)
{
    // Marks are drawn in rich text: the outside text goes in escaped.
    const Qt::TextFormat format = highlighter ? Qt::RichText : Qt::PlainText;
    const QString shown = highlighter ? text.toHtmlEscaped() : text;
    const QList<MLabelHighlighter *> now = label->highlighters();
    if (label->textFormat() == format && label->text() == shown &&
        now ==
            (highlighter ? QList<MLabelHighlighter *>{highlighter} : QList<MLabelHighlighter *>()))
        return;
    label->removeAllHighlighters();
    label->setTextFormat(format);
    label->setText(shown);
    if (highlighter)
        label->addHighlighter(highlighter);
}

void ContactListRow::changeEvent(QEvent *event)
{
    // The name's picture is drawn for one direction: a change of language may turn it.
    if (event->type() == QEvent::LayoutDirectionChange || event->type() == QEvent::FontChange)
        m_name->update();
    MListItem::changeEvent(event);
}
