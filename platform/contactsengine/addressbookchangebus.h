#ifndef ADDRESSBOOKCHANGEBUS_H
#define ADDRESSBOOKCHANGEBUS_H

#include "contactsengine.h"

#include <QList>
#include <QObject>
#include <QString>

namespace ContactsEngine {

// Carries "contacts were added, changed or removed" from the engine that wrote them to every other
// engine that has the same address-book file open: directly to engines of this process, and as a
// session-bus signal (no service name needed) to engines of other processes.
//
// Limits: without a session bus, changes reach only the engines of the writing process. Listeners
// are told through a queued call in their own thread; a listener must unsubscribe before it is
// destroyed. One bus signal lists at most MaxIds ids (a larger change goes out as several); any
// peer may send the signal, and one that lists more is ignored before anything is passed on.
class AddressBookChangeBus
{
public:
    enum { MaxIds = 10000 };

    // The object path and interface of the bus signal "Changed(s file, s origin, au added,
    // au changed, au removed)"; origin identifies the sending process.
    static const char objectPath[];
    static const char interfaceName[];
    static const char signalName[];

    // What a listener is told, in its own thread.
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual QObject *listenerObject() = 0;
        virtual void externalChange(const QList<QContactLocalId> &added,
                                    const QList<QContactLocalId> &changed,
                                    const QList<QContactLocalId> &removed) = 0;
    };

    // Registers a listener for the file and connects it to the bus signal.
    static void subscribe(Listener *listener, const QString &databaseFile);
    static void unsubscribe(Listener *listener);

    // Announces a change made by from (not told) to every other listener of the file.
    static void publish(Listener *from, const QString &databaseFile,
                        const QList<QContactLocalId> &added, const QList<QContactLocalId> &changed,
                        const QList<QContactLocalId> &removed);

    // Handles a bus signal received by a listener (called by its connected slot).
    static void deliverFromBus(Listener *listener, const QString &databaseFile,
                               const QString &origin, const QList<uint> &added,
                               const QList<uint> &changed, const QList<uint> &removed);

    // Waits until the bus has taken every change announced so far; a process that writes and then
    // exits at once calls it before it exits, or its last announcement may be lost.
    static void flush();

    // This process's token in the origin argument.
    static QString processToken();
};

} // namespace ContactsEngine

#endif // ADDRESSBOOKCHANGEBUS_H
