#pragma once

#include "contactsavingsheet.h"
#include "contactsengine.h"

#include <QtContacts/QContact>

#include <QHash>
#include <QPointer>

class ContactListWidget;
class MTextEdit;
namespace QtContacts {
class QContactFetchRequest;
} // namespace QtContacts

// Picks an existing contact to receive the details of a prepared contact (a number or an
// address): a filter field above the list of every contact of the address book (read with an
// asynchronous fetch). The picked contact gets the prepared phone numbers and online accounts
// that it does not have yet and is saved (an asynchronous save request); then the sheet closes
// and the handle reports saved(). A failed save leaves the sheet open with a notice.
class ContactMergePicker : public ContactSavingSheet
{
    Q_OBJECT
public:
    explicit ContactMergePicker(const QtContacts::QContact &details,
                                QGraphicsItem *parent = nullptr);

    MTextEdit *filterField() const { return m_filter; }
    ContactListWidget *list() const { return m_list; }
    bool isLoaded() const { return m_loaded; }
    // Merges into the contact `id` (what a tap on its row does); false if it is not listed or a
    // save is under way.
    bool mergeInto(QContactLocalId id);

    // `target` with the address details of `details` that it lacks.
    static QtContacts::QContact merged(const QtContacts::QContact &target,
                                       const QtContacts::QContact &details);

Q_SIGNALS:
    void loaded();

private:
    void onFetchStateChanged();

    QtContacts::QContact m_details;
    MTextEdit *m_filter;
    ContactListWidget *m_list;
    QHash<QContactLocalId, QtContacts::QContact> m_contacts;
    bool m_loaded = false;
    QPointer<QtContacts::QContactFetchRequest> m_fetch;
};
