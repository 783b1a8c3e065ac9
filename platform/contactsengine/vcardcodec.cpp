#include "vcardcodec.h"

#include "contactsengine.h"

#include <QtContacts/QContactGuid>
#include <QtContacts/QContactOnlineAccount>
#include <QtContacts/QContactPresence>
#include <QtVersit/QVersitContactExporter>
#include <QtVersit/QVersitContactImporter>
#include <QtVersit/QVersitReader>
#include <QtVersit/QVersitWriter>

#include <QDateTime>
#include <QHash>
#include <QTextCodec>

#include <algorithm>

using namespace QtContacts;
using namespace QtVersit;

namespace ContactsEngine {

namespace {

const char accountPathParameter[] = "X-ACCOUNT-PATH";
const char capabilitiesParameter[] = "X-CAPABILITIES";
const char presenceProperty[] = "X-PRESENCE";
const char stateParameter[] = "X-STATE";
const char timestampParameter[] = "X-TIMESTAMP";
const char presenceUriPrefix[] = "presence:";
const char accountUriPrefix[] = "account:";
// Basic ISO 8601 in UTC: colons would end the parameter list.
const char timestampFormat[] = "yyyyMMdd'T'HHmmss'Z'";

const char *const stateNames[] = {"unknown", "available",    "hidden", "busy",
                                  "away",    "extendedaway", "offline"};

int stateFromName(const QString &name)
{
    for (int i = 0; i < int(sizeof stateNames / sizeof *stateNames); ++i) {
        if (name.compare(QLatin1String(stateNames[i]), Qt::CaseInsensitive) == 0)
            return i;
    }
    return QContactPresence::PresenceUnknown;
}

QString nameOfState(int state)
{
    if (state < 0 || state >= int(sizeof stateNames / sizeof *stateNames))
        state = 0;
    return QString::fromLatin1(stateNames[state]);
}

QDateTime parseTimestamp(const QString &text)
{
    QDateTime time = QDateTime::fromString(text, QLatin1String(timestampFormat));
    time.setTimeSpec(Qt::UTC);
    return time;
}

QString firstParameter(const QVersitProperty &property, const char *name)
{
    const QStringList values = property.parameters().values(QString::fromLatin1(name));
    return values.isEmpty() ? QString() : values.last();
}

// Every value of a parameter, in the order written ("A,B" and repeated parameters alike).
QStringList allParameters(const QVersitProperty &property, const char *name)
{
    QStringList values = property.parameters().values(QString::fromLatin1(name));
    std::reverse(values.begin(), values.end()); // QMultiHash lists the last inserted first
    QStringList result;
    for (const QString &value : values)
        result += value.split(QLatin1Char(','), Qt::SkipEmptyParts);
    return result;
}

// Reads the account parameters of IMPP and the presence property.
class ImportHandler : public QVersitContactImporterPropertyHandlerV2
{
public:
    void propertyProcessed(const QVersitDocument &, const QVersitProperty &property,
                           const QContact &, bool *alreadyProcessed,
                           QList<QContactDetail> *updatedDetails) override
    {
        const QString group = property.groups().value(0);
        if (property.name() == QLatin1String(presenceProperty)) {
            QContactPresence presence;
            presence.setPresenceState(QContactPresence::PresenceState(
                stateFromName(firstParameter(property, stateParameter))));
            const QDateTime timestamp =
                parseTimestamp(firstParameter(property, timestampParameter));
            if (timestamp.isValid())
                presence.setTimestamp(timestamp);
            presence.setCustomMessage(property.value());
            if (!group.isEmpty())
                presence.setDetailUri(QString::fromLatin1(presenceUriPrefix) + group);
            updatedDetails->append(presence);
            *alreadyProcessed = true;
            return;
        }
        for (QContactDetail &detail : *updatedDetails) {
            if (detail.type() != QContactDetail::TypeOnlineAccount)
                continue;
            if (!group.isEmpty())
                detail.setValue(QContactDetail::FieldDetailUri,
                                QString::fromLatin1(accountUriPrefix) + group);
            const QString path = firstParameter(property, accountPathParameter);
            if (!path.isEmpty())
                detail.setValue(QContactOnlineAccount__FieldAccountPath, path);
            const QStringList capabilities = allParameters(property, capabilitiesParameter);
            if (!capabilities.isEmpty())
                detail.setValue(QContactOnlineAccount::FieldCapabilities, capabilities);
        }
    }

