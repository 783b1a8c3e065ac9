#pragma once

#include "callhistorycontact.h"
#include "contactsengine.h"

#include <QtContacts/QContactAbstractRequest>
#include <QtContacts/QContactDetail>
#include <QtContacts/QContactFetchHint>
#include <QtContacts/QContactManager>

#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QTimer>

namespace QtContacts {
class QContactFetchRequest;
}
class ContactChangeRelay;

// Turns local contact ids into shared CallHistoryContact records and keeps them filled from the
// address book: new and changed records are fetched in batches (at most batchLimit records, at
// most batchWindow ms after the first was queued), address-book change notifications are
// coalesced (one refresh changeDebounce ms after the last one), and records nobody holds are
// evicted releaseDelay ms after their last release. By default a change reaches the records
// within a second (changeDebounce and batchWindow together), also one made through EDS. It also
// owns the process's connection to the address book, which the voicemail service and the number
// picker borrow.
//
// instance() is the process's manager, on the default address book, a child of the application
// object. Other managers (tests, tools) name their book and timings themselves.
//
// Limits: GUI thread only. A fetch that fails or misses a contact leaves its record as it was
// (unresolved if it never resolved); only a later change notification or a new record retries.
// Removal of a contact is not followed: its record keeps the last fetched data.
class CallHistoryContactsManager : public QObject
{
    Q_OBJECT
public:
    struct Timings
    {
        int batchWindow = 500;
        int changeDebounce = 250;
        int releaseDelay = CallHistoryContact::DefaultReleaseDelay;
    };
    static const int BatchLimit = 20;

    static CallHistoryContactsManager *instance();

    // A manager on the address book that the engine parameters name (no parameters: the default
    // book, see ContactsEngine::databasePath()).
    explicit CallHistoryContactsManager(
        const QMap<QString, QString> &engineParameters = QMap<QString, QString>(),
        QObject *parent = nullptr);
    // The same with other intervals (tests).
    CallHistoryContactsManager(const QMap<QString, QString> &engineParameters,
                               const Timings &timings, QObject *parent = nullptr);
    ~CallHistoryContactsManager() override;

    // The record for id with one reference taken for the caller, who must release() it exactly
    // once. Never null; possibly unresolved (connect updated()).
    CallHistoryContact *acquireContact(QContactLocalId id);
    // Queues the record for the next batched fetch.
    void requestUpdate(CallHistoryContact *contact);

    // The shared address-book connection (null once destroyed).
    QtContacts::QContactManager *contactManager() const { return m_contactManager.data(); }
    // The name a contact is shown with.
    QString displayLabel(const QtContacts::QContact &contact) const;

    // The detail types that fetches read.
    static QList<QtContacts::QContactDetail::DetailType> fetchedDetailTypes();

    // For tests and diagnostics: the cached record of id (no reference taken), the records
    // waiting for the next batch, and the fetches in flight.
    CallHistoryContact *cachedContact(QContactLocalId id) const { return m_contacts.value(id); }
    int pendingCount() const { return m_pendingContacts.size(); }
    int requestsInFlight() const { return m_requests.size(); }

private Q_SLOTS:
    void slotContactUnreferenced(QContactLocalId contactId);
    void slotOnContactsChanged(const QList<QContactLocalId> &contactIds);
    void slotOnRequestStateChanged(QtContacts::QContactAbstractRequest::State state);
    void slotTimeout();
    void onUpdateTimeout();

private:
    void releaseAll(const QList<CallHistoryContact *> &contacts);

    QMap<QContactLocalId, CallHistoryContact *> m_contacts;
    QPointer<QtContacts::QContactManager> m_contactManager;
    ContactChangeRelay *m_changeRelay = nullptr;
    QTimer m_changeTimer;
    QList<QContactLocalId> m_changedIds;
    QTimer m_batchTimer;
    QList<CallHistoryContact *> m_pendingContacts;
    QMap<QtContacts::QContactFetchRequest *, QList<CallHistoryContact *>> m_requests;
    const int m_releaseDelay;
};
