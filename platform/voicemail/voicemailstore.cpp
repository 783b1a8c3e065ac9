#include "voicemailstore.h"

#include "contactsengine.h"
#include "mgconfitem.h"

#include <QtContacts/QContactDetailFilter>
#include <QtContacts/QContactGuid>
#include <QtContacts/QContactManager>
#include <QtContacts/QContactName>
#include <QtContacts/QContactPhoneNumber>

using namespace QtContacts;

const char VoicemailStore::voicemailContactGUID[] = "com.velto.voicemail.contact";
const char VoicemailStore::numbersKey[] = "/apps/telephony/voicemail/numbers";
const char VoicemailStore::contactName[] = "Voicemail";

VoicemailStore::VoicemailStore(const QMap<QString, QString> &addressBookParameters)
    : m_addressBookParameters(addressBookParameters)
{
}

QList<VoicemailNumber> VoicemailStore::numbers(Voicemail::VoicemailError *error) const
{
    MGConfItem item(QString::fromLatin1(numbersKey));
    return parseStored(item.value(), error);
}

QList<VoicemailNumber> VoicemailStore::parseStored(const QVariant &value,
                                                   Voicemail::VoicemailError *error)
{
    if (error)
        *error = Voicemail::NoError;
    QStringList stored;
    if (value.type() == QVariant::StringList || value.type() == QVariant::String) {
        stored = value.toStringList();
    } else if (value.isValid()) {
        if (error)
            *error = Voicemail::CorruptDataError;
        return {};
    }
    QStringList numbers;
    for (const QString &number : qAsConst(stored)) {
        if (numbers.size() == MaximumNumberCount)
            break;
        const QString trimmed = number.trimmed();
        if (!trimmed.isEmpty() && trimmed.size() <= MaximumNumberLength &&
            !numbers.contains(trimmed))
            numbers.append(trimmed);
    }
    return VoicemailNumber::fromStringList(numbers);
}

bool VoicemailStore::isAcceptableNumber(const QString &number)
{
    const QString trimmed = number.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > MaximumNumberLength)
        return false;
    bool hasDigit = false;
    for (const QChar c : trimmed) {
        if (c.isDigit() && c.digitValue() >= 0) {
            hasDigit = true;
            continue;
        }
        if (!QStringLiteral("+*#pPwWxX, ()-./").contains(c))
            return false;
    }
    return hasDigit;
}

Voicemail::VoicemailError VoicemailStore::checkNumbers(const QList<VoicemailNumber> &numbers,
                                                       QStringList *list)
{
    list->clear();
    for (const VoicemailNumber &number : numbers) {
        if (!isAcceptableNumber(number.number())) {
            m_errorString = QStringLiteral("\"%1\" is not a phone number").arg(number.number());
            list->clear();
            return Voicemail::InvalidNumberError;
        }
        const QString trimmed = number.number().trimmed();
        if (!list->contains(trimmed))
            list->append(trimmed);
    }
    if (list->size() > MaximumNumberCount) {
        m_errorString =
            QStringLiteral("at most %1 voicemail numbers are kept").arg(MaximumNumberCount);
        list->clear();
        return Voicemail::InvalidNumberError;
    }
    return Voicemail::NoError;
}

bool VoicemailStore::storeNumbers(const QStringList &list, bool *changed)
{
    MGConfItem numbersItem(QString::fromLatin1(numbersKey));
    Voicemail::VoicemailError readError = Voicemail::NoError;
    *changed =
        VoicemailNumber::toStringList(parseStored(numbersItem.value(), &readError)) != list ||
        readError != Voicemail::NoError;
    if (!*changed || (list.isEmpty() ? numbersItem.unset() : numbersItem.set(list)))
        return true;
    *changed = false;
    m_errorString = QStringLiteral("the settings store did not take the voicemail numbers");
    return false;
}

QString VoicemailStore::contactNotWritten(const QMap<QString, QString> &addressBookParameters)
{
    return QStringLiteral("the voicemail contact could not be written to %1")
        .arg(ContactsEngine::databasePath(addressBookParameters));
}

