#ifndef SQLITECALLREADER_H
#define SQLITECALLREADER_H

#include "callreader.h"

#include <QStringList>

struct sqlite3;
struct sqlite3_stmt;

/*
 * Reads the calls of another phone program's SQLite database: one table, one call per row.
 * The file is opened read-only and never changed. A file that is not an SQLite database, a
 * database without the table or without one of the columns, and a row whose values cannot
 * be read stop the import with an error naming the file, the table, the column or the row
 * (its place in the table and its rowid).
 *
 * Only a real table is read: a view, a virtual table or a table without rowid under the
 * table's name, and a computed (generated) column among those read, are refused before a row
 * is read, since each can make SQLite run code of the file's choosing for every row. The work
 * and memory stay bounded: a value read may take at most MaxValueBytes bytes (SQLite refuses a
 * longer one, the row is named), and a table may hold at most CallReader::MaxCalls rows.
 *
 * The network of a call comes from the optional "protocol" column both programs keep: "tel"
 * is a cellular call, put on the account given; "sip" and "sips" are internet calls, put on
 * the VoIP account given, or left out (and counted in skipped()) when there is none; any other
 * protocol is left out and counted. Without the column, or with an empty value, a remote
 * identifier that is a sip: or sips: URI is an internet call and anything else a cellular one.
 * A call never goes on the cellular account unless it is a cellular call.
 *
 * A subclass names the table and the columns it reads and converts one row at a time.
 */
class SqliteCallReader : public CallReader
{
public:
    enum { MaxValueBytes = 65536 };

    bool read(const QString &fileName, ImportProgress *progress,
              QList<CommHistory::Event> *out) override;

protected:
    // account: the cellular calls' account; voipAccount: the internet calls', or empty to
    // leave them out.
    SqliteCallReader(const QString &table, const QStringList &columns, const QString &account,
                     const QString &voipAccount);

    // Converts the current row, all but the account; column i is the i-th of the columns
    // given.
    virtual bool convert(sqlite3_stmt *row, CommHistory::Event *event, QString *error) const = 0;

    // The value of column i as text: a null string for NULL, numbers in their usual form.
    // Fails for binary data.
    bool text(sqlite3_stmt *row, int i, QString *out, QString *error) const;
    // The value of column i as a whole number (also from a text of digits). Fails for NULL.
    bool integer(sqlite3_stmt *row, int i, qint64 *out, QString *error) const;

    QString columnName(int i) const;

private:
    enum Network { Cellular, Internet, OtherNetwork };
    static Network networkOf(const QString &protocol, const QString &remote);
    bool sqlFail(sqlite3 *db, const QString &fileName, const QString &what);
    // Checks that the table is a real one with the columns; sets *hasProtocol.
    bool checkTable(sqlite3 *db, const QString &fileName, bool *hasProtocol);

    const QString m_account;
    const QString m_voipAccount;
    QString m_table;
    QStringList m_columns;
};

#endif
