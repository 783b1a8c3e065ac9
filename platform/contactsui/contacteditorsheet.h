#pragma once

#include "contactssheet.h"

#include <QtContacts/QContact>

#include <QPointer>

class ContactEditorHandle;
class MLabel;
class MTextEdit;
namespace QtContacts {
class QContactSaveRequest;
}

// An editor for a new contact, pre-filled with the details of a prepared contact (a number or
// an address): first and last name fields, the prepared details with their kinds, and a save
// button that writes the contact into the address book (an asynchronous save request). Saved:
// the sheet closes and the handle reports saved(); a failed save leaves the sheet open with a
// notice; cancel closes it.
class ContactEditorSheet : public ContactsSheet
{
    Q_OBJECT
public:
    explicit ContactEditorSheet(const QtContacts::QContact &contact,
                                QGraphicsItem *parent = nullptr);

    void setHandle(ContactEditorHandle *handle) { m_handle = handle; }
    MTextEdit *firstNameField() const { return m_first; }
    MTextEdit *lastNameField() const { return m_last; }
    // The contact as it would be saved now.
    QtContacts::QContact contact() const;
    // Starts saving (what the save button does); false if a save is under way already.
    bool save();

Q_SIGNALS:
    void saveFinished(bool ok);

private:
    void onSaveStateChanged();

    QtContacts::QContact m_contact;
    MTextEdit *m_first;
    MTextEdit *m_last;
    MLabel *m_notice;
    QPointer<ContactEditorHandle> m_handle;
    QPointer<QtContacts::QContactSaveRequest> m_save;
};
