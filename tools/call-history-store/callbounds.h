#ifndef CALLBOUNDS_H
#define CALLBOUNDS_H

#include "event.h"

#include <QString>

/*
 * The bounds a call read from a file is held to, in one place, so that every format says the
 * same about the same call. A remote identifier is at most Event::MaxRemoteUidLength characters
 * (checked for every writer of the store tool: add, and every import format). The times are
 * checked for the histories of other phone programs: a call starts between 1970-01-01 and
 * 9999-12-31 (UTC), ends no earlier than it starts and lasts at most 100 days. Anything else
 * comes from a damaged or hostile file, not from a phone.
 *
 * The errors say what is wrong without repeating a long value.
 */
class CallBounds
{
public:
    static constexpr qint64 EarliestStart = 0;            // 1970-01-01T00:00:00Z
    static constexpr qint64 LatestStart = 253402300799LL; // 9999-12-31T23:59:59Z
    static constexpr qint64 LongestCall = 100LL * 24 * 3600;

    static bool checkRemote(const QString &remote, QString *error);
    // A call of seconds from start; seconds is checked before anything is added to start.
    static bool checkTimes(qint64 start, qint64 seconds, QString *error);
    // Both, for a call read from another program's history.
    static bool check(const QString &remote, qint64 start, qint64 seconds, QString *error);
};

#endif
