#include "contactsgui.h"

#include "contacteditorhandle.h"
#include "contacteditorsheet.h"
#include "contactmergepicker.h"
#include "contactpickercontroller.h"

namespace {
template <typename Sheet> QSharedPointer<ContactEditorHandle> show(Sheet *sheet)
{
    QSharedPointer<ContactEditorHandle> handle(new ContactEditorHandle(sheet));
    sheet->setHandle(handle.data());
    sheet->appear(MSceneWindow::DestroyWhenDone);
    if (!sheet->sceneManager()) {
        delete sheet;
        return QSharedPointer<ContactEditorHandle>();
    }
    return handle;
}
} // namespace

QSharedPointer<ContactEditorHandle> ContactsGui::editContact(const QtContacts::QContact &contact)
{
    return show(new ContactEditorSheet(contact));
}

QSharedPointer<ContactEditorHandle>
ContactsGui::openContactMergePicker(QObject *receiver, const QtContacts::QContact &contact,
                                    const char *savedMember, const char *cancelledMember)
{
    QSharedPointer<ContactEditorHandle> handle = show(new ContactMergePicker(contact));
    if (handle && receiver && savedMember)
        QObject::connect(handle.data(), SIGNAL(saved()), receiver, savedMember);
    if (handle && receiver && cancelledMember)
        QObject::connect(handle.data(), SIGNAL(cancelled()), receiver, cancelledMember);
    return handle;
}

ContactPickerController *
ContactsGui::contactPicker(bool, int, int, const QList<QtContacts::QContactId> &, const QString &)
{
    return new ContactPickerController;
}
