#ifndef COMMHISTORY_EVENTWORKER_H
#define COMMHISTORY_EVENTWORKER_H

#include "contactresolver.h"
#include "eventfilter.h"
#include "eventrow.h"
#include "eventstore.h"

#include <QObject>
#include <memory>

namespace CommHistory {

/*
 * The half of an event model that lives in the background thread: it owns the model's own
 * database connection and answers the model's requests in the order they were made, each with
 * one signal. Requests are made by calling the public functions through queued invocations
 * (QMetaObject::invokeMethod with this object as context); interrupt() may be called from any
 * thread, and so may interruptReads(). The connection is opened on the first request; a failed
 * open is retried on the next.
 */
class EventWorker : public QObject
{
    Q_OBJECT

public:
    enum WriteOperation { Add, Modify, Delete, DeleteAll };

    explicit EventWorker(const QString &databasePath);

    void setContactResolver(const std::shared_ptr<ContactResolver> &resolver);

    // Reads up to rows more rows after the event given as after; with collapse, rows count
    // collapsed rows and the last one is read to its end. The rows are made here (the event a
    // collapsed row shows is a copy of its newest call): in this thread's memory, with the
    // events, not in the memory of the thread that keeps them.
    void fetch(int generation, const EventFilter &filter, const Event &after, int rows,
               bool collapse);
    // Reads the events of ids again; those not stored or not matching filter are left out.
    void reread(int generation, int reason, const EventFilter &filter, const QList<int> &ids);
    void write(int operation, const QList<Event> &events, const QList<int> &ids);

    void interrupt() { m_store.interrupt(); }
    // Drops the running and later reads; the writes asked for still run (see EventStore).
    void interruptReads() { m_store.interruptReads(); }
    // Lets go of what the store keeps for later reads (EventStore::releaseMemory()), and hands
    // the pages this thread's heap no longer uses back to the system.
    void releaseMemory();
    QString databasePath() const { return m_store.path(); }

Q_SIGNALS:
    void fetched(int generation, const QVector<CommHistory::EventRow> &rows, bool atEnd);
    void fetchFailed(int generation, const QString &error);
    void rereadDone(int generation, int reason, const QList<int> &ids,
                    const QList<CommHistory::Event> &events, bool ok);
    void written(int operation, bool ok, const QList<CommHistory::Event> &events,
                 const QList<int> &ids, const QString &error);

private:
    void resolve(QList<Event> &events);

    EventStore m_store;
    std::shared_ptr<ContactResolver> m_resolver;
};

} // namespace CommHistory

#endif