Voicemail::VoicemailError VoicemailStore::setNumbers(const QList<VoicemailNumber> &numbers,
                                                     bool *storedValueChanged)
{
    m_errorString.clear();
    if (storedValueChanged)
        *storedValueChanged = false;
    QStringList list;
    const Voicemail::VoicemailError invalid = checkNumbers(numbers, &list);
    if (invalid != Voicemail::NoError)
        return invalid;

    bool changed = false;
    QContact previous;
    bool contactWritten = false;
    if (list.isEmpty()) {
        // Numbers first: if they stay, so does the contact.
        if (!storeNumbers(list, &changed))
            return Voicemail::StorageError;
        contactWritten = writeContact(list, &previous);
    } else {
        contactWritten = writeContact(list, &previous);
        if (!storeNumbers(list, &changed)) {
            if (contactWritten)
                restoreContact(previous);
            return Voicemail::StorageError;
        }
    }
    if (storedValueChanged)
        *storedValueChanged = changed;
    return contactWritten ? Voicemail::NoError : Voicemail::AddressBookError;
}

QContact VoicemailStore::voicemailContact(const QStringList &numbers, const QContact &existing)
{
    QContact contact = existing;
    for (QContactPhoneNumber old : contact.details<QContactPhoneNumber>())
        contact.removeDetail(&old);
    QContactGuid guid = contact.detail<QContactGuid>();
    guid.setGuid(QString::fromLatin1(voicemailContactGUID));
    contact.saveDetail(&guid);
    if (contact.details<QContactName>().isEmpty()) {
        QContactName name;
        name.setCustomLabel(QString::fromLatin1(contactName));
        contact.saveDetail(&name);
    }
    for (const QString &value : numbers) {
        QContactPhoneNumber number;
        number.setNumber(value);
        contact.saveDetail(&number);
    }
    return contact;
}

QContactFilter VoicemailStore::contactFilter()
{
    QContactDetailFilter filter;
    filter.setDetailType(QContactGuid::Type, QContactGuid::FieldGuid);
    filter.setValue(QString::fromLatin1(voicemailContactGUID));
    filter.setMatchFlags(QContactFilter::MatchFixedString);
    return filter;
}

QList<QContactId> VoicemailStore::extraContacts(const QList<QContact> &existing,
                                                const QStringList &numbers)
{
    // Only one contact stands for voicemail; copies (an import, say) go, and every one for no
    // numbers.
    QList<QContactId> extra;
    for (int i = numbers.isEmpty() ? 0 : 1; i < existing.size(); ++i)
        extra.append(existing.at(i).id());
    return extra;
}

bool VoicemailStore::writeContact(const QStringList &numbers, QContact *previous)
{
    QContactManager manager(ContactsEngine::ensureRegistered(), m_addressBookParameters);
    const QList<QContact> existing = manager.contacts(contactFilter());
    bool ok = manager.error() == QContactManager::NoError;
    if (ok) {
        *previous = existing.value(0);
        const QList<QContactId> extra = extraContacts(existing, numbers);
        if (!numbers.isEmpty()) {
            QContact contact = voicemailContact(numbers, existing.value(0));
            ok = manager.saveContact(&contact);
        }
        if (ok && !extra.isEmpty())
            ok = manager.removeContacts(extra);
    }
    if (!ok)
        m_errorString = contactNotWritten(m_addressBookParameters);
    return ok;
}

void VoicemailStore::restoreContact(const QContact &previous)
{
    QContactManager manager(ContactsEngine::ensureRegistered(), m_addressBookParameters);
    if (!previous.isEmpty()) {
        QContact contact = previous;
        if (manager.saveContact(&contact))
            return;
    }
    // There was none before (or it was removed meanwhile): the one written now goes.
    QList<QContactId> written;
    for (const QContact &contact : manager.contacts(contactFilter())) {
        if (contact.id() != previous.id())
            written.append(contact.id());
    }
    if (!written.isEmpty())
        manager.removeContacts(written);
}
