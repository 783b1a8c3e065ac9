#pragma once

#include "contactsengine.h"
#include "contactssheet.h"

#include <QtContacts/QContact>

#include <QHash>
#include <QPointer>

class ContactEditorHandle;
class ContactListWidget;
class MLabel;
class MTextEdit;
namespace QtContacts {
class QContactFetchRequest;
class QContactSaveRequest;
} // namespace QtContacts

// Picks an existing contact to receive the details of a prepared contact (a number or an
// address): a filter field above the list of every contact of the address book (read with an
// asynchronous fetch). The picked contact gets the prepared phone numbers and online accounts
// that it does not have yet and is saved (an asynchronous save request); then the sheet closes
// and the handle reports saved(). A failed save leaves the sheet open with a notice.
class ContactMergePicker : public ContactsSheet
{
    Q_OBJECT
public:
    explicit ContactMergePicker(const QtContacts::QContact &details,
                                QGraphicsItem *parent = nullptr);

    void setHandle(ContactEditorHandle *handle) { m_handle = handle; }
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
    void saveFinished(bool ok);

private:
    void onFetchStateChanged();
    void onSaveStateChanged();

    QtContacts::QContact m_details;
    MTextEdit *m_filter;
    ContactListWidget *m_list;
    MLabel *m_notice;
    QHash<QContactLocalId, QtContacts::QContact> m_contacts;
    bool m_loaded = false;
    QPointer<ContactEditorHandle> m_handle;
    QPointer<QtContacts::QContactFetchRequest> m_fetch;
    QPointer<QtContacts::QContactSaveRequest> m_save;
};
