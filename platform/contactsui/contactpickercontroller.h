#pragma once

#include "contactsengine.h"

#include <QtContacts/QContact>

#include <QObject>
#include <QPointer>

class ContactPickerList;
class ContactPickerModel;
class MApplicationPage;
class MLabel;
class MList;
class MTextEdit;
namespace QtContacts {
class QContactFetchRequest;
class QContactManager;
} // namespace QtContacts

// The contacts application's contact picker page: a title above the address book's contacts
// under a filter field (ContactPickerList: alphabetical, under their letters, each with its
// avatar, rows made only for what is on screen). A tap on a contact reads the whole contact from
// the address book and hands it over with contactPicked().
//
// The names come from the address book's ContactNameIndex, read with asynchronous requests and
// sorted once for every picker of the process: a picker opened after the first shows its list at
// once; the very first one is empty until the first read finishes (loaded()). The list follows
// every change of the address book, also one made by another process. The filter may be set at
// any time, before the first read too.
//
// Limits: the filter matches names only (not numbers); the page is owned by the controller.
class ContactPickerController : public QObject
{
    Q_OBJECT
public:
    // manager: the address book (not owned); null for the application's (ContactsAddressBook).
    explicit ContactPickerController(QtContacts::QContactManager *manager = nullptr,
                                     QObject *parent = nullptr);
    ~ContactPickerController() override;

    MApplicationPage *page() const { return m_page; }
    QString title() const;
    void setTitle(const QString &title);
    QString filter() const;
    void setFilter(const QString &text);
    void scrollToTop();

    ContactPickerModel *model() const;
    MList *list() const;
    MTextEdit *filterEdit() const;
    // The first fetch has finished.
    bool isLoaded() const;
    // Reads the contact and emits contactPicked() with it (nothing if it is gone).
    void pick(QContactLocalId id);

Q_SIGNALS:
    void contactPicked(const QtContacts::QContact &contact);
    // The list now shows the address book as read (after each read).
    void loaded();

private:
    void onPickStateChanged();

    QtContacts::QContactManager *m_manager;
    MApplicationPage *m_page;
    MLabel *m_title;
    ContactPickerList *m_list;
    QPointer<QtContacts::QContactFetchRequest> m_pick;
};
