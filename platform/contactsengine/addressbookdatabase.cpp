#include "addressbookdatabase.h"

#include <QtContacts/QContactDisplayLabel>
#include <QtContacts/QContactGuid>
#include <QtContacts/QContactPhoneNumber>

#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QIODevice>

#include <sqlite3.h>

using namespace QtContacts;

namespace ContactsEngine {

namespace {

const int schemaVersion = 1;
// "VABK": marks the file as an address book of ours (PRAGMA application_id).
const int applicationId = 0x5641424b;
const quint32 blobMagic = 0x56414231; // "VAB1"
const int busyTimeoutMs = 5000;

// A prepared statement that finalizes itself, or a cached one that it resets for the next use.
struct Statement
{
    Statement(sqlite3 *db, const char *sql)
    {
        ok = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK;
    }
    explicit Statement(sqlite3_stmt *cached) : stmt(cached), ok(cached != nullptr), owned(false) {}
    ~Statement()
    {
        if (owned) {
            sqlite3_finalize(stmt);
        } else if (stmt) {
            sqlite3_reset(stmt);
            sqlite3_clear_bindings(stmt);
        }
    }
    void bind(int index, const QString &text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(stmt, index, utf8.constData(), utf8.size(), SQLITE_TRANSIENT);
    }
    void bind(int index, const QByteArray &blob)
    {
        sqlite3_bind_blob(stmt, index, blob.constData(), blob.size(), SQLITE_TRANSIENT);
    }
    void bind(int index, qint64 value) { sqlite3_bind_int64(stmt, index, value); }
    QString text(int column) const
    {
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, column)),
                                 sqlite3_column_bytes(stmt, column));
    }
    QByteArray blob(int column) const
    {
        return QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, column)),
                          sqlite3_column_bytes(stmt, column));
    }
    qint64 integer(int column) const { return sqlite3_column_int64(stmt, column); }
    sqlite3_stmt *stmt = nullptr;
    bool ok = false;
    bool owned = true;
};

QString reversed(const QString &text)
{
    QString result(text.size(), Qt::Uninitialized);
    for (int i = 0; i < text.size(); ++i)
        result[i] = text.at(text.size() - 1 - i);
    return result;
}

} // namespace

AddressBookDatabase::AddressBookDatabase(const QString &path) : m_path(path)
{
    // Contexts and subtypes are QList<int> values; QDataStream drops them unless their stream
    // operators are registered.
    static const bool registered = [] {
        qRegisterMetaTypeStreamOperators<QList<int>>("QList<int>");
        return true;
    }();
    Q_UNUSED(registered);
}

AddressBookDatabase::~AddressBookDatabase()
{
    close();
}

void AddressBookDatabase::close()
{
    for (sqlite3_stmt *stmt : qAsConst(m_statements))
        sqlite3_finalize(stmt);
    m_statements.clear();
    sqlite3_close(m_db);
    m_db = nullptr;
    m_integrity = Unchecked;
}

sqlite3_stmt *AddressBookDatabase::cached(const QByteArray &sql)
{
    sqlite3_stmt *&stmt = m_statements[sql];
    if (!stmt && sqlite3_prepare_v2(m_db, sql.constData(), sql.size(), &stmt, nullptr) != SQLITE_OK)
        stmt = nullptr;
    return stmt;
}

bool AddressBookDatabase::fail(const QString &what)
{
    const QString detail = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString();
    m_error = QStringLiteral("address book %1: %2").arg(m_path, what);
    if (!detail.isEmpty() && !what.contains(detail))
        m_error += QStringLiteral(" (%1)").arg(detail);
    return false;
}

bool AddressBookDatabase::exec(const char *sql)
{
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        return fail(QStringLiteral("database error"));
    return true;
}

