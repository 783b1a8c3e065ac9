#include "callhistorycontact.h"

#include "mlocale.h"
#include "phonenumbers.h"

#include <QtContacts/QContactOnlineAccount>
#include <QtContacts/QContactPhoneNumber>
#include <QtContacts/QContactPresence>

#include <QDateTime>
#include <QSet>
#include <QTimerEvent>

using namespace QtContacts;

namespace {

// Values that cannot be read as an integer list (contexts, subtypes) count as empty.
QList<int> intList(const QContactDetail &detail, int field)
{
    const QVariant value = detail.value(field);
    if (value.canConvert<QList<int>>())
        return value.value<QList<int>>();
    return QList<int>();
}

// The contact's presence details whose detail URI is among linkedUris, in detail order.
QList<QContactPresence> linkedPresences(const QContact &contact, const QSet<QString> &linkedUris)
{
    QList<QContactPresence> result;
    if (linkedUris.isEmpty())
        return result;
    for (const QContactPresence &presence : contact.details<QContactPresence>()) {
        if (linkedUris.contains(presence.detailUri()))
            result.append(presence);
    }
    return result;
}

QSet<QString> linkedUrisOf(const QContactDetail &detail)
{
    const QVariant value = detail.value(QContactDetail::FieldLinkedDetailUris);
    QSet<QString> uris;
    if (value.canConvert<QStringList>()) {
        for (const QString &uri : value.toStringList()) {
            if (!uri.isEmpty())
                uris.insert(uri);
        }
    }
    return uris;
}

} // namespace

CallHistoryContact::CallHistoryContact(QContactLocalId id, QObject *parent, int releaseDelay)
    : QObject(parent), m_localId(id), m_releaseDelay(releaseDelay)
{
    // The typedef's name, as the signals name it, for queued connections and spies.
    static const int registered = qRegisterMetaType<QContactLocalId>("QContactLocalId");
    Q_UNUSED(registered);
}

CallHistoryContact::~CallHistoryContact() = default;

void CallHistoryContact::ref()
{
    m_releaseTimer.stop();
    ++m_refCount;
}

void CallHistoryContact::release()
{
    if (m_refCount > 0 && --m_refCount > 0)
        return;
    m_releaseTimer.start(m_releaseDelay, this);
}

void CallHistoryContact::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_releaseTimer.timerId()) {
        QObject::timerEvent(event);
        return;
    }
    m_releaseTimer.stop();
    slotTimeout();
}

void CallHistoryContact::slotTimeout()
{
    // The manager deletes this record inside the emission: nothing may follow it.
    Q_EMIT unreferenced(m_localId);
}

void CallHistoryContact::setContact(const QContact &contact)
{
    m_contact = contact;
    m_presenceCache.clear();
    m_addresses.clear();

    const QList<QContactPhoneNumber> numbers = contact.details<QContactPhoneNumber>();
    const QList<QContactOnlineAccount> accounts = contact.details<QContactOnlineAccount>();
    m_phoneNumberCount = numbers.size();
    m_addresses.reserve(numbers.size() + accounts.size());
    for (const QContactPhoneNumber &number : numbers) {
        ContactAddress address;
        address.value = MLocale::toLatinNumbers(number.number());
        address.digits = normalizedNumber(address.value);
        address.type = NumberTypeOther;
        for (int context : intList(number, QContactDetail::FieldContext)) {
            if (context == QContactDetail::ContextHome) {
                address.type = NumberTypeHome;
                break;
            }
            if (context == QContactDetail::ContextWork) {
                address.type = NumberTypeWork;
                break;
            }
        }
        // A subtype says more than a context: a work mobile is a mobile.
        for (int subType : intList(number, QContactPhoneNumber::FieldSubTypes)) {
            if (subType == QContactPhoneNumber::SubTypeMobile) {
                address.type = NumberTypeMobile;
                break;
            }
            if (subType == QContactPhoneNumber::SubTypeFax) {
                address.type = NumberTypeFax;
                break;
            }
        }
        m_addresses.append(address);
    }
    for (const QContactOnlineAccount &account : accounts) {
        ContactAddress address;
        address.value = account.accountUri();
        address.type = NumberTypeOnlineAccount;
        address.isOnlineAccount = true;
        m_addresses.append(address);
    }
    m_statusMessage = presenceMessage(contact);
    m_isResolved = true;
    Q_EMIT updated();
}

