#pragma once

#include "addresslookup.h"
#include "contactresolver.h"
#include "contactsengine.h"

#include <QHash>
#include <QMutex>
#include <QString>

#include <memory>

// Finds the address-book contacts of a call's remote party, for the history store's models,
// which call it in their background threads for every event they read.
//
// A remote identifier holding a phone number (a plain number, or a "sip:" URI whose user part is
// one) matches contacts whose stored number is the same number in another written form: the two
// digit strings share a tail of at least SignificantDigits digits, and the shorter of them has at
// most MaximumPrefixDigits digit before that tail (a trunk prefix such as the 0 of a national
// number, which an international form replaces with its country code). So "040 123 4567" is
// "+358 40 1234567" but neither "050 123 4567" nor "+358 50 1234567" (which share the 0 before
// "1234567" by chance), and a number stored without its area code
// ("123 4567") matches calls from every area. Numbers with fewer digits (service numbers) match
// only a stored number with exactly their digits, and any number matches a stored number written
// exactly alike. Any other identifier (a VoIP address, a user name) matches online accounts
// exactly. Contacts come with their display labels, the longest match first, each once.
//
// Limits: each thread gets its own connection to the address book (opened on first use, kept
// until the resolver is destroyed); destroy the resolver only when no thread uses it any more.
// A missing or unreadable address book gives no contacts.
class AddressBookContactResolver : public CommHistory::ContactResolver
{
public:
    static const int SignificantDigits = ContactsEngine::SignificantDigits;
    static const int MaximumPrefixDigits = ContactsEngine::MaximumPrefixDigits;

    // Whether two numbers' dialable digits, with tailLength equal trailing digits, are the same
    // number by the rule above (ContactsEngine::isSameNumber()).
    static bool isSameNumber(const QString &digits, const QString &storedDigits, int tailLength);

    // The default address book (see ContactsEngine::databasePath()) or the given file.
    explicit AddressBookContactResolver(const QString &databasePath = QString());
    ~AddressBookContactResolver() override;

    QList<CommHistory::Event::Contact> contactsFor(const QString &localUid,
                                                   const QString &remoteUid) override;

    QString databasePath() const { return m_path; }

private:
    ContactsEngine::AddressLookup *lookupOfThisThread();

    const QString m_path;
    QMutex m_mutex;
    QHash<Qt::HANDLE, std::shared_ptr<ContactsEngine::AddressLookup>> m_lookups;
};