bool AddressBookDatabase::open(OpenMode mode)
{
    if (m_db)
        return true;
    m_error.clear();
    if (mode == ReadWrite && !QFileInfo::exists(m_path) &&
        !QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return fail(QStringLiteral("cannot create the folder"));
    if (mode == ReadOnly && !QFileInfo::exists(m_path))
        return fail(QStringLiteral("no such file"));
    const int flags =
        mode == ReadWrite ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(m_path).constData(), &db, flags | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        m_error = QStringLiteral("address book %1: cannot open (%2)")
                      .arg(m_path, QString::fromUtf8(sqlite3_errmsg(db)));
        sqlite3_close(db);
        return false;
    }
    m_db = db;
    sqlite3_busy_timeout(m_db, busyTimeoutMs);

    // Read before anything is written: a damaged or foreign file must be left as it is.
    qint64 version = -1;
    qint64 appId = 0;
    qint64 tableCount = 0;
    {
        Statement v(m_db, "PRAGMA user_version");
        Statement a(m_db, "PRAGMA application_id");
        Statement t(m_db, "SELECT count(*) FROM sqlite_master");
        if (!v.ok || !a.ok || !t.ok || sqlite3_step(v.stmt) != SQLITE_ROW ||
            sqlite3_step(a.stmt) != SQLITE_ROW || sqlite3_step(t.stmt) != SQLITE_ROW) {
            version = -1;
        } else {
            version = v.integer(0);
            appId = a.integer(0);
            tableCount = t.integer(0);
        }
    }
    if (version < 0) {
        fail(QStringLiteral("the file is damaged or not an address book; it was left untouched"));
        close();
        return false;
    }
    QString problem;
    if (tableCount > 0 && appId != applicationId)
        problem = QStringLiteral("the file is not an address book; it was left untouched");
    else if (version > schemaVersion)
        problem = QStringLiteral(
                      "the file was written by a newer version (format %1); it was left untouched")
                      .arg(version);
    if (problem.isEmpty() && tableCount == 0 && mode == ReadOnly)
        problem = QStringLiteral("the file is empty");
    if (!problem.isEmpty()) {
        fail(problem);
        close();
        return false;
    }
    bool ok = exec("PRAGMA foreign_keys=ON");
    if (ok && mode == ReadWrite) {
        ok = exec("PRAGMA journal_mode=WAL");
        if (ok && version < schemaVersion)
            ok = createSchema();
    }
    if (!ok)
        close();
    return ok;
}

bool AddressBookDatabase::checkIntegrity()
{
    if (m_integrity == Unchecked) {
        Statement check(m_db, "PRAGMA quick_check(1)");
        const bool ok = check.ok && sqlite3_step(check.stmt) == SQLITE_ROW &&
                        check.text(0) == QLatin1String("ok");
        m_integrity = ok ? Intact : Damaged;
    }
    if (m_integrity == Damaged)
        return fail(QStringLiteral("the file is damaged; it was left untouched"));
    return true;
}

bool AddressBookDatabase::createSchema()
{
    // Only an empty file gets here (version 0 with tables is refused as foreign).
    if (!exec("BEGIN IMMEDIATE"))
        return false;
    // Another process may have created the schema while this one waited for the lock.
    bool created = false;
    {
        Statement v(m_db, "PRAGMA user_version");
        created = v.ok && sqlite3_step(v.stmt) == SQLITE_ROW && v.integer(0) == schemaVersion;
    }
    if (created)
        return exec("COMMIT");
    const QByteArray sql =
        "CREATE TABLE contacts (id INTEGER PRIMARY KEY AUTOINCREMENT,"
        " label TEXT NOT NULL, guid TEXT, details BLOB NOT NULL);"
        "CREATE INDEX contacts_guid ON contacts (guid);"
        "CREATE TABLE numbers (contact_id INTEGER NOT NULL REFERENCES contacts (id) ON DELETE "
        "CASCADE,"
        " number TEXT NOT NULL, digits TEXT NOT NULL, reversed TEXT NOT NULL);"
        "CREATE INDEX numbers_reversed ON numbers (reversed);"
        "CREATE INDEX numbers_number ON numbers (number);"
        "CREATE INDEX numbers_contact ON numbers (contact_id);"
        "CREATE TABLE addresses (contact_id INTEGER NOT NULL REFERENCES contacts (id) ON DELETE "
        "CASCADE,"
        " address TEXT NOT NULL);"
        "CREATE INDEX addresses_address ON addresses (address);"
        "CREATE INDEX addresses_contact ON addresses (contact_id);" +
        QByteArray("PRAGMA application_id=") + QByteArray::number(applicationId) + ";" +
        QByteArray("PRAGMA user_version=") + QByteArray::number(schemaVersion) + ";";
    if (!exec(sql.constData())) {
        const QString error = m_error;
        exec("ROLLBACK");
        m_error = error;
        return false;
    }
    return exec("COMMIT");
}

