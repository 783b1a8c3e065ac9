#ifndef PLASMADIALERREADER_H
#define PLASMADIALERREADER_H

#include "sqlitecallreader.h"

/*
 * Plasma Dialer's history, calls.sqlite: table "History" with "communicationWith" (the number),
 * "direction" (1 incoming, 2 outgoing), "startedAt" (local time, yyyy-MM-ddThh:mm:ss.zzz, read
 * in this machine's time zone unless the text carries an offset) and "duration" (seconds; NULL
 * counts as 0). An incoming call that lasted 0 seconds is missed.
 *
 * An empty or missing number is a withheld one (an empty remote identifier). The "protocol"
 * column says which account a call goes on (see SqliteCallReader); every call is read. Times and
 * numbers are held to CallBounds.
 */
class PlasmaDialerReader : public SqliteCallReader
{
public:
    PlasmaDialerReader(const QString &account, const QString &voipAccount);

protected:
    bool convert(sqlite3_stmt *row, CommHistory::Event *event, QString *error) const override;

private:
    // A local time as seconds since the epoch; a time in the hour skipped by a change to
    // summer time counts with the offset from before the change.
    static bool localTime(const QString &text, qint64 *secs);
};

#endif
