#pragma once

#include "contactsavingsheet.h"
#include "contactsengine.h"

#include <QtContacts/QContact>

#include <QPointer>

class ContactPickerList;
namespace QtContacts {
class QContactFetchRequest;
} // namespace QtContacts

// Picks an existing contact to receive the details of a prepared contact (a number or an
// address): the address book's contacts under a filter field, as the contacts tab lists them
// (ContactPickerList: rows made only for what is on screen, names read once per book and
// process). A tap reads the picked contact as it is then (an asynchronous fetch), adds the
// prepared phone numbers and online accounts that it does not have yet and saves them (an
// asynchronous save of those two kinds of detail only), so that what another process changed
// while the sheet was open is kept. Then the sheet closes and the handle reports saved(). A
// failed save, or a contact gone meanwhile, leaves the sheet open with a notice.
//
// Limits: a number written into the same contact by another process between the fetch and the
// save (one turn of the engine's thread) is lost; nothing else is.
class ContactMergePicker : public ContactSavingSheet
{
    Q_OBJECT
public:
    explicit ContactMergePicker(const QtContacts::QContact &details,
                                QGraphicsItem *parent = nullptr);

    ContactPickerList *list() const { return m_list; }
    bool isLoaded() const;
    // Merges into the contact `id` (what a tap on its row does); false if a merge is under way
    // or could not start.
    bool mergeInto(QContactLocalId id);

    // `target` with the address details of `details` that it lacks.
    static QtContacts::QContact merged(const QtContacts::QContact &target,
                                       const QtContacts::QContact &details);

Q_SIGNALS:
    void loaded();

private:
    void onFetchStateChanged();

    QtContacts::QContact m_details;
    ContactPickerList *m_list;
    QPointer<QtContacts::QContactFetchRequest> m_fetch;
};