    // Links each presence to the online account of its group.
    void documentProcessed(const QVersitDocument &, QContact *contact) override
    {
        const QList<QContactPresence> presences = contact->details<QContactPresence>();
        for (QContactOnlineAccount account : contact->details<QContactOnlineAccount>()) {
            const QString uri = account.detailUri();
            if (!uri.startsWith(QLatin1String(accountUriPrefix)))
                continue;
            const QString presenceUri =
                QString::fromLatin1(presenceUriPrefix) + uri.mid(int(qstrlen(accountUriPrefix)));
            QStringList linked = account.linkedDetailUris();
            for (const QContactPresence &presence : presences) {
                if (presence.detailUri() == presenceUri && !linked.contains(presenceUri))
                    linked.append(presenceUri);
            }
            if (linked != account.linkedDetailUris()) {
                account.setLinkedDetailUris(linked);
                contact->saveDetail(&account, QContact::IgnoreAccessConstraints);
            }
        }
    }
};

// Writes the account parameters of IMPP and the presence property.
class ExportHandler : public QVersitContactExporterDetailHandlerV2
{
public:
    void detailProcessed(const QContact &contact, const QContactDetail &detail,
                         const QVersitDocument &, QSet<int> *, QList<QVersitProperty> *,
                         QList<QVersitProperty> *toBeAdded) override
    {
        if (detail.type() == QContactDetail::TypeOnlineAccount) {
            const QContactOnlineAccount account(detail);
            const QString group = groupOf(contact, account);
            for (QVersitProperty &property : *toBeAdded) {
                const QString path =
                    account.value(QContactOnlineAccount__FieldAccountPath).toString();
                if (!path.isEmpty())
                    property.insertParameter(QString::fromLatin1(accountPathParameter), path);
                // The writer lists a parameter's values last inserted first.
                const QStringList capabilities = account.capabilities();
                for (auto it = capabilities.crbegin(); it != capabilities.crend(); ++it)
                    property.insertParameter(QString::fromLatin1(capabilitiesParameter), *it);
                if (!group.isEmpty())
                    property.setGroups({group});
            }
        } else if (detail.type() == QContactDetail::TypePresence) {
            const QContactPresence presence(detail);
            QVersitProperty property;
            property.setName(QString::fromLatin1(presenceProperty));
            for (const QContactOnlineAccount &account : contact.details<QContactOnlineAccount>()) {
                if (!presence.detailUri().isEmpty() &&
                    account.linkedDetailUris().contains(presence.detailUri())) {
                    property.setGroups({groupOf(contact, account)});
                    break;
                }
            }
            property.insertParameter(QString::fromLatin1(stateParameter),
                                     nameOfState(presence.presenceState()));
            if (presence.timestamp().isValid())
                property.insertParameter(QString::fromLatin1(timestampParameter),
                                         presence.timestamp().toUTC().toString(timestampFormat));
            property.setValue(presence.customMessage());
            toBeAdded->append(property);
        }
    }

