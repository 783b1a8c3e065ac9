#pragma once

#include <QtContacts/QContact>

#include <QList>
#include <QSharedPointer>

class ContactEditorHandle;
class ContactPickerController;
class QObject;

// Opens the contacts application's editor and merge picker over the active window. Each returns
// the handle of the sheet it opened (null when there is no window to show it in).
class ContactsGui
{
public:
    // The contact picker page over the application's address book (the caller owns it). The
    // options of the contacts application (single choice, which contacts, sort order,
    // preselected contacts, a prompt) are taken for its one use here: every contact, sorted by
    // name, none preselected; the prompt is ignored.
    static ContactPickerController *contactPicker(bool singleChoice, int filterFlags, int sortOrder,
                                                  const QList<QtContacts::QContactId> &selected,
                                                  const QString &prompt);
    // An editor for a new contact pre-filled with `contact`'s details.
    static QSharedPointer<ContactEditorHandle> editContact(const QtContacts::QContact &contact);
    // A picker of an existing contact that receives `contact`'s details. The handle's saved()
    // goes to `savedMember` and cancelled() to `cancelledMember` of `receiver` (SLOT() or
    // SIGNAL() strings; either may be null).
    static QSharedPointer<ContactEditorHandle>
    openContactMergePicker(QObject *receiver, const QtContacts::QContact &contact,
                           const char *savedMember, const char *cancelledMember);
};