QByteArray AddressBookDatabase::encodeDetails(const QContact &contact)
{
    QByteArray blob;
    QDataStream out(&blob, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_15);
    out << blobMagic;
    QList<QContactDetail> details;
    for (const QContactDetail &detail : contact.details()) {
        if (detail.type() != QContactDetail::TypeDisplayLabel)
            details.append(detail);
    }
    out << qint32(details.size());
    for (const QContactDetail &detail : details)
        out << qint32(detail.type()) << detail.values();
    return blob;
}

bool AddressBookDatabase::decodeDetails(const QByteArray &blob, QContact *contact)
{
    QDataStream in(blob);
    in.setVersion(QDataStream::Qt_5_15);
    quint32 magic = 0;
    qint32 count = 0;
    in >> magic >> count;
    if (magic != blobMagic || count < 0 || count > blob.size())
        return false;
    for (qint32 i = 0; i < count; ++i) {
        qint32 type = 0;
        QMap<int, QVariant> values;
        in >> type >> values;
        if (in.status() != QDataStream::Ok)
            return false;
        QContactDetail detail(static_cast<QContactDetail::DetailType>(type));
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            detail.setValue(it.key(), it.value());
        if (type == QContactDetail::TypeType)
            contact->setType(static_cast<QContactType::TypeValues>(
                detail.value(QContactType::FieldType).toInt()));
        else
            contact->saveDetail(&detail);
    }
    return in.status() == QDataStream::Ok && in.atEnd();
}

bool AddressBookDatabase::contactIds(QList<QContactLocalId> *ids)
{
    Statement s(m_db, "SELECT id FROM contacts ORDER BY id");
    if (!s.ok)
        return fail(QStringLiteral("database error"));
    int rc;
    while ((rc = sqlite3_step(s.stmt)) == SQLITE_ROW)
        ids->append(QContactLocalId(s.integer(0)));
    return rc == SQLITE_DONE || fail(QStringLiteral("database error"));
}

static bool readContacts(sqlite3 *db, Statement &s, QMap<QContactLocalId, QContact> *out,
                         bool *damaged)
{
    Q_UNUSED(db);
    int rc;
    while ((rc = sqlite3_step(s.stmt)) == SQLITE_ROW) {
        const QContactLocalId id = QContactLocalId(s.integer(0));
        QContact contact;
        if (!AddressBookDatabase::decodeDetails(s.blob(2), &contact)) {
            *damaged = true;
            return false;
        }
        contact.setId(toContactId(id));
        const QString label = s.text(1);
        if (!label.isEmpty()) {
            QContactDisplayLabel displayLabel;
            displayLabel.setLabel(label);
            contact.saveDetail(&displayLabel);
        }
        out->insert(id, contact);
    }
    return rc == SQLITE_DONE;
}