    // "account<n>" for the n-th online account of the contact when a presence is linked to it.
    static QString groupOf(const QContact &contact, const QContactOnlineAccount &account)
    {
        const QList<QContactOnlineAccount> accounts = contact.details<QContactOnlineAccount>();
        const QList<QContactPresence> presences = contact.details<QContactPresence>();
        for (int i = 0; i < accounts.size(); ++i) {
            if (accounts.at(i).key() != account.key())
                continue;
            for (const QContactPresence &presence : presences) {
                if (!presence.detailUri().isEmpty() &&
                    account.linkedDetailUris().contains(presence.detailUri()))
                    return QStringLiteral("account%1").arg(i + 1);
            }
        }
        return QString();
    }
    void contactProcessed(const QContact &, QVersitDocument *) override {}
};

bool isUtf8(const QByteArray &input)
{
    QTextCodec::ConverterState state;
    QTextCodec::codecForName("UTF-8")->toUnicode(input.constData(), input.size(), &state);
    return state.invalidChars == 0 && state.remainingChars == 0;
}

// Names the first CHARSET or ENCODING parameter that this reader would have to guess at. The raw
// text is scanned, as QtVersit consumes these parameters while it reads: the parameters of a line
// are what stands before its first colon (folded continuation lines hold none).
QString unsupportedEncoding(const QByteArray &input)
{
    static const QList<QByteArray> charsets = {"UTF-8", "US-ASCII"};
    static const QList<QByteArray> encodings = {"8BIT", "7BIT", "QUOTED-PRINTABLE", "BASE64", "B"};
    for (const QByteArray &rawLine : input.split('\n')) {
        if (rawLine.startsWith(' ') || rawLine.startsWith('\t'))
            continue;
        const int colon = rawLine.indexOf(':');
        const QList<QByteArray> parts = rawLine.left(colon < 0 ? 0 : colon).split(';');
        for (int i = 1; i < parts.size(); ++i) {
            const int equals = parts.at(i).indexOf('=');
            if (equals < 0)
                continue;
            const QByteArray name = parts.at(i).left(equals).trimmed().toUpper();
            const QByteArray value = parts.at(i).mid(equals + 1).trimmed();
            if (name == "CHARSET" && !charsets.contains(value.toUpper()))
                return QStringLiteral("character set \"%1\"").arg(QString::fromUtf8(value));
            if (name == "ENCODING") {
                for (const QByteArray &one : value.split(',')) {
                    if (!encodings.contains(one.trimmed().toUpper()))
                        return QStringLiteral("encoding \"%1\"").arg(QString::fromUtf8(value));
                }
            }
        }
    }
    return QString();
}

// The nesting of components in the raw text, as QtVersit will follow it. QtVersit reads a nested
// component (BEGIN inside a card) by recursion in its reader thread, so the depth must be bounded
// before it reads. The scan errs on the deep side: every line whose property name is BEGIN counts
// as one more level and one more card, whatever its case, group, parameters, value, folding or
// spaces; a line named END closes a level only where QtVersit is known to end a component there,
// that is not after a line ending in "=" (a quoted-printable soft line break, which makes the
// next line part of the value). Line breaks are CR, LF or CR LF, as QtVersit reads them.
struct Structure
{
    int components = 0;
    int deepest = 0;
};

Structure scanStructure(const QByteArray &input)
{
    Structure result;
    int depth = 0;
    QByteArray name;             // the property name of the current logical line, without spaces
    bool inName = true;          // still before the first ':' of the logical line
    bool afterSoftBreak = false; // the current logical line follows a line ending in '='
    char lastSignificant = 0;    // last non-space byte of the current physical line
    const auto endLine = [&] {
        if (!name.isEmpty() && !inName) {
            const int semicolon = name.indexOf(';');
            QByteArray bare = semicolon < 0 ? name : name.left(semicolon);
            bare = bare.mid(bare.lastIndexOf('.') + 1).toUpper();
            if (bare == "BEGIN") {
                ++result.components;
                result.deepest = qMax(result.deepest, ++depth);
            } else if (bare == "END" && !afterSoftBreak && depth > 0) {
                --depth;
            }
        }
        name.clear();
        inName = true;
    };
    const int size = input.size();
    for (int i = 0; i < size; ++i) {
        const char c = input.at(i);
        if (c != '\r' && c != '\n') {
            if (c != ' ' && c != '\t')
                lastSignificant = c;
            if (!inName)
                continue;
            if (c == ':')
                inName = false;
            else if (c != ' ' && c != '\t' && name.size() < 64)
                name.append(c);
            continue;
        }
        // A line break: CR LF counts once.
        if (c == '\r' && i + 1 < size && input.at(i + 1) == '\n')
            ++i;
        const bool softBreak = lastSignificant == '=';
        lastSignificant = 0;
        // A line that starts with a space or tab continues the logical line.
        if (i + 1 < size && (input.at(i + 1) == ' ' || input.at(i + 1) == '\t'))
            continue;
        endLine();
        afterSoftBreak = softBreak;
    }
    endLine();
    return result;
}

// Names the first two cards that share a UID, or returns an empty string. A UID names one contact:
// the import replaces the stored contact with that UID, so two cards with it cannot both be taken.
QString duplicateUid(const QList<QContact> &contacts)
{
    QHash<QString, int> seen;
    for (int i = 0; i < contacts.size(); ++i) {
        const QString uid = contacts.at(i).detail<QContactGuid>().guid();
        if (uid.isEmpty())
            continue;
        const auto it = seen.constFind(uid);
        if (it != seen.cend()) {
            const QString shown = uid.size() > 80 ? uid.left(80) + QStringLiteral("...") : uid;
            return QStringLiteral("cards %1 and %2 have the same UID \"%3\"")
                .arg(it.value() + 1)
                .arg(i + 1)
                .arg(shown);
        }
        seen.insert(uid, i);
    }
    return QString();
}

} // namespace

QList<QContact> VCardCodec::importContacts(const QByteArray &input, QString *error)
{
    error->clear();
    if (input.size() > maximumInputSize) {
        *error = QStringLiteral("the input is too large (%1 bytes; at most %2)")
                     .arg(input.size())
                     .arg(maximumInputSize);
        return {};
    }
    if (!isUtf8(input)) {
        *error = QStringLiteral("the input is not UTF-8 text");
        return {};
    }
    if (input.contains('\0')) {
        *error = QStringLiteral("the input contains NUL bytes");
        return {};
    }
    // Bounds on the number of cards and on their nesting before QtVersit reads them.
    const Structure structure = scanStructure(input);
    if (structure.deepest > maximumNesting) {
        *error = QStringLiteral("the input nests cards too deeply (at most %1 levels)")
                     .arg(maximumNesting);
        return {};
    }
    if (structure.components > maximumContacts) {
        *error = QStringLiteral("the input holds too many cards (at most %1)").arg(maximumContacts);
        return {};
    }

    const QString encoding = unsupportedEncoding(input);
    if (!encoding.isEmpty()) {
        *error = QStringLiteral("the input uses the unsupported %1").arg(encoding);
        return {};
    }

    QVersitReader reader(input);
    reader.setDefaultCodec(QTextCodec::codecForName("UTF-8"));
    if (!reader.startReading() || !reader.waitForFinished() ||
        reader.error() != QVersitReader::NoError) {
        *error = QStringLiteral("the input is not a valid vCard");
        return {};
    }
    const QList<QVersitDocument> documents = reader.results();
    if (documents.isEmpty()) {
        *error = QStringLiteral("the input holds no vCard");
        return {};
    }
    if (documents.size() > maximumContacts) {
        *error = QStringLiteral("the input holds too many cards (at most %1)").arg(maximumContacts);
        return {};
    }
    for (int i = 0; i < documents.size(); ++i) {
        if (documents.at(i).componentType() != QLatin1String("VCARD") ||
            documents.at(i).type() == QVersitDocument::InvalidType) {
            *error = QStringLiteral("card %1 is not a vCard").arg(i + 1);
            return {};
        }
    }

    QVersitContactImporter importer;
    ImportHandler handler;
    importer.setPropertyHandler(&handler);
    if (!importer.importDocuments(documents)) {
        const int index = importer.errorMap().isEmpty() ? 0 : importer.errorMap().firstKey();
        *error = QStringLiteral("card %1 cannot be read as a contact").arg(index + 1);
        return {};
    }
    const QList<QContact> contacts = importer.contacts();
    const QString duplicate = duplicateUid(contacts);
    if (!duplicate.isEmpty()) {
        *error = duplicate;
        return {};
    }
    return contacts;
}

QByteArray VCardCodec::exportContacts(const QList<QContact> &contacts, Version version)
{
    // QtVersit writes an online account only when it knows its kind; one without is written as
    // IMPP.
    QList<QContact> prepared = contacts;
    for (QContact &contact : prepared) {
        for (QContactOnlineAccount account : contact.details<QContactOnlineAccount>()) {
            if (account.subTypes().isEmpty() &&
                account.protocol() == QContactOnlineAccount::ProtocolUnknown) {
                account.setSubTypes({QContactOnlineAccount::SubTypeImpp});
                contact.saveDetail(&account, QContact::IgnoreAccessConstraints);
            }
        }
    }
    QVersitContactExporter exporter;
    ExportHandler handler;
    exporter.setDetailHandler(&handler);
    exporter.exportContacts(prepared, version == VCard40 ? QVersitDocument::VCard40Type
                                                         : QVersitDocument::VCard30Type);
    QByteArray output;
    QVersitWriter writer(&output);
    writer.setDefaultCodec(QTextCodec::codecForName("UTF-8"));
    writer.startWriting(exporter.documents());
    writer.waitForFinished();
    return output;
}

} // namespace ContactsEngine
