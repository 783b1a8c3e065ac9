#ifndef ADDRESSBOOKWORKER_H
#define ADDRESSBOOKWORKER_H

#include "addressbookdatabase.h"
#include "addressbookjob.h"

#include <QObject>
#include <QScopedPointer>

namespace ContactsEngine {

// The half of the address-book engine that runs in the engine's worker thread: it owns the
// engine's database connection and runs the jobs handed to it, one after another in the order
// they were handed over, so that the thread of the requests never waits for the file (a busy
// file may hold a job for up to the connection's busy time-out).
//
// Limits: filters other than ids and GUIDs are evaluated by reading the whole book; changes are
// only reported in the job (announcing them is the engine's part, in its own thread).
class AddressBookWorker : public QObject
{
    Q_OBJECT
public:
    // Takes over an opened connection.
    explicit AddressBookWorker(AddressBookDatabase *database);
    ~AddressBookWorker() override;

    // Runs the job unless it was cancelled, then marks it done. Called in the worker's thread.
    void run(AddressBookJob *job);

private:
    QList<QtContacts::QContact> contacts(const QtContacts::QContactFilter &filter,
                                         const QList<QtContacts::QContactSortOrder> &sortOrders,
                                         const QtContacts::QContactFetchHint &fetchHint,
                                         QtContacts::QContactManager::Error *error);
    QList<QtContacts::QContact> contacts(const QList<QtContacts::QContactId> &contactIds,
                                         const QtContacts::QContactFetchHint &fetchHint,
                                         QMap<int, QtContacts::QContactManager::Error> *errorMap,
                                         QtContacts::QContactManager::Error *error);
    QList<QtContacts::QContactId> contactIds(const QtContacts::QContactFilter &filter,
                                             const QList<QtContacts::QContactSortOrder> &sortOrders,
                                             QtContacts::QContactManager::Error *error);
    void save(AddressBookJob *job);
    void remove(AddressBookJob *job);

    QScopedPointer<AddressBookDatabase> m_database;
};

} // namespace ContactsEngine

#endif // ADDRESSBOOKWORKER_H