bool AddressBookDatabase::contacts(const QList<QContactLocalId> &ids, QList<QContact> *result)
{
    if (ids.isEmpty())
        return true;
    // One statement for the whole batch: "id IN (?, ?, ...)" in chunks below SQLite's limit.
    QMap<QContactLocalId, QContact> found;
    const int chunk = 500;
    for (int start = 0; start < ids.size(); start += chunk) {
        const int n = qMin(chunk, ids.size() - start);
        QByteArray sql = "SELECT id, label, details FROM contacts WHERE id IN (";
        for (int i = 0; i < n; ++i)
            sql += i ? ",?" : "?";
        sql += ")";
        Statement s(cached(sql));
        if (!s.ok)
            return fail(QStringLiteral("database error"));
        for (int i = 0; i < n; ++i)
            s.bind(i + 1, qint64(ids.at(start + i)));
        bool damaged = false;
        if (!readContacts(m_db, s, &found, &damaged))
            return fail(damaged ? QStringLiteral("a contact record is damaged")
                                : QStringLiteral("database error"));
    }
    for (QContactLocalId id : ids) {
        const auto it = found.constFind(id);
        if (it != found.cend())
            result->append(it.value());
    }
    return true;
}

bool AddressBookDatabase::allContacts(QList<QContact> *result)
{
    Statement s(m_db, "SELECT id, label, details FROM contacts ORDER BY id");
    if (!s.ok)
        return fail(QStringLiteral("database error"));
    QMap<QContactLocalId, QContact> found;
    bool damaged = false;
    if (!readContacts(m_db, s, &found, &damaged))
        return fail(damaged ? QStringLiteral("a contact record is damaged")
                            : QStringLiteral("database error"));
    *result += found.values();
    return true;
}

bool AddressBookDatabase::contactIdsWithGuid(const QString &guid, QList<QContactLocalId> *ids)
{
    // Case-insensitive: a superset of the contacts a fixed-string filter keeps.
    Statement s(cached("SELECT id FROM contacts WHERE guid = ?1 COLLATE NOCASE ORDER BY id"));
    if (!s.ok)
        return fail(QStringLiteral("database error"));
    s.bind(1, guid);
    int rc;
    while ((rc = sqlite3_step(s.stmt)) == SQLITE_ROW)
        ids->append(QContactLocalId(s.integer(0)));
    return rc == SQLITE_DONE || fail(QStringLiteral("database error"));
}

bool AddressBookDatabase::readRows(const char *sql, const QList<QVariant> &bindings,
                                   QList<AddressRow> *rows)
{
    Statement s(cached(sql));
    if (!s.ok)
        return fail(QStringLiteral("database error"));
    for (int i = 0; i < bindings.size(); ++i)
        s.bind(i + 1, bindings.at(i).toString());
    int rc;
    while ((rc = sqlite3_step(s.stmt)) == SQLITE_ROW) {
        AddressRow row;
        row.contactId = QContactLocalId(s.integer(0));
        row.displayLabel = s.text(1);
        row.value = s.text(2);
        row.digits = s.text(3);
        rows->append(row);
    }
    return rc == SQLITE_DONE || fail(QStringLiteral("database error"));
}

bool AddressBookDatabase::numbersWithReversedPrefix(const QString &reversedDigits,
                                                    QList<AddressRow> *rows)
{
    if (reversedDigits.isEmpty())
        return true;
    // A range on the index of reversed digits: every number whose digits end with the tail.
    QString upper = reversedDigits;
    upper[upper.size() - 1] = QChar(upper.at(upper.size() - 1).unicode() + 1);
    return readRows("SELECT n.contact_id, c.label, n.number, n.digits FROM numbers n"
                    " JOIN contacts c ON c.id = n.contact_id"
                    " WHERE n.reversed >= ?1 AND n.reversed < ?2 ORDER BY n.contact_id, n.rowid",
                    {reversedDigits, upper}, rows);
}

bool AddressBookDatabase::numbersEqualTo(const QString &number, QList<AddressRow> *rows)
{
    return readRows("SELECT n.contact_id, c.label, n.number, n.digits FROM numbers n"
                    " JOIN contacts c ON c.id = n.contact_id"
                    " WHERE n.number = ?1 ORDER BY n.contact_id, n.rowid",
                    {number}, rows);
}

