#pragma once

#include "sortedcontactlist.h"

#include <QObject>
#include <QPointer>
#include <QSharedPointer>

class QTimer;
namespace QtContacts {
class QContactFetchRequest;
class QContactManager;
} // namespace QtContacts

// The names (with their numbers, for the filter) of one address book in list order (a
// SortedContactList), kept for the life of its manager and shared by every contact picker of the
// process, so that opening a picker neither reads the whole book nor sorts it again.
//
// The book is read with an asynchronous request (in the engine's worker thread) and sorted in a
// thread of the global pool; the GUI thread only takes the finished list. Any change to the book,
// also one made by another process, reads it again (bursts coalesced); updated() is emitted with
// each new list. Until the first list is ready, isReady() is false and list() is empty.
//
// Limits: a change re-reads the whole book; the order is that of the locale current when the
// list was built (a new locale is seen by the next read).
class ContactNameIndex : public QObject
{
    Q_OBJECT
public:
    // The index of `manager` (its child, made on first use and read at once); null for null.
    static ContactNameIndex *of(QtContacts::QContactManager *manager);

    bool isReady() const { return m_ready; }
    QSharedPointer<const SortedContactList> list() const { return m_list; }
    // Reads the book again (coalesced with other changes).
    void refresh();

Q_SIGNALS:
    void updated();

private:
    explicit ContactNameIndex(QtContacts::QContactManager *manager);
    void fetch();
    void onFetchStateChanged();
    void publish(const QSharedPointer<const SortedContactList> &list);

    QtContacts::QContactManager *m_manager;
    QTimer *m_refetch;
    QPointer<QtContacts::QContactFetchRequest> m_fetch;
    QSharedPointer<const SortedContactList> m_list;
    // A read is running (fetching or sorting); another change asks for one more afterwards.
    bool m_busy = false;
    bool m_again = false;
    bool m_ready = false;
};
