#pragma once

#include "contactsavingsheet.h"

#include <QtContacts/QContact>

class MTextEdit;

// An editor for a new contact, pre-filled with the details of a prepared contact (a number or
// an address): first and last name fields, the prepared details with their kinds, and a save
// button that writes the contact into the address book (an asynchronous save request). Saved:
// the sheet closes and the handle reports saved(); a failed save leaves the sheet open with a
// notice; cancel closes it.
class ContactEditorSheet : public ContactSavingSheet
{
    Q_OBJECT
public:
    explicit ContactEditorSheet(const QtContacts::QContact &contact,
                                QGraphicsItem *parent = nullptr);

    MTextEdit *firstNameField() const { return m_first; }
    MTextEdit *lastNameField() const { return m_last; }
    // The contact as it would be saved now.
    QtContacts::QContact contact() const;
    // Starts saving (what the save button does); false if a save is under way already.
    bool save();

private:
    QtContacts::QContact m_contact;
    MTextEdit *m_first;
    MTextEdit *m_last;
};
