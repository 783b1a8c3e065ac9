#pragma once

#include "addressbookcontactresolver.h"

#include <QtContacts/QContactManager>

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>

namespace CommHistory {
class EventModel;
}
class ContactChangeRelay;

// Keeps the matched contacts of the history store's models current: gives each attached model an
// AddressBookContactResolver on the address book of a QContactManager, and re-resolves the rows
// of every attached model (EventModel::refreshContacts(), which a model with contact changes
// disabled ignores) once the address book has reported no change for debounce ms after contacts
// were added, changed or removed. The default debounce is short enough for a change made in
// another program (GNOME Contacts, through EDS) to reach the rows within a second, and long enough
// to take a burst of changes (an import, the first reading of EDS) in one refresh.
//
// instance() follows the address book of CallHistoryContactsManager::instance(), for the models
// of the process.
//
// Limits: GUI thread. Follows one address-book connection, which it does not own; when that is
// destroyed rows keep their contacts until they are read again.
class EventContactsUpdater : public QObject
{
    Q_OBJECT
public:
    static const int DefaultDebounce = 250;

    static EventContactsUpdater *instance();

    explicit EventContactsUpdater(QtContacts::QContactManager *addressBook,
                                  QObject *parent = nullptr, int debounce = DefaultDebounce);
    ~EventContactsUpdater() override;

    // Gives the model the resolver and refreshes it on address-book changes while it exists.
    void attach(CommHistory::EventModel *model);

    std::shared_ptr<AddressBookContactResolver> resolver() const { return m_resolver; }

private Q_SLOTS:
    void onAddressBookChanged();
    void refreshModels();

private:
    std::shared_ptr<AddressBookContactResolver> m_resolver;
    QList<QPointer<CommHistory::EventModel>> m_models;
    QTimer m_debounce;
};
