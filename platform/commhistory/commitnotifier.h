#ifndef COMMHISTORY_COMMITNOTIFIER_H
#define COMMHISTORY_COMMITNOTIFIER_H

#include <QDBusMessage>
#include <QList>
#include <QObject>
#include <QString>

namespace CommHistory {

/*
 * Tells every model of every process that the history was written.
 *
 * After each committed write the store calls announce(): the change is emitted at once as
 * committed() to the models of this process and sent on the session bus as the service-less
 * signal "EventsCommitted" (path "/CommHistory", interface "com.velto.CommHistory", arguments:
 * database path (s), operation (i), event ids (ai)). Announcements of other processes arrive
 * from the bus and are emitted as committed() too; this process's own ones are not emitted twice.
 * Bulk writes (more than MaxIds ids, deleting everything, imports) are announced as Reset, on
 * which models load again.
 *
 * Any peer on the bus can send the signal: one with other argument types, or with a database
 * path longer than BusLimits::MaxFilePathLength, is ignored, and one listing more than MaxIds ids
 * counts as Reset (a correct sender never sends such a list; the ids past MaxIds are not read).
 *
 * One object per process, never destroyed, living in the application's main thread; announce()
 * may be called from any thread. Without a session bus the announcements stay in the process.
 */
class CommitNotifier : public QObject
{
    Q_OBJECT

public:
    enum Operation { Added = 0, Modified = 1, Deleted = 2, Reset = 3 };
    enum { MaxIds = 1000 };

    static CommitNotifier *instance();

    // Thread-safe. With waitForDelivery the call returns only once the bus has the signal, so
    // that a short-lived tool cannot exit before its announcement left.
    void announce(const QString &databasePath, Operation operation, const QList<int> &ids,
                  bool waitForDelivery = false);

Q_SIGNALS:
    void committed(const QString &databasePath, int operation, const QList<int> &ids);

private Q_SLOTS:
    void onBusSignal(const QDBusMessage &message);

private:
    CommitNotifier();
};

} // namespace CommHistory

#endif
