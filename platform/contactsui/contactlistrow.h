#pragma once

#include "contactsengine.h"
#include "mlistitem.h"

class AvatarWidget;
class MLabel;

// One tappable row of a contact list: the contact's avatar and name (plain text).
class ContactListRow : public MListItem
{
    Q_OBJECT
public:
    ContactListRow(QContactLocalId id, const QString &name, QGraphicsItem *parent = nullptr);

    QContactLocalId contactId() const { return m_id; }
    // Shows another contact (a recycled row).
    void setContact(QContactLocalId id, const QString &name);
    QString name() const;
    AvatarWidget *avatar() const { return m_avatar; }

private:
    QContactLocalId m_id;
    AvatarWidget *m_avatar;
    MLabel *m_name;
};
