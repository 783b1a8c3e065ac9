#pragma once

#include "contactsengine.h"
#include "mlistitem.h"

class AvatarWidget;
class MLabel;
class MLabelHighlighter;

// One tappable row of a contact list: the contact's avatar and name (plain text), and under the
// name the number that a search found, if it was a number. What the search matched is marked
// (a highlighter given with the contact).
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
    // The same, with the number a search found (empty for none) and what marks the search's
    // matches (null for no search; not owned).
    void showContact(QContactLocalId id, const QString &name, const QString &pictureFile,
                     const QString &matchedNumber, MLabelHighlighter *highlighter);
    QString name() const;
    AvatarWidget *avatar() const { return m_avatar; }
    MLabel *nameLabel() const { return m_name; }
    MLabel *numberLabel() const { return m_number; }

protected:
    void changeEvent(QEvent *event) override;

private:
    QContactLocalId m_id;
    AvatarWidget *m_avatar;
    void setHighlighted(MLabel *label, const QString &text, MLabelHighlighter *highlighter);

    MLabel *m_name;
    MLabel *m_number;
    QString m_nameText;
};
