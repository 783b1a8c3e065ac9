#ifndef CONTACTSENGINE_H
#define CONTACTSENGINE_H

#include <QtContacts/QContact>
#include <QtContacts/QContactId>
#include <QtContacts/QContactOnlineAccount>

#include <QList>
#include <QMap>
#include <QString>

// Names shared by every user of the address book.

// The local id of a contact: the address-book engine's own row id, stable across runs and
// processes. 0 means "no contact".
typedef quint32 QContactLocalId;

// The online-account field that holds the calling account's path (a string such as
// "/org/freedesktop/Telepathy/Account/ring/tel/ring"). It is one field past the last field of
// QContactOnlineAccount; the engine stores and returns it like every other field.
const int QContactOnlineAccount__FieldAccountPath =
    QtContacts::QContactOnlineAccount::FieldSubTypes + 1;

namespace ContactsEngine {

// The manager name of the engine, for QContactManager(ContactsEngine::managerName, ...).
extern const char managerName[];

// Manager parameter naming the database file; without it the engine opens
// $CALL_HISTORY_CONTACTS_DB, else $XDG_DATA_HOME/call-history/contacts.db.
extern const char databaseParameter[];

// Environment variable that overrides the default database file.
extern const char databaseEnvironment[];

// Makes the engine known to QtContacts in this process; call it before the first QContactManager
// of the address book is created (calling it again is harmless). The engine is a static plugin,
// imported (Q_IMPORT_PLUGIN) in contactsengine.cpp: a static library member is linked only when
// something refers to it, and this call is that reference. It also registers the argument types
// of QContactManager's change signals for queued connections. Returns managerName.
QString ensureRegistered();

// The database file for a manager parameter map (see databaseParameter).
QString databasePath(const QMap<QString, QString> &parameters = QMap<QString, QString>());

// The URI of the engine's contact ids.
QString managerUri();

// Conversions between local ids and QContactId; a foreign or malformed id gives 0.
QtContacts::QContactId toContactId(QContactLocalId localId);
QContactLocalId toLocalId(const QtContacts::QContactId &id);
QList<QtContacts::QContactId> toContactIds(const QList<QContactLocalId> &localIds);
QList<QContactLocalId> toLocalIds(const QList<QtContacts::QContactId> &ids);

// The name a contact is shown with: its display label detail if set, else its name, else its
// nickname, else its first phone number or online-account address. Empty if it has none.
QString synthesizedContactDisplayLabel(const QtContacts::QContact &contact);

// The dialable digits of a phone number as the engine compares them: a leading "*31#" or "#31#"
// dropped, the digits (any script, returned as Latin digits) up to the first pause, wait or
// extension character ("p", "w", "x", ","); "+", "*", "#" and separators are dropped.
QString dialableDigits(const QString &number);

// How the program tells that two phone numbers are the same number written differently (the
// history's contacts, the block list): their dialable digits share a tail of at least
// SignificantDigits digits, and the shorter has at most MaximumPrefixDigits digits before that
// tail (a trunk prefix such as the 0 of a national number, which an international form replaces
// with its country code). Numbers with fewer digits (service numbers) are the same only with
// exactly their digits. tailLength is the count of equal trailing digits of the two.
const int SignificantDigits = 7;
const int MaximumPrefixDigits = 1;
bool isSameNumber(const QString &digits, const QString &otherDigits, int tailLength);

} // namespace ContactsEngine

#endif // CONTACTSENGINE_H
