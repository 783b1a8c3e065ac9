#ifndef ADDRESSBOOKJOB_H
#define ADDRESSBOOKJOB_H

#include "contactsengine.h"

#include <QtContacts/QContact>
#include <QtContacts/QContactFetchHint>
#include <QtContacts/QContactFilter>
#include <QtContacts/QContactManager>
#include <QtContacts/QContactSortOrder>

#include <QAtomicInt>
#include <QList>
#include <QMap>
#include <QSemaphore>

namespace ContactsEngine {

// One piece of work for the address book, shared between the engine that asks for it (in the
// thread of its requests) and the worker that runs it: what to do and what came of it. The worker
// writes the results before it marks the job done; the asking side reads them only after wait()
// has returned true, so the two never touch the results at the same time.
//
// Limits: a job runs at most once; cancel() only withdraws a job that has not started.
class AddressBookJob
{
public:
    enum Kind { Fetch, FetchById, FetchIds, Save, Remove };

    explicit AddressBookJob(Kind kind) : kind(kind) {}

    const Kind kind;

    // What to do (set before the job is handed over).
    QtContacts::QContactFilter filter;
    QList<QtContacts::QContactSortOrder> sorting;
    QtContacts::QContactFetchHint fetchHint;
    QList<QtContacts::QContactId> ids;
    QList<QtContacts::QContact> contacts; // to save; afterwards as saved, with their ids
    QList<QtContacts::QContactDetail::DetailType> typeMask;

    // What came of it (valid once wait() returned true).
    QList<QtContacts::QContact> found;
    QList<QtContacts::QContactId> foundIds;
    QtContacts::QContactManager::Error error = QtContacts::QContactManager::NoError;
    QMap<int, QtContacts::QContactManager::Error> errorMap;
    QList<QContactLocalId> added, changed, removed;

    // The worker's side: claims the job (false if it was cancelled), then marks it done.
    bool begin() { return m_state.testAndSetOrdered(Queued, Running); }
    void finish() { m_done.release(); }

    // The asking side: withdraws a job that has not started yet.
    bool cancel() { return m_state.testAndSetOrdered(Queued, Cancelled); }
    // Waits until the job is done (msecs < 0: without limit); true once it is.
    bool wait(int msecs)
    {
        if (!m_done.tryAcquire(1, msecs))
            return false;
        m_done.release(); // done stays done for later waits
        return true;
    }
    // Set by the asking side once it has handed the results on.
    bool delivered = false;

private:
    enum State { Queued, Running, Cancelled };
    QAtomicInt m_state{Queued};
    QSemaphore m_done;
};

} // namespace ContactsEngine

#endif // ADDRESSBOOKJOB_H
