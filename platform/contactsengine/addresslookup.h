#ifndef ADDRESSLOOKUP_H
#define ADDRESSLOOKUP_H

#include "addressbookdatabase.h"

#include <QList>
#include <QScopedPointer>
#include <QString>

namespace ContactsEngine {

// Answers "which contacts have this phone number or this address" straight from the address-book
// file, without a QContactManager: for the history store, which matches call events to contacts
// in its worker thread.
//
// Numbers match by their trailing dialable digits (see dialableDigits()): a stored number matches
// when at least minimumTail trailing digits are equal, or when it equals the number as written.
// Addresses (VoIP URIs, user names) match only exactly, case-sensitively.
//
// Limits: an object keeps its own database connection, opened on first use; use each object from
// one thread at a time (one object per thread). A missing or unreadable address book gives no
// matches and sets errorString(); the next call tries again.
class AddressLookup
{
public:
    struct Match
    {
        QContactLocalId contactId = 0;
        QString displayLabel;
        QString matchedValue; // the stored number or address that matched
        int tailLength = 0;   // equal trailing digits; the full length for an exact match
    };

    // The default database (see ContactsEngine::databasePath()) or the given file.
    explicit AddressLookup(const QString &databasePath = QString());
    ~AddressLookup();

    // Contacts with a number whose trailing digits equal at least minimumTail trailing digits of
    // number (minimumTail below 1 counts as 1), or that store number exactly. One entry per
    // contact, with its best match; longest tail first, then by contact id.
    QList<Match> matchNumber(const QString &number, int minimumTail);
    // Contacts with an online account whose address is exactly address, by contact id.
    QList<Match> matchAddress(const QString &address);

    QString errorString() const { return m_error; }

private:
    bool ensureOpen();

    QString m_path;
    QString m_error;
    QScopedPointer<AddressBookDatabase> m_database;
};

} // namespace ContactsEngine

#endif // ADDRESSLOOKUP_H
