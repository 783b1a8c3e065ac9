#pragma once

#include <QDBusConnection>

// Opens the session and system bus connections that every part of a process shares, so that
// the names the bus grants the process are recorded before anything else uses the connection.
//
// Why: Qt records the names a connection owns (the bus's NameAcquired and NameLost signals) in
// its D-Bus thread, while every call sent from another thread reads that record; the two are
// not kept apart by a lock. A standard bus first requested from the main thread holds its
// incoming messages back until the event loop runs, so the record of the unique name, and of any
// name registered before the loop, is changed only then, exactly while the program starts
// sending calls: now and then that crashed a program at start. Opened here, messages are handled
// as they come, in order: a name is recorded before the reply to its request (or to anything sent
// after the grant) returns.
//
// Limits: it helps only when it opens the bus first in the process; code that needs the bus
// early asks here instead of QDBusConnection::sessionBus(). Later calls return the open
// connection at the cost of a copy.
class BusOpener
{
public:
    static QDBusConnection session();
    static QDBusConnection system();
};
