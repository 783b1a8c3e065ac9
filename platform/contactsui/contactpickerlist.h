#pragma once

#include "contactsengine.h"
#include "mwidget.h"

class ContactNameIndex;
class ContactPickerModel;
class MList;
class MTextEdit;
namespace QtContacts {
class QContactManager;
} // namespace QtContacts

// The contacts of an address book under a filter field, as the contact picker shows them: in
// alphabetical order under their first letters, each with its avatar; the filter keeps the names
// that contain its text. Shared by the contacts tab's picker (ContactPickerController) and the
// merge picker.
//
// The names come from the book's ContactNameIndex, read and sorted once per book and process and
// shared by every such list, so a list opened after the first shows its contacts at once; the
// very first is empty until that read finishes (loaded()). The list (MList with
// ContactPickerCellCreator) makes rows only for what is on screen and recycles them, and rows
// draw their avatars from what the index read: opening it and typing in its filter cost about
// the same at 50 and at 5,000 contacts. It follows every change of the book, also one made by
// another process.
//
// A tap on a contact emits contactTapped() with its local id, queued (the tap has ended).
//
// Limits: the filter matches names only (not numbers).
class ContactPickerList : public MWidget
{
    Q_OBJECT
public:
    // manager: the address book (not owned; it outlives the list).
    explicit ContactPickerList(QtContacts::QContactManager *manager,
                               QGraphicsItem *parent = nullptr);

    ContactPickerModel *model() const { return m_model; }
    MList *list() const { return m_list; }
    MTextEdit *filterEdit() const { return m_filterEdit; }
    QString filter() const;
    // Sets the filter text (field and list), at any time, before the first read too.
    void setFilter(const QString &text);
    void scrollToTop();
    // The list shows the book as read at least once.
    bool isLoaded() const { return m_loaded; }

Q_SIGNALS:
    // The list now shows the address book as read (after each read).
    void loaded();
    void contactTapped(QContactLocalId id);

protected:
    void retranslateUi() override;

private:
    void onIndexUpdated();

    MTextEdit *m_filterEdit;
    MList *m_list;
    ContactPickerModel *m_model;
    ContactNameIndex *m_index;
    bool m_loaded = false;
};