CallHistoryContact::PresenceCode CallHistoryContact::presence(const QString &accountPath)
{
    const auto cached = m_presenceCache.constFind(accountPath);
    if (cached != m_presenceCache.cend())
        return cached.value();
    const PresenceCode code = presenceForAccount(accountPath, m_contact);
    m_presenceCache.insert(accountPath, code);
    return code;
}

const ContactAddress *CallHistoryContact::matchAddress(const QString &remoteUid) const
{
    const QString remoteDigits = normalizedNumber(remoteUid);
    const ContactAddress *best = nullptr;
    int bestScore = 0;
    for (const ContactAddress &address : m_addresses) {
        if (address.value == remoteUid)
            return &address;
        if (address.isOnlineAccount)
            continue;
        const int score = matchingTailLength(address.digits, remoteDigits);
        if (score > bestScore) {
            bestScore = score;
            best = &address;
        }
    }
    return best;
}

CallHistoryContact::NumberType CallHistoryContact::numberType(const QString &remoteUid) const
{
    const ContactAddress *address = matchAddress(remoteUid);
    return address ? NumberType(address->type) : NumberTypeNone;
}

CallHistoryContact::PresenceCode CallHistoryContact::presenceCodeOfState(int state)
{
    switch (state) {
    case QContactPresence::PresenceAvailable:
        return PresenceAvailable;
    case QContactPresence::PresenceBusy:
        return PresenceBusy;
    case QContactPresence::PresenceAway:
    case QContactPresence::PresenceExtendedAway:
        return PresenceAway;
    case QContactPresence::PresenceHidden:
    case QContactPresence::PresenceOffline:
        return PresenceOffline;
    default:
        return PresenceUnknown;
    }
}

CallHistoryContact::PresenceCode CallHistoryContact::presenceOfDetail(const QContactDetail &detail,
                                                                      const QContact &contact)
{
    const QList<QContactPresence> presences = linkedPresences(contact, linkedUrisOf(detail));
    if (presences.isEmpty())
        return PresenceNone;
    bool ok = false;
    const int state = presences.first().value(QContactPresence::FieldPresenceState).toInt(&ok);
    return presenceCodeOfState(ok ? state : 0);
}

CallHistoryContact::PresenceCode CallHistoryContact::presenceForAccount(const QString &accountPath,
                                                                        const QContact &contact)
{
    // An account without a path stands for no calling account: it never matches, not even the
    // empty path of the cellular account.
    if (accountPath.isEmpty())
        return PresenceNone;
    for (const QContactOnlineAccount &account : contact.details<QContactOnlineAccount>()) {
        if (account.value(QContactOnlineAccount__FieldAccountPath).toString() == accountPath)
            return presenceOfDetail(account, contact);
    }
    return PresenceNone;
}

QString CallHistoryContact::presenceMessage(const QContact &contact)
{
    QSet<QString> linkedUris;
    for (const QContactOnlineAccount &account : contact.details<QContactOnlineAccount>())
        linkedUris.unite(linkedUrisOf(account));
    QDateTime newest;
    QString message;
    for (const QContactPresence &presence : linkedPresences(contact, linkedUris)) {
        const QDateTime timestamp = presence.value(QContactPresence::FieldTimestamp).toDateTime();
        if (!newest.isValid() || timestamp > newest) {
            message = presence.customMessage();
            newest = timestamp;
        }
    }
    return message;
}
