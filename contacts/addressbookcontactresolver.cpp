#include "addressbookcontactresolver.h"

#include "contactsengine.h"
#include "phonenumbers.h"

#include <QSet>
#include <QThread>

using ContactsEngine::AddressLookup;

bool AddressBookContactResolver::isSameNumber(const QString &digits, const QString &storedDigits,
                                              int tailLength)
{
    return ContactsEngine::isSameNumber(digits, storedDigits, tailLength);
}

AddressBookContactResolver::AddressBookContactResolver(const QString &databasePath)
    : m_path(databasePath.isEmpty() ? ContactsEngine::databasePath() : databasePath)
{
}

AddressBookContactResolver::~AddressBookContactResolver() = default;

AddressLookup *AddressBookContactResolver::lookupOfThisThread()
{
    QMutexLocker locker(&m_mutex);
    // A thread that ended may leave its handle to a new one; the old one no longer uses it.
    std::shared_ptr<AddressLookup> &lookup = m_lookups[QThread::currentThreadId()];
    if (!lookup)
        lookup = std::make_shared<AddressLookup>(m_path);
    return lookup.get();
}

QList<CommHistory::Event::Contact> AddressBookContactResolver::contactsFor(const QString &localUid,
                                                                           const QString &remoteUid)
{
    Q_UNUSED(localUid);
    QList<CommHistory::Event::Contact> contacts;
    if (remoteUid.isEmpty())
        return contacts;
    AddressLookup *lookup = lookupOfThisThread();
    QSet<QContactLocalId> seen;
    const auto take = [&](const AddressLookup::Match &match) {
        if (match.contactId == 0 || seen.contains(match.contactId))
            return;
        seen.insert(match.contactId);
        contacts.append(qMakePair(quint32(match.contactId), match.displayLabel));
    };

    const QString number = phoneNumberFromAddress(remoteUid);
    if (!number.isEmpty()) {
        const QString digits = ContactsEngine::dialableDigits(number);
        const int minimumTail =
            digits.size() >= SignificantDigits ? SignificantDigits : qMax(1, digits.size());
        for (const AddressLookup::Match &match : lookup->matchNumber(number, minimumTail)) {
            if (match.matchedValue == number ||
                isSameNumber(digits, ContactsEngine::dialableDigits(match.matchedValue),
                             match.tailLength))
                take(match);
        }
    }
    // A VoIP address or user name; also a "sip:" URI that holds a number may be stored as such.
    if (number != remoteUid) {
        for (const AddressLookup::Match &match : lookup->matchAddress(remoteUid))
            take(match);
    }
    return contacts;
}
