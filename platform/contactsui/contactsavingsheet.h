#pragma once

#include "contactssheet.h"

#include <QtContacts/QContactDetail>

#include <QList>
#include <QPointer>

class ContactEditorHandle;
class MLabel;
namespace QtContacts {
class QContact;
class QContactSaveRequest;
} // namespace QtContacts

// A contacts sheet that ends by saving one contact into the address book: the editor of a new
// contact and the merge picker. It runs the asynchronous save request: saved, the handle reports
// it and the sheet closes; failed, the sheet stays open with a notice (notice(), placed by the
// subclass in its layout). One save at a time.
class ContactSavingSheet : public ContactsSheet
{
    Q_OBJECT
public:
    explicit ContactSavingSheet(const QString &title, QGraphicsItem *parent = nullptr);

    void setHandle(ContactEditorHandle *handle);

Q_SIGNALS:
    void saveFinished(bool ok);

protected:
    MLabel *notice() const { return m_notice; }
    bool isSaving() const { return !m_save.isNull(); }
    // Starts saving `contact` (only its details of the types in `typeMask`, if any: the others
    // stay as stored); false when a save is under way or could not start (then the notice shows
    // and saveFinished(false) is emitted).
    bool startSave(const QtContacts::QContact &contact,
                   const QList<QtContacts::QContactDetail::DetailType> &typeMask = {});
    // Ends a save that failed before it started: the notice shows, saveFinished(false).
    void failSave();

private:
    void onSaveStateChanged();

    MLabel *m_notice;
    QPointer<ContactEditorHandle> m_handle;
    QPointer<QtContacts::QContactSaveRequest> m_save;
};
