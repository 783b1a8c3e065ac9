#include "sqlitecallreader.h"

#include "importprogress.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <memory>
#include <sqlite3.h>

using CommHistory::Event;

SqliteCallReader::SqliteCallReader(const QString &table, const QStringList &columns,
                                   const QString &account)
    : m_account(account), m_table(table), m_columns(columns)
{
}

bool SqliteCallReader::text(sqlite3_stmt *row, int i, QString *out, QString *error) const
{
    switch (sqlite3_column_type(row, i)) {
    case SQLITE_NULL:
        *out = QString();
        return true;
    case SQLITE_BLOB:
        *error = QStringLiteral("\"%1\" holds binary data, not text").arg(m_columns.at(i));
        return false;
    default: {
        const void *data = sqlite3_column_text16(row, i);
        *out = QString(static_cast<const QChar *>(data), sqlite3_column_bytes16(row, i) / 2);
        return true;
    }
    }
}

bool SqliteCallReader::integer(sqlite3_stmt *row, int i, qint64 *out, QString *error) const
{
    bool ok = false;
    switch (sqlite3_column_type(row, i)) {
    case SQLITE_INTEGER:
        *out = sqlite3_column_int64(row, i);
        ok = true;
        break;
    case SQLITE_FLOAT: {
        const double value = sqlite3_column_double(row, i);
        ok = std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15;
        *out = qint64(value);
        break;
    }
    case SQLITE_TEXT:
        *out = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(row, i)))
                   .trimmed()
                   .toLongLong(&ok);
        break;
    default:
        break;
    }
    if (!ok)
        *error = QStringLiteral("\"%1\" is not a whole number").arg(m_columns.at(i));
    return ok;
}

namespace {
struct Closer
{
    void operator()(sqlite3 *db) const { sqlite3_close_v2(db); }
    void operator()(sqlite3_stmt *st) const { sqlite3_finalize(st); }
};
} // namespace

bool SqliteCallReader::read(const QString &fileName, ImportProgress *progress, QList<Event> *out)
{
    const QFileInfo info(fileName);
    if (!info.exists())
        return fail(QStringLiteral("%1: no such file").arg(fileName));
    if (!info.isFile())
        return fail(QStringLiteral("%1: not a file").arg(fileName));
    sqlite3 *handle = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(fileName).constData(), &handle,
                             SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    std::unique_ptr<sqlite3, Closer> db(handle);
    auto sqlError = [&](const QString &what) {
        return fail(QStringLiteral("%1: %2 (%3)")
                        .arg(fileName, what, QString::fromUtf8(sqlite3_errmsg(db.get()))));
    };
    if (rc != SQLITE_OK)
        return sqlError(QStringLiteral("cannot be opened"));
    sqlite3_busy_timeout(db.get(), 5000);

    // The columns the table has; also tells a file that is no database at all.
    sqlite3_stmt *raw = nullptr;
    rc = sqlite3_prepare_v2(db.get(), "SELECT name FROM pragma_table_info(?1)", -1, &raw, nullptr);
    std::unique_ptr<sqlite3_stmt, Closer> columns(raw);
    if (rc == SQLITE_NOTADB || (rc & 0xff) == SQLITE_CORRUPT)
        return fail(QStringLiteral("%1: not an SQLite database").arg(fileName));
    if (rc != SQLITE_OK)
        return sqlError(QStringLiteral("cannot be read"));
    const QByteArray table = m_table.toUtf8();
    sqlite3_bind_text(columns.get(), 1, table.constData(), table.size(), SQLITE_STATIC);
    QStringList present;
    while ((rc = sqlite3_step(columns.get())) == SQLITE_ROW)
        present << QString::fromUtf8(
            reinterpret_cast<const char *>(sqlite3_column_text(columns.get(), 0)));
    if (rc == SQLITE_NOTADB || (rc & 0xff) == SQLITE_CORRUPT)
        return fail(QStringLiteral("%1: not an SQLite database, or a damaged one").arg(fileName));
    if (rc != SQLITE_DONE)
        return sqlError(QStringLiteral("cannot be read"));
    if (present.isEmpty())
        return fail(QStringLiteral("%1: no table \"%2\" in this database").arg(fileName, m_table));
    for (const QString &column : m_columns) {
        if (!present.contains(column, Qt::CaseInsensitive))
            return fail(QStringLiteral("%1: table \"%2\" has no column \"%3\"")
                            .arg(fileName, m_table, column));
    }

    const QString quotedTable = QLatin1Char('"') + m_table + QLatin1Char('"');
    qint64 total = 0;
    const QByteArray countSql = QStringLiteral("SELECT count(*) FROM %1").arg(quotedTable).toUtf8();
    rc = sqlite3_prepare_v2(db.get(), countSql.constData(), -1, &raw, nullptr);
    std::unique_ptr<sqlite3_stmt, Closer> count(raw);
    if (rc == SQLITE_OK && sqlite3_step(count.get()) == SQLITE_ROW)
        total = sqlite3_column_int64(count.get(), 0);
    progress->begin(QStringLiteral("reading %1").arg(fileName), total, 10000);

    QStringList quoted;
    for (const QString &column : m_columns)
        quoted << QLatin1Char('"') + column + QLatin1Char('"');
    const QByteArray sql = QStringLiteral("SELECT %1, rowid FROM %2 ORDER BY rowid")
                               .arg(quoted.join(QLatin1String(", ")), quotedTable)
                               .toUtf8();
    rc = sqlite3_prepare_v2(db.get(), sql.constData(), -1, &raw, nullptr);
    std::unique_ptr<sqlite3_stmt, Closer> rows(raw);
    if (rc != SQLITE_OK)
        return sqlError(QStringLiteral("cannot read table \"%1\"").arg(m_table));
    int n = 0;
    while ((rc = sqlite3_step(rows.get())) == SQLITE_ROW) {
        ++n;
        Event e;
        QString error;
        if (!convert(rows.get(), &e, &error))
            return fail(QStringLiteral("%1: table \"%2\", row %3 (rowid %4): %5")
                            .arg(fileName, m_table)
                            .arg(n)
                            .arg(sqlite3_column_int64(rows.get(), m_columns.size()))
                            .arg(error));
        out->append(e);
        if ((n & 1023) == 0)
            progress->advance(n);
    }
    if (rc != SQLITE_DONE)
        return sqlError(
            QStringLiteral("cannot read row %1 of table \"%2\"").arg(n + 1).arg(m_table));
    progress->advance(total);
    return true;
}
