#include "contactsengine.h"

#include <QtContacts/QContactDisplayLabel>
#include <QtContacts/QContactManager>
#include <QtContacts/QContactName>
#include <QtContacts/QContactNickname>
#include <QtContacts/QContactPhoneNumber>

#include <QDir>
#include <QStandardPaths>
#include <QtEndian>
#include <QtPlugin>

using namespace QtContacts;

// The engine factory is a static plugin of this library; importing it here (a translation unit
// that every user links through ensureRegistered()) registers it when the program starts.
Q_IMPORT_PLUGIN(AddressBookEngineFactory)

namespace ContactsEngine {

const char managerName[] = "org.velto.addressbook";
const char databaseParameter[] = "database";
const char databaseEnvironment[] = "CALL_HISTORY_CONTACTS_DB";

QString ensureRegistered()
{
    // The argument types of QContactManager's change signals, for queued connections and spies.
    static const bool registered = [] {
        qRegisterMetaType<QList<QContactId>>("QList<QContactId>");
        qRegisterMetaType<QList<QContactDetail::DetailType>>("QList<QContactDetail::DetailType>");
        qRegisterMetaType<QList<QContactLocalId>>("QList<QContactLocalId>");
        // The same, as ContactManagerSignals' signals name them.
        qRegisterMetaType<QList<QContactId>>("QList<QtContacts::QContactId>");
        qRegisterMetaType<QList<QContactDetail::DetailType>>(
            "QList<QtContacts::QContactDetail::DetailType>");
        return true;
    }();
    Q_UNUSED(registered);
    return QString::fromLatin1(managerName);
}

QString databasePath(const QMap<QString, QString> &parameters)
{
    const QString given = parameters.value(QString::fromLatin1(databaseParameter));
    if (!given.isEmpty())
        return given;
    const QString fromEnvironment = qEnvironmentVariable(databaseEnvironment);
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/call-history/contacts.db");
}

QString managerUri()
{
    static const QString uri =
        QContactManager::buildUri(QString::fromLatin1(managerName), QMap<QString, QString>());
    return uri;
}

QContactId toContactId(QContactLocalId localId)
{
    if (localId == 0)
        return QContactId();
    QByteArray bytes(4, '\0');
    qToBigEndian<quint32>(localId, bytes.data());
    return QContactId(managerUri(), bytes);
}

QContactLocalId toLocalId(const QContactId &id)
{
    const QByteArray bytes = id.localId();
    if (bytes.size() != 4 || id.managerUri() != managerUri())
        return 0;
    return qFromBigEndian<quint32>(bytes.constData());
}

QList<QContactId> toContactIds(const QList<QContactLocalId> &localIds)
{
    QList<QContactId> ids;
    ids.reserve(localIds.size());
    for (QContactLocalId localId : localIds)
        ids.append(toContactId(localId));
    return ids;
}

QList<QContactLocalId> toLocalIds(const QList<QContactId> &ids)
{
    QList<QContactLocalId> localIds;
    localIds.reserve(ids.size());
    for (const QContactId &id : ids)
        localIds.append(toLocalId(id));
    return localIds;
}

static QString nameLabel(const QContactName &name)
{
    if (!name.customLabel().trimmed().isEmpty())
        return name.customLabel().trimmed();
    QStringList parts;
    for (const QString &part : {name.firstName(), name.middleName(), name.lastName()}) {
        if (!part.trimmed().isEmpty())
            parts.append(part.trimmed());
    }
    return parts.join(QLatin1Char(' '));
}

QString synthesizedContactDisplayLabel(const QContact &contact)
{
    const QString label = contact.detail<QContactDisplayLabel>().label().trimmed();
    if (!label.isEmpty())
        return label;
    const QString name = nameLabel(contact.detail<QContactName>());
    if (!name.isEmpty())
        return name;
    for (const QContactNickname &nickname : contact.details<QContactNickname>()) {
        if (!nickname.nickname().trimmed().isEmpty())
            return nickname.nickname().trimmed();
    }
    for (const QContactPhoneNumber &number : contact.details<QContactPhoneNumber>()) {
        if (!number.number().trimmed().isEmpty())
            return number.number().trimmed();
    }
    for (const QContactOnlineAccount &account : contact.details<QContactOnlineAccount>()) {
        if (!account.accountUri().trimmed().isEmpty())
            return account.accountUri().trimmed();
    }
    return QString();
}

QString dialableDigits(const QString &number)
{
    QStringRef rest(&number);
    if (rest.startsWith(QLatin1String("*31#")) || rest.startsWith(QLatin1String("#31#")))
        rest = rest.mid(4);
    QString digits;
    digits.reserve(rest.size());
    for (const QChar c : rest) {
        const char latin = c.toLatin1();
        if (latin == 'p' || latin == 'P' || latin == 'w' || latin == 'W' || latin == 'x' ||
            latin == 'X' || latin == ',')
            break;
        if (c.isDigit() && c.digitValue() >= 0)
            digits.append(QLatin1Char(char('0' + c.digitValue())));
    }
    return digits;
}

bool isSameNumber(const QString &digits, const QString &otherDigits, int tailLength)
{
    if (digits.isEmpty() || otherDigits.isEmpty())
        return false;
    if (digits.size() < SignificantDigits || otherDigits.size() < SignificantDigits)
        return digits == otherDigits;
    const int shorter = qMin(digits.size(), otherDigits.size());
    return tailLength >= SignificantDigits && shorter - tailLength <= MaximumPrefixDigits;
}

} // namespace ContactsEngine
