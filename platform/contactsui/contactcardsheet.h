#pragma once

#include "contactsengine.h"
#include "contactssheet.h"

#include <QtContacts/QContact>

#include <QPointer>

class AvatarWidget;
class MLabel;
class MListItem;
class QGraphicsLinearLayout;
namespace QtContacts {
class QContactFetchRequest;
}

// A contact's card: avatar, name, and every phone number and online-account address with its
// kind. The contact is read from the address book with an asynchronous fetch. A tap on an address
// emits addressActivated() (queued) with the online account's calling account path (empty for a
// phone number), the address, and the contact's id and name; the card then closes.
class ContactCardSheet : public ContactsSheet
{
    Q_OBJECT
public:
    explicit ContactCardSheet(QContactLocalId id, QGraphicsItem *parent = nullptr);

    QContactLocalId contactId() const { return m_id; }
    QString name() const;
    bool isLoaded() const { return m_loaded; }
    // The address rows, in detail order (phone numbers, then online accounts).
    QList<MListItem *> addressRows() const { return m_rows; }

Q_SIGNALS:
    void loaded();
    void addressActivated(const QString &accountPath, const QString &address,
                          QContactLocalId contactId, const QString &name);

private:
    void onFetchStateChanged();
    void fill(const QtContacts::QContact &contact);
    // `shown`: the value as shown (ContactDetailText::shownValue()).
    MListItem *addressRow(const QString &shown, const QString &kind);

    QContactLocalId m_id;
    bool m_loaded = false;
    AvatarWidget *m_avatar;
    MLabel *m_name;
    QGraphicsLinearLayout *m_addresses;
    QList<MListItem *> m_rows;
    QPointer<QtContacts::QContactFetchRequest> m_fetch;
};
