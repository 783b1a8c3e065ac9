#include "sqlitecallreader.h"

#include "importprogress.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <memory>
#include <sqlite3.h>

using CommHistory::Event;

namespace {
struct Closer
{
    void operator()(sqlite3 *db) const { sqlite3_close_v2(db); }
    void operator()(sqlite3_stmt *st) const { sqlite3_finalize(st); }
};

const char Protocol[] = "protocol";

bool isDamaged(int rc)
{
    return rc == SQLITE_NOTADB || (rc & 0xff) == SQLITE_CORRUPT;
}

QString columnText(sqlite3_stmt *st, int i)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, i)));
}
} // namespace

SqliteCallReader::SqliteCallReader(const QString &table, const QStringList &columns,
                                   const QString &account, const QString &voipAccount)
    : m_account(account), m_voipAccount(voipAccount), m_table(table), m_columns(columns)
{
}

QString SqliteCallReader::columnName(int i) const
{
    // The rows are read as the columns given, then the rowid and the protocol.
    if (i < m_columns.size())
        return m_columns.at(i);
    return i == m_columns.size() ? QStringLiteral("rowid") : QLatin1String(Protocol);
}

bool SqliteCallReader::text(sqlite3_stmt *row, int i, QString *out, QString *error) const
{
    switch (sqlite3_column_type(row, i)) {
    case SQLITE_NULL:
        *out = QString();
        return true;
    case SQLITE_BLOB:
        *error = QStringLiteral("\"%1\" holds binary data, not text").arg(columnName(i));
        return false;
    default: {
        const char *data = reinterpret_cast<const char *>(sqlite3_column_text(row, i));
        if (!data) {
            *error = QStringLiteral("\"%1\" cannot be read as text").arg(columnName(i));
            return false;
        }
        *out = QString::fromUtf8(data, sqlite3_column_bytes(row, i));
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
        *out = columnText(row, i).trimmed().toLongLong(&ok);
        break;
    default:
        break;
    }
    if (!ok)
        *error = QStringLiteral("\"%1\" is not a whole number").arg(columnName(i));
    return ok;
}

SqliteCallReader::Network SqliteCallReader::networkOf(const QString &protocol,
                                                      const QString &remote)
{
    const QString p = protocol.trimmed();
    if (p.isEmpty())
        return remote.startsWith(QLatin1String("sip:"), Qt::CaseInsensitive) ||
                       remote.startsWith(QLatin1String("sips:"), Qt::CaseInsensitive)
                   ? Internet
                   : Cellular;
    if (p.compare(QLatin1String("tel"), Qt::CaseInsensitive) == 0)
        return Cellular;
    if (p.compare(QLatin1String("sip"), Qt::CaseInsensitive) == 0 ||
        p.compare(QLatin1String("sips"), Qt::CaseInsensitive) == 0)
        return Internet;
    return OtherNetwork;
}

bool SqliteCallReader::sqlFail(sqlite3 *db, const QString &fileName, const QString &what)
{
    return fail(
        QStringLiteral("%1: %2 (%3)").arg(fileName, what, QString::fromUtf8(sqlite3_errmsg(db))));
}

bool SqliteCallReader::checkTable(sqlite3 *db, const QString &fileName, bool *hasProtocol)
{
    auto sqlError = [&](const QString &what) { return sqlFail(db, fileName, what); };
    auto stepError = [&](int rc) {
        return isDamaged(rc) ? fail(QStringLiteral("%1: not an SQLite database, or a damaged one")
                                        .arg(fileName))
                             : sqlError(QStringLiteral("cannot be read"));
    };
    const QByteArray table = m_table.toUtf8();

    // What the name stands for; also tells a file that is no database at all.
    sqlite3_stmt *raw = nullptr;
    int rc = sqlite3_prepare_v2(
        db, "SELECT type, wr FROM pragma_table_list(?1) WHERE schema = 'main'", -1, &raw, nullptr);
    std::unique_ptr<sqlite3_stmt, Closer> kind(raw);
    if (isDamaged(rc))
        return fail(QStringLiteral("%1: not an SQLite database").arg(fileName));
    if (rc != SQLITE_OK)
        return sqlError(QStringLiteral("cannot be read"));
    sqlite3_bind_text(kind.get(), 1, table.constData(), table.size(), SQLITE_STATIC);
    rc = sqlite3_step(kind.get());
    if (rc == SQLITE_DONE)
        return fail(QStringLiteral("%1: no table \"%2\" in this database").arg(fileName, m_table));
    if (rc != SQLITE_ROW)
        return stepError(rc);
    // A view or a virtual table would run the file's own query or module for every row.
    const QString type = columnText(kind.get(), 0);
    if (type != QLatin1String("table"))
        return fail(QStringLiteral("%1: \"%2\" is a %3, not a table (only a table's stored rows "
                                   "are read)")
                        .arg(fileName, m_table,
                             type == QLatin1String("virtual")  ? QStringLiteral("virtual table")
                             : type == QLatin1String("shadow") ? QStringLiteral("shadow table")
                                                               : type.left(20)));
    if (sqlite3_column_int(kind.get(), 1))
        return fail(QStringLiteral("%1: \"%2\" is a table without rowid, not a call table")
                        .arg(fileName, m_table));

    // The columns the table has, and whether each is stored or computed.
    rc = sqlite3_prepare_v2(db, "SELECT name, hidden FROM pragma_table_xinfo(?1)", -1, &raw,
                            nullptr);
    std::unique_ptr<sqlite3_stmt, Closer> columns(raw);
    if (rc != SQLITE_OK)
        return sqlError(QStringLiteral("cannot be read"));
    sqlite3_bind_text(columns.get(), 1, table.constData(), table.size(), SQLITE_STATIC);
    QMap<QString, bool> computed; // by name in lower case
    while ((rc = sqlite3_step(columns.get())) == SQLITE_ROW)
        computed.insert(columnText(columns.get(), 0).toLower(),
                        sqlite3_column_int(columns.get(), 1) != 0);
    if (rc != SQLITE_DONE)
        return stepError(rc);
    *hasProtocol = computed.contains(QLatin1String(Protocol));
    QStringList read = m_columns;
    if (*hasProtocol)
        read << QLatin1String(Protocol);
    for (const QString &column : qAsConst(read)) {
        const auto found = computed.constFind(column.toLower());
        if (found == computed.constEnd())
            return fail(QStringLiteral("%1: table \"%2\" has no column \"%3\"")
                            .arg(fileName, m_table, column));
        if (found.value())
            return fail(QStringLiteral("%1: column \"%3\" of table \"%2\" is computed, not "
                                       "stored (only a table's stored rows are read)")
                            .arg(fileName, m_table, column));
    }
    return true;
}

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
    auto sqlError = [&](const QString &what) { return sqlFail(db.get(), fileName, what); };
    if (rc != SQLITE_OK)
        return sqlError(QStringLiteral("cannot be opened"));
    sqlite3_busy_timeout(db.get(), 5000);
    // No value of a call row comes near this; a longer one is refused by SQLite as it is read,
    // before it takes memory.
    sqlite3_limit(db.get(), SQLITE_LIMIT_LENGTH, MaxValueBytes);
    bool hasProtocol = false;
    if (!checkTable(db.get(), fileName, &hasProtocol))
        return false;

    const QString quotedTable = QLatin1Char('"') + m_table + QLatin1Char('"');
    sqlite3_stmt *raw = nullptr;
    const QByteArray countSql = QStringLiteral("SELECT count(*) FROM %1").arg(quotedTable).toUtf8();
    rc = sqlite3_prepare_v2(db.get(), countSql.constData(), -1, &raw, nullptr);
    std::unique_ptr<sqlite3_stmt, Closer> count(raw);
    if (rc != SQLITE_OK || sqlite3_step(count.get()) != SQLITE_ROW)
        return sqlError(QStringLiteral("cannot read table \"%1\"").arg(m_table));
    const qint64 total = sqlite3_column_int64(count.get(), 0);
    if (total > MaxCalls)
        return fail(QStringLiteral("%1: table \"%2\" has %3 rows, %4")
                        .arg(fileName, m_table)
                        .arg(total)
                        .arg(tooManyCalls()));
    progress->begin(QStringLiteral("reading %1").arg(fileName), total, 10000);

    QStringList quoted;
    for (const QString &column : m_columns)
        quoted << QLatin1Char('"') + column + QLatin1Char('"');
    quoted << QStringLiteral("rowid");
    if (hasProtocol)
        quoted << QLatin1Char('"') + QLatin1String(Protocol) + QLatin1Char('"');
    const QByteArray sql = QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                               .arg(quoted.join(QLatin1String(", ")), quotedTable)
                               .toUtf8();
    rc = sqlite3_prepare_v2(db.get(), sql.constData(), -1, &raw, nullptr);
    std::unique_ptr<sqlite3_stmt, Closer> rows(raw);
    if (rc != SQLITE_OK)
        return sqlError(QStringLiteral("cannot read table \"%1\"").arg(m_table));
    const int rowid = m_columns.size();
    int n = 0;
    while ((rc = sqlite3_step(rows.get())) == SQLITE_ROW) {
        if (++n > MaxCalls)
            return fail(
                QStringLiteral("%1: table \"%2\": %3").arg(fileName, m_table, tooManyCalls()));
        Event e;
        QString error, protocol;
        if (!convert(rows.get(), &e, &error) ||
            (hasProtocol && !text(rows.get(), rowid + 1, &protocol, &error)))
            return fail(QStringLiteral("%1: table \"%2\", row %3 (rowid %4): %5")
                            .arg(fileName, m_table)
                            .arg(n)
                            .arg(sqlite3_column_int64(rows.get(), rowid))
                            .arg(error));
        if ((n & 1023) == 0)
            progress->advance(n);
        switch (networkOf(protocol, e.remoteUid())) {
        case Cellular:
            e.setLocalUid(m_account);
            break;
        case Internet:
            if (m_voipAccount.isEmpty()) {
                skip(QStringLiteral("SIP calls (no --voip-account given)"));
                continue;
            }
            e.setLocalUid(m_voipAccount);
            break;
        case OtherNetwork:
            skip(QStringLiteral("calls of other protocols than tel and sip"));
            continue;
        }
        out->append(e);
    }
    if ((rc & 0xff) == SQLITE_TOOBIG)
        return fail(QStringLiteral("%1: table \"%2\", row %3: a value longer than %4 bytes")
                        .arg(fileName, m_table)
                        .arg(n + 1)
                        .arg(int(MaxValueBytes)));
    if (rc != SQLITE_DONE)
        return sqlError(
            QStringLiteral("cannot read row %1 of table \"%2\"").arg(n + 1).arg(m_table));
    progress->advance(total);
    return true;
}
