#pragma once

#include <QtContacts/QContact>

#include <QSharedPointer>

class ContactEditorHandle;
class QObject;

// Opens the contacts application's editor and merge picker over the active window. Each returns
// the handle of the sheet it opened (null when there is no window to show it in).
class ContactsGui
{
public:
    // An editor for a new contact pre-filled with `contact`'s details.
    static QSharedPointer<ContactEditorHandle> editContact(const QtContacts::QContact &contact);
    // A picker of an existing contact that receives `contact`'s details. The handle's saved()
    // goes to `savedMember` and cancelled() to `cancelledMember` of `receiver` (SLOT() or
    // SIGNAL() strings; either may be null).
    static QSharedPointer<ContactEditorHandle>
    openContactMergePicker(QObject *receiver, const QtContacts::QContact &contact,
                           const char *savedMember, const char *cancelledMember);
};
