#ifndef SQLITECALLREADER_H
#define SQLITECALLREADER_H

#include "callreader.h"

#include <QStringList>

struct sqlite3_stmt;

/*
 * Reads the calls of another phone program's SQLite database: one table, one call per row.
 * The file is opened read-only and never changed. A file that is not an SQLite database, a
 * database without the table or without one of the columns, and a row whose values cannot
 * be read stop the import with an error naming the file, the table, the column or the row
 * (its place in the table and its rowid).
 *
 * A subclass names the table and the columns it reads and converts one row at a time.
 */
class SqliteCallReader : public CallReader
{
public:
    bool read(const QString &fileName, ImportProgress *progress,
              QList<CommHistory::Event> *out) override;

protected:
    SqliteCallReader(const QString &table, const QStringList &columns, const QString &account);

    // Converts the current row; column i is the i-th of the columns given.
    virtual bool convert(sqlite3_stmt *row, CommHistory::Event *event, QString *error) const = 0;

    // The value of column i as text: a null string for NULL, numbers in their usual form.
    // Fails for binary data.
    bool text(sqlite3_stmt *row, int i, QString *out, QString *error) const;
    // The value of column i as a whole number (also from a text of digits). Fails for NULL.
    bool integer(sqlite3_stmt *row, int i, qint64 *out, QString *error) const;

    QString columnName(int i) const { return m_columns.at(i); }

    const QString m_account;

private:
    QString m_table;
    QStringList m_columns;
};

#endif