bool AddressBookDatabase::addressesEqualTo(const QString &address, QList<AddressRow> *rows)
{
    return readRows("SELECT a.contact_id, c.label, a.address, '' FROM addresses a"
                    " JOIN contacts c ON c.id = a.contact_id"
                    " WHERE a.address = ?1 ORDER BY a.contact_id, a.rowid",
                    {address}, rows);
}

bool AddressBookDatabase::writeIndexes(QContactLocalId id, const QContact &contact)
{
    Statement clearNumbers(m_db, "DELETE FROM numbers WHERE contact_id = ?");
    Statement clearAddresses(m_db, "DELETE FROM addresses WHERE contact_id = ?");
    if (!clearNumbers.ok || !clearAddresses.ok)
        return fail(QStringLiteral("database error"));
    clearNumbers.bind(1, qint64(id));
    clearAddresses.bind(1, qint64(id));
    if (sqlite3_step(clearNumbers.stmt) != SQLITE_DONE ||
        sqlite3_step(clearAddresses.stmt) != SQLITE_DONE)
        return fail(QStringLiteral("database error"));
    for (const QContactPhoneNumber &number : contact.details<QContactPhoneNumber>()) {
        Statement s(m_db,
                    "INSERT INTO numbers (contact_id, number, digits, reversed) VALUES (?,?,?,?)");
        const QString digits = dialableDigits(number.number());
        s.bind(1, qint64(id));
        s.bind(2, number.number());
        s.bind(3, digits);
        s.bind(4, reversed(digits));
        if (!s.ok || sqlite3_step(s.stmt) != SQLITE_DONE)
            return fail(QStringLiteral("database error"));
    }
    for (const QContactOnlineAccount &account : contact.details<QContactOnlineAccount>()) {
        if (account.accountUri().isEmpty())
            continue;
        Statement s(m_db, "INSERT INTO addresses (contact_id, address) VALUES (?,?)");
        s.bind(1, qint64(id));
        s.bind(2, account.accountUri());
        if (!s.ok || sqlite3_step(s.stmt) != SQLITE_DONE)
            return fail(QStringLiteral("database error"));
    }
    return true;
}

bool AddressBookDatabase::saveOne(QContact *contact, bool *isNew, QContactManager::Error *error)
{
    *error = QContactManager::NoError;
    QContactLocalId id = 0;
    if (!contact->id().isNull()) {
        id = toLocalId(contact->id());
        if (id == 0) {
            *error = QContactManager::DoesNotExistError;
            return true;
        }
    }
    // The display label is the engine's: derived from the other details, kept as given only
    // when nothing else names the contact.
    QContact withoutLabel = *contact;
    QContactDisplayLabel given = withoutLabel.detail<QContactDisplayLabel>();
    withoutLabel.removeDetail(&given);
    QString label = synthesizedContactDisplayLabel(withoutLabel);
    if (label.isEmpty())
        label = given.label().trimmed();
    const QString guid = contact->detail<QContactGuid>().guid();
    const QByteArray blob = encodeDetails(*contact);

    if (id == 0) {
        Statement s(m_db, "INSERT INTO contacts (label, guid, details) VALUES (?,?,?)");
        s.bind(1, label);
        s.bind(2, guid);
        s.bind(3, blob);
        if (!s.ok || sqlite3_step(s.stmt) != SQLITE_DONE)
            return fail(QStringLiteral("database error"));
        const qint64 rowId = sqlite3_last_insert_rowid(m_db);
        if (rowId <= 0 || rowId > qint64(0xffffffffu))
            return fail(QStringLiteral("no contact id left"));
        id = QContactLocalId(rowId);
        *isNew = true;
    } else {
        Statement s(m_db, "UPDATE contacts SET label = ?, guid = ?, details = ? WHERE id = ?");
        s.bind(1, label);
        s.bind(2, guid);
        s.bind(3, blob);
        s.bind(4, qint64(id));
        if (!s.ok || sqlite3_step(s.stmt) != SQLITE_DONE)
            return fail(QStringLiteral("database error"));
        if (sqlite3_changes(m_db) == 0) {
            *error = QContactManager::DoesNotExistError;
            return true;
        }
        *isNew = false;
    }
    if (!writeIndexes(id, *contact))
        return false;
    contact->setId(toContactId(id));
    QContactDisplayLabel stored = contact->detail<QContactDisplayLabel>();
    stored.setLabel(label);
    contact->saveDetail(&stored);
    return true;
}

