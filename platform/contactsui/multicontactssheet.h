#pragma once

#include "contactsengine.h"
#include "contactssheet.h"

#include <QList>
#include <QPair>
#include <QPointer>

class ContactListWidget;
class ContactsInterface;

// Lists several contacts (avatar and name) for the user to pick one; the picked contact's card
// opens in the card service given (ContactsInterface), contactPicked() is emitted and the sheet
// closes. The list is filled between beginUpdate() and
// endUpdate(), which replaces it as a whole.
class MultiContactsSheet : public ContactsSheet
{
    Q_OBJECT
public:
    explicit MultiContactsSheet(const QString &title, QGraphicsItem *parent = nullptr);

    void beginUpdate();
    void addContact(unsigned int localId, const QString &name);
    void endUpdate();

    ContactListWidget *list() const { return m_list; }
    // The card service that picked contacts open in (not owned; none: only contactPicked()).
    void setContactsInterface(ContactsInterface *contacts);

Q_SIGNALS:
    void contactPicked(QContactLocalId id);

private:
    void onContactPicked(QContactLocalId id);

    ContactListWidget *m_list;
    QList<QPair<QContactLocalId, QString>> m_pending;
    QPointer<ContactsInterface> m_contacts;
};
