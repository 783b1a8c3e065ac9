#ifndef ADDRESSBOOKDATABASE_H
#define ADDRESSBOOKDATABASE_H

#include "contactsengine.h"

#include <QtContacts/QContact>
#include <QtContacts/QContactManager>

#include <QHash>
#include <QList>
#include <QMap>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

namespace ContactsEngine {

// One connection to the address-book file: its schema, the contacts (details kept as a blob per
// contact) and the indexes that answer lookups by number tail, address and GUID.
//
// Limits: a connection belongs to one thread at a time; open one per thread. A file that is not
// an address book of this format (unreadable, foreign or newer) is reported by open(), which reads
// only the file's header; damage inside the file is found by checkIntegrity(), which reads the
// whole file once per connection, before its first write. Either way such a file is never written
// to. Writes of one call run in a single transaction.
class AddressBookDatabase
{
public:
    enum OpenMode { ReadWrite, ReadOnly };

    // One phone number or online-account address of a contact, as found by a lookup.
    struct AddressRow
    {
        QContactLocalId contactId = 0;
        QString displayLabel;
        QString value;  // the number or address as stored
        QString digits; // dialable digits of a number, empty for an address
    };

    // A contact of this book that mirrors a contact of another program's address book: which
    // book and contact it mirrors, the revision of that contact last written here (empty until
    // the other book has confirmed it) and the contact as it was last written from there or to
    // there (base), so that what changed here since can be told apart. A link outlives its
    // contact: a contact removed here leaves its link until the removal has reached the other
    // book. Ids of removed contacts are never given again, so a link never meets a new contact.
    struct Link
    {
        QContactLocalId contactId = 0;
        QString book;
        QString uid;
        QString revision;
        QByteArray base;
    };

    explicit AddressBookDatabase(const QString &path);
    ~AddressBookDatabase();
    AddressBookDatabase(const AddressBookDatabase &) = delete;
    AddressBookDatabase &operator=(const AddressBookDatabase &) = delete;

    // Opens the file; ReadWrite creates it (and its folder) when missing, ReadOnly fails then.
    bool open(OpenMode mode = ReadWrite);
    bool isOpen() const { return m_db != nullptr; }
    QString path() const { return m_path; }
    // The last failure, as a sentence naming the file.
    QString errorString() const { return m_error; }

    // Checks the whole file (SQLite's quick_check) the first time it is called on this
    // connection; false (and errorString set) when the file is damaged. save() and remove() call
    // it before they write.
    bool checkIntegrity();

    // Reads; each returns false (and sets errorString) only when the database fails.
    bool contactIds(QList<QContactLocalId> *ids);
    bool contacts(const QList<QContactLocalId> &ids,
                  QList<QtContacts::QContact> *result); // ids order, gaps skipped
    bool allContacts(QList<QtContacts::QContact> *result);
    // Contacts whose GUID equals guid, ignoring the case of ASCII letters.
    bool contactIdsWithGuid(const QString &guid, QList<QContactLocalId> *ids);
    bool numbersWithReversedPrefix(const QString &reversedDigits, QList<AddressRow> *rows);
    bool numbersEqualTo(const QString &number, QList<AddressRow> *rows);
    bool addressesEqualTo(const QString &address, QList<AddressRow> *rows);

    // Saves the contacts in one transaction: a contact without id is added and gets its new id,
    // one with an id of this address book replaces the stored one. Contacts that cannot be saved
    // are listed in errors by index and skipped. Returns false if the transaction failed (then
    // nothing was written).
    bool save(QList<QtContacts::QContact> *contacts, QList<QContactLocalId> *added,
              QList<QContactLocalId> *changed,
              QMap<int, QtContacts::QContactManager::Error> *errors);
    // Removes the contacts in one transaction; unknown ids are listed in errors by index.
    bool remove(const QList<QContactLocalId> &ids, QList<QContactLocalId> *removed,
                QMap<int, QtContacts::QContactManager::Error> *errors);

    // A transaction over several calls: save() and remove() join it instead of making their own,
    // and nothing is written unless commitTransaction() succeeds. Not nested.
    bool beginTransaction();
    bool commitTransaction();
    void rollbackTransaction();
    bool inTransaction() const { return m_inTransaction; }

    // Links of a mirrored book (see Link); a book that never had any has none.
    bool links(QList<Link> *result);
    // The link of a contact id; *found tells whether there is one.
    bool link(QContactLocalId contactId, Link *result, bool *found);
    // The link of a contact of the other book.
    bool link(const QString &book, const QString &uid, Link *result, bool *found);
    // Stores the link, replacing the one of its contact id and any of its book and uid.
    bool setLink(const Link &link);
    bool removeLink(QContactLocalId contactId);

    // The details blob of a contact and back (exposed for tests of damaged rows).
    static QByteArray encodeDetails(const QtContacts::QContact &contact);
    static bool decodeDetails(const QByteArray &blob, QtContacts::QContact *contact);

private:
    void close();
    // A statement prepared once per connection (the lookups run many times).
    struct sqlite3_stmt *cached(const QByteArray &sql);
    bool exec(const char *sql);
    bool fail(const QString &what);
    bool createSchema();
    bool readRows(const char *sql, const QList<QVariant> &bindings, QList<AddressRow> *rows);
    bool saveOne(QtContacts::QContact *contact, bool *isNew,
                 QtContacts::QContactManager::Error *error);
    bool writeIndexes(QContactLocalId id, const QtContacts::QContact &contact);
    // Starts a transaction unless one is open; ends it (commit or rollback) if it started one.
    bool beginWrite();
    bool endWrite(bool ok);
    bool ensureLinkTable();

    QString m_path;
    QString m_error;
    sqlite3 *m_db = nullptr;
    enum { Unchecked, Intact, Damaged } m_integrity = Unchecked;
    bool m_inTransaction = false;
    bool m_ownTransaction = false;
    bool m_hasLinkTable = false;
    QHash<QByteArray, struct sqlite3_stmt *> m_statements;
};

} // namespace ContactsEngine

#endif // ADDRESSBOOKDATABASE_H