bool AddressBookDatabase::save(QList<QContact> *contacts, QList<QContactLocalId> *added,
                               QList<QContactLocalId> *changed,
                               QMap<int, QContactManager::Error> *errors)
{
    if (!checkIntegrity() || !beginWrite())
        return false;
    const QList<QContact> original = *contacts;
    QList<QContactLocalId> newIds, changedIds;
    for (int i = 0; i < contacts->size(); ++i) {
        bool isNew = false;
        QContactManager::Error error = QContactManager::NoError;
        if (!saveOne(&(*contacts)[i], &isNew, &error)) {
            endWrite(false);
            *contacts = original;
            return false;
        }
        if (error != QContactManager::NoError)
            errors->insert(i, error);
        else
            (isNew ? newIds : changedIds).append(toLocalId(contacts->at(i).id()));
    }
    if (!endWrite(true)) {
        *contacts = original;
        return false;
    }
    *added += newIds;
    *changed += changedIds;
    return true;
}

bool AddressBookDatabase::remove(const QList<QContactLocalId> &ids, QList<QContactLocalId> *removed,
                                 QMap<int, QContactManager::Error> *errors)
{
    if (!checkIntegrity() || !beginWrite())
        return false;
    QList<QContactLocalId> gone;
    for (int i = 0; i < ids.size(); ++i) {
        Statement s(m_db, "DELETE FROM contacts WHERE id = ?");
        s.bind(1, qint64(ids.at(i)));
        if (!s.ok || sqlite3_step(s.stmt) != SQLITE_DONE) {
            fail(QStringLiteral("database error"));
            endWrite(false);
            return false;
        }
        if (sqlite3_changes(m_db) == 0)
            errors->insert(i, QContactManager::DoesNotExistError);
        else
            gone.append(ids.at(i));
    }
    if (!endWrite(true))
        return false;
    *removed += gone;
    return true;
}

bool AddressBookDatabase::beginTransaction()
{
    if (m_inTransaction)
        return fail(QStringLiteral("a transaction is open already"));
    if (!checkIntegrity() || !exec("BEGIN IMMEDIATE"))
        return false;
    m_inTransaction = true;
    m_ownTransaction = false;
    return true;
}

bool AddressBookDatabase::commitTransaction()
{
    if (!m_inTransaction)
        return fail(QStringLiteral("no transaction is open"));
    m_inTransaction = false;
    if (exec("COMMIT"))
        return true;
    rollbackTransaction();
    return false;
}

void AddressBookDatabase::rollbackTransaction()
{
    // The failure that led here is what the caller wants to read.
    const QString message = m_error;
    m_inTransaction = false;
    // The link table may have been made in this transaction.
    m_hasLinkTable = false;
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    m_error = message;
}

bool AddressBookDatabase::beginWrite()
{
    if (m_inTransaction)
        return true;
    if (!beginTransaction())
        return false;
    m_ownTransaction = true;
    return true;
}

bool AddressBookDatabase::endWrite(bool ok)
{
    if (!m_ownTransaction)
        return ok;
    m_ownTransaction = false;
    if (!ok) {
        rollbackTransaction();
        return false;
    }
    return commitTransaction();
}

