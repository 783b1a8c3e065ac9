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
    // Shows another contact (a recycled row); its avatar reads the contact from the address book.
    void setContact(QContactLocalId id, const QString &name);
    // Shows another contact whose picture file (empty for none) is known: nothing is read.
    void showContact(QContactLocalId id, const QString &name, const QString &pictureFile);
    QString name() const;
    AvatarWidget *avatar() const { return m_avatar; }

protected:
    void changeEvent(QEvent *event) override;

private:
    QContactLocalId m_id;
    AvatarWidget *m_avatar;
    MLabel *m_name;
};
