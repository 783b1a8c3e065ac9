#include "contactlistrow.h"

#include "avatarwidget.h"
#include "contactnamelabel.h"

#include <QGraphicsLinearLayout>

ContactListRow::ContactListRow(QContactLocalId id, const QString &name, QGraphicsItem *parent)
    : MListItem(parent), m_id(id), m_avatar(new AvatarWidget), m_name(new ContactNameLabel)
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
    layout->addItem(m_avatar);
    layout->addItem(m_name);
    layout->setAlignment(m_avatar, Qt::AlignVCenter);
    layout->setAlignment(m_name, Qt::AlignVCenter);
    layout->setStretchFactor(m_name, 1);
}

QString ContactListRow::name() const
{
    return m_name->text();
}

void ContactListRow::setContact(QContactLocalId id, const QString &name)
{
    m_name->setText(name);
    if (id == m_id)
        return;
    m_id = id;
    m_avatar->setContactId(id);
}

void ContactListRow::showContact(QContactLocalId id, const QString &name,
                                 const QString &pictureFile)
{
    if (m_name->text() != name)
        m_name->setText(name);
    m_id = id;
    m_avatar->showContact(id, name, pictureFile);
}

void ContactListRow::changeEvent(QEvent *event)
{
    // The name's picture is drawn for one direction: a change of language may turn it.
    if (event->type() == QEvent::LayoutDirectionChange || event->type() == QEvent::FontChange)
        m_name->update();
    MListItem::changeEvent(event);
}
