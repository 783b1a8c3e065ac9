#include "vcardcodec.h"

#include "contactsengine.h"

#include <QtContacts/QContactOnlineAccount>
#include <QtContacts/QContactPresence>
#include <QtVersit/QVersitContactExporter>
#include <QtVersit/QVersitContactImporter>
#include <QtVersit/QVersitReader>
#include <QtVersit/QVersitWriter>

#include <QDateTime>
#include <QTextCodec>

using namespace QtContacts;
using namespace QtVersit;

namespace ContactsEngine {

namespace {

const char accountPathParameter[] = "X-ACCOUNT-PATH";
const char capabilitiesParameter[] = "X-CAPABILITIES";
const char presenceProperty[] = "X-PRESENCE";
const char stateParameter[] = "X-STATE";
const char timestampParameter[] = "X-TIMESTAMP";
const char accountParameter[] = "X-ACCOUNT";
const char presenceUriPrefix[] = "presence:";

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

QString firstParameter(const QVersitProperty &property, const char *name)
{
    const QStringList values = property.parameters().values(QString::fromLatin1(name));
    return values.isEmpty() ? QString() : values.last();
}

// Reads the account parameters of IMPP and the presence property.
class ImportHandler : public QVersitContactImporterPropertyHandlerV2
{
public:
    void propertyProcessed(const QVersitDocument &, const QVersitProperty &property,
                           const QContact &, bool *alreadyProcessed,
                           QList<QContactDetail> *updatedDetails) override
    {
        if (property.name() == QLatin1String(presenceProperty)) {
            QContactPresence presence;
            presence.setPresenceState(QContactPresence::PresenceState(
                stateFromName(firstParameter(property, stateParameter))));
            const QDateTime timestamp =
                QDateTime::fromString(firstParameter(property, timestampParameter), Qt::ISODate);
            if (timestamp.isValid())
                presence.setTimestamp(timestamp);
            presence.setCustomMessage(property.value());
            presence.setDetailUri(QString::fromLatin1(presenceUriPrefix) +
                                  firstParameter(property, accountParameter));
            updatedDetails->append(presence);
            *alreadyProcessed = true;
            return;
        }
        for (QContactDetail &detail : *updatedDetails) {
            if (detail.type() != QContactDetail::TypeOnlineAccount)
                continue;
            const QString path = firstParameter(property, accountPathParameter);
            if (!path.isEmpty())
                detail.setValue(QContactOnlineAccount__FieldAccountPath, path);
            const QString capabilities = firstParameter(property, capabilitiesParameter);
            if (!capabilities.isEmpty())
                detail.setValue(QContactOnlineAccount::FieldCapabilities,
                                capabilities.split(QLatin1Char(','), Qt::SkipEmptyParts));
        }
    }

    // Links each presence to the online account it names.
    void documentProcessed(const QVersitDocument &, QContact *contact) override
    {
        QList<QContactOnlineAccount> accounts = contact->details<QContactOnlineAccount>();
        const QList<QContactPresence> presences = contact->details<QContactPresence>();
        for (QContactOnlineAccount &account : accounts) {
            const QString uri = QString::fromLatin1(presenceUriPrefix) + account.accountUri();
            QStringList linked = account.linkedDetailUris();
            for (const QContactPresence &presence : presences) {
                if (presence.detailUri() == uri && !linked.contains(uri))
                    linked.append(uri);
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
            for (QVersitProperty &property : *toBeAdded) {
                const QString path =
                    account.value(QContactOnlineAccount__FieldAccountPath).toString();
                if (!path.isEmpty())
                    property.insertParameter(QString::fromLatin1(accountPathParameter), path);
                if (!account.capabilities().isEmpty())
                    property.insertParameter(QString::fromLatin1(capabilitiesParameter),
                                             account.capabilities().join(QLatin1Char(',')));
            }
        } else if (detail.type() == QContactDetail::TypePresence) {
            const QContactPresence presence(detail);
            QString accountUri;
            for (const QContactOnlineAccount &account : contact.details<QContactOnlineAccount>()) {
                if (!presence.detailUri().isEmpty() &&
                    account.linkedDetailUris().contains(presence.detailUri())) {
                    accountUri = account.accountUri();
                    break;
                }
            }
            QVersitProperty property;
            property.setName(QString::fromLatin1(presenceProperty));
            property.insertParameter(QString::fromLatin1(stateParameter),
                                     nameOfState(presence.presenceState()));
            if (presence.timestamp().isValid())
                property.insertParameter(QString::fromLatin1(timestampParameter),
                                         presence.timestamp().toUTC().toString(Qt::ISODate));
            if (!accountUri.isEmpty())
                property.insertParameter(QString::fromLatin1(accountParameter), accountUri);
            property.setValue(presence.customMessage());
            toBeAdded->append(property);
        }
    }
    void contactProcessed(const QContact &, QVersitDocument *) override {}
};

bool isUtf8(const QByteArray &input)
{
    QTextCodec::ConverterState state;
    QTextCodec::codecForName("UTF-8")->toUnicode(input.constData(), input.size(), &state);
    return state.invalidChars == 0 && state.remainingChars == 0;
}

// Names every CHARSET or ENCODING parameter that this reader would have to guess at.
QString unsupportedEncoding(const QList<QVersitDocument> &documents)
{
    static const QStringList charsets = {QStringLiteral("UTF-8"), QStringLiteral("US-ASCII")};
    static const QStringList encodings = {QStringLiteral("8BIT"), QStringLiteral("7BIT"),
                                          QStringLiteral("QUOTED-PRINTABLE"),
                                          QStringLiteral("BASE64"), QStringLiteral("B")};
    for (const QVersitDocument &document : documents) {
        for (const QVersitProperty &property : document.properties()) {
            const QMultiHash<QString, QString> parameters = property.parameters();
            for (auto it = parameters.cbegin(); it != parameters.cend(); ++it) {
                const QString name = it.key().toUpper();
                if (name == QLatin1String("CHARSET") && !charsets.contains(it.value().toUpper()))
                    return QStringLiteral("character set \"%1\"").arg(it.value());
                if (name == QLatin1String("ENCODING") && !encodings.contains(it.value().toUpper()))
                    return QStringLiteral("encoding \"%1\"").arg(it.value());
            }
        }
        const QString nested = unsupportedEncoding(document.subDocuments());
        if (!nested.isEmpty())
            return nested;
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
    // A cheap bound on the number of cards before QtVersit builds them all.
    const int begins = input.count("BEGIN:VCARD") + input.count("begin:vcard");
    if (begins > maximumContacts) {
        *error = QStringLiteral("the input holds too many cards (at most %1)").arg(maximumContacts);
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
    const QString encoding = unsupportedEncoding(documents);
    if (!encoding.isEmpty()) {
        *error = QStringLiteral("the input uses the unsupported %1").arg(encoding);
        return {};
    }

    QVersitContactImporter importer;
    ImportHandler handler;
    importer.setPropertyHandler(&handler);
    if (!importer.importDocuments(documents)) {
        const int index = importer.errorMap().isEmpty() ? 0 : importer.errorMap().firstKey();
        *error = QStringLiteral("card %1 cannot be read as a contact").arg(index + 1);
        return {};
    }
    return importer.contacts();
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