bool AddressBookDatabase::ensureLinkTable()
{
    if (m_hasLinkTable)
        return true;
    // Made on first use: only a mirrored book has links, and older readers ignore the table.
    m_hasLinkTable =
        exec("CREATE TABLE IF NOT EXISTS links (contact_id INTEGER PRIMARY KEY,"
             " book TEXT NOT NULL, uid TEXT NOT NULL, revision TEXT NOT NULL, base BLOB NOT NULL);"
             "CREATE UNIQUE INDEX IF NOT EXISTS links_uid ON links (book, uid);");
    return m_hasLinkTable;
}

static AddressBookDatabase::Link readLink(const Statement &s)
{
    AddressBookDatabase::Link link;
    link.contactId = QContactLocalId(s.integer(0));
    link.book = s.text(1);
    link.uid = s.text(2);
    link.revision = s.text(3);
    link.base = s.blob(4);
    return link;
}

bool AddressBookDatabase::links(QList<Link> *result)
{
    if (!ensureLinkTable())
        return false;
    Statement s(m_db,
                "SELECT contact_id, book, uid, revision, base FROM links ORDER BY contact_id");
    if (!s.ok)
        return fail(QStringLiteral("database error"));
    int rc;
    while ((rc = sqlite3_step(s.stmt)) == SQLITE_ROW)
        result->append(readLink(s));
    return rc == SQLITE_DONE || fail(QStringLiteral("database error"));
}

bool AddressBookDatabase::link(QContactLocalId contactId, Link *result, bool *found)
{
    *found = false;
    if (!ensureLinkTable())
        return false;
    Statement s(
        cached("SELECT contact_id, book, uid, revision, base FROM links WHERE contact_id = ?"));
    if (!s.ok)
        return fail(QStringLiteral("database error"));
    s.bind(1, qint64(contactId));
    const int rc = sqlite3_step(s.stmt);
    if (rc == SQLITE_ROW) {
        *result = readLink(s);
        *found = true;
        return true;
    }
    return rc == SQLITE_DONE || fail(QStringLiteral("database error"));
}

bool AddressBookDatabase::link(const QString &book, const QString &uid, Link *result, bool *found)
{
    *found = false;
    if (!ensureLinkTable())
        return false;
    Statement s(cached(
        "SELECT contact_id, book, uid, revision, base FROM links WHERE book = ? AND uid = ?"));
    if (!s.ok)
        return fail(QStringLiteral("database error"));
    s.bind(1, book);
    s.bind(2, uid);
    const int rc = sqlite3_step(s.stmt);
    if (rc == SQLITE_ROW) {
        *result = readLink(s);
        *found = true;
        return true;
    }
    return rc == SQLITE_DONE || fail(QStringLiteral("database error"));
}

bool AddressBookDatabase::setLink(const Link &link)
{
    if (link.contactId == 0)
        return fail(QStringLiteral("a link needs a contact id"));
    if (!ensureLinkTable() || !beginWrite())
        return false;
    Statement s(cached("INSERT OR REPLACE INTO links (contact_id, book, uid, revision, base)"
                       " VALUES (?, ?, ?, ?, ?)"));
    bool ok = s.ok;
    if (ok) {
        s.bind(1, qint64(link.contactId));
        s.bind(2, link.book);
        s.bind(3, link.uid);
        s.bind(4, link.revision);
        s.bind(5, link.base);
        ok = sqlite3_step(s.stmt) == SQLITE_DONE || fail(QStringLiteral("database error"));
    } else {
        fail(QStringLiteral("database error"));
    }
    return endWrite(ok);
}

bool AddressBookDatabase::removeLink(QContactLocalId contactId)
{
    if (!ensureLinkTable() || !beginWrite())
        return false;
    Statement s(cached("DELETE FROM links WHERE contact_id = ?"));
    bool ok = s.ok;
    if (ok) {
        s.bind(1, qint64(contactId));
        ok = sqlite3_step(s.stmt) == SQLITE_DONE || fail(QStringLiteral("database error"));
    } else {
        fail(QStringLiteral("database error"));
    }
    return endWrite(ok);
}

} // namespace ContactsEngine
