#ifndef GNOMECALLSREADER_H
#define GNOMECALLSREADER_H

#include "sqlitecallreader.h"

/*
 * GNOME Calls' history, records.db: table "calls" with "target" (the number or address),
 * "inbound" (0 or 1), and "start", "answered", "end" as ISO 8601 UTC texts (a text without an
 * offset is taken as UTC too). An inbound call that was never answered is missed.
 *
 * A call's duration counts from its answer (from its start when it was not answered) to its
 * end; a call without an end lasted no time. An empty or missing target is a withheld number
 * (an empty remote identifier). The "protocol" column ("tel", "sip", ...) says which account a
 * call goes on (see SqliteCallReader); every call is read (the person saw these calls on the
 * other program). Times and numbers are held to CallBounds.
 */
class GnomeCallsReader : public SqliteCallReader
{
public:
    GnomeCallsReader(const QString &account, const QString &voipAccount);

protected:
    bool convert(sqlite3_stmt *row, CommHistory::Event *event, QString *error) const override;

private:
    // An optional time column; absent (NULL or empty) leaves *present false.
    bool time(sqlite3_stmt *row, int column, qint64 *secs, bool *present, QString *error) const;
};

#endif
