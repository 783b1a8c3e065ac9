#include "edscontactconverter.h"

#include "vcardcodec.h"

#include <libebook-contacts/libebook-contacts.h>

#include <QtContacts/QContactDisplayLabel>
#include <QtContacts/QContactGuid>
#include <QtContacts/QContactName>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QSaveFile>
#include <QUrl>

using namespace QtContacts;

namespace {

// Frees an EVCard at the end of a scope.
struct Card
{
    explicit Card(const QByteArray &text) : card(e_vcard_new_from_string(text.constData())) {}
    ~Card() { g_object_unref(card); }
    Card(const Card &) = delete;
    Card &operator=(const Card &) = delete;
    EVCard *card;
};

QByteArray toText(EVCard *card)
{
    gchar *text = e_vcard_to_string(card, EVC_FORMAT_VCARD_30);
    const QByteArray result(text);
    g_free(text);
    return result;
}

QString nameOf(EVCardAttribute *attribute)
{
    return QString::fromUtf8(e_vcard_attribute_get_name(attribute)).toUpper();
}

bool hasParameterValue(EVCardAttribute *attribute, const char *parameter,
                       const QList<QByteArray> &values)
{
    for (GList *v = e_vcard_attribute_get_param(attribute, parameter); v; v = v->next) {
        if (values.contains(QByteArray(static_cast<const char *>(v->data)).toUpper()))
            return true;
    }
    return false;
}

QString firstValue(const QByteArray &card, const char *name)
{
    Card parsed(card);
    EVCardAttribute *attribute = e_vcard_get_attribute(parsed.card, name);
    if (!attribute)
        return QString();
    gchar *value = e_vcard_attribute_get_value(attribute);
    const QString result = QString::fromUtf8(value);
    g_free(value);
    return result;
}

// The properties of a card by name, each name's properties as the text of a card of their own.
QMap<QString, QByteArray> propertiesByName(const QByteArray &card)
{
    static const QSet<QString> ignored = {QStringLiteral("UID"), QStringLiteral("REV"),
                                          QStringLiteral("VERSION"), QStringLiteral("PRODID")};
    QMap<QString, QList<EVCardAttribute *>> grouped;
    Card parsed(card);
    for (GList *a = e_vcard_get_attributes(parsed.card); a; a = a->next) {
        auto *attribute = static_cast<EVCardAttribute *>(a->data);
        const QString name = nameOf(attribute);
        if (!ignored.contains(name))
            grouped[name].append(attribute);
    }
    QMap<QString, QByteArray> result;
    for (auto it = grouped.cbegin(); it != grouped.cend(); ++it) {
        EVCard *one = e_vcard_new();
        for (EVCardAttribute *attribute : it.value())
            e_vcard_append_attribute(one, e_vcard_attribute_copy(attribute));
        result.insert(it.key(), toText(one));
        g_object_unref(one);
    }
    return result;
}

QString extensionOf(EVCardAttribute *photo)
{
    for (GList *v = e_vcard_attribute_get_param(photo, EVC_TYPE); v; v = v->next) {
        const QByteArray type = QByteArray(static_cast<const char *>(v->data)).toLower();
        if (type.contains("png"))
            return QStringLiteral("png");
        if (type.contains("gif"))
            return QStringLiteral("gif");
        if (type.contains("jpeg") || type.contains("jpg"))
            return QStringLiteral("jpg");
    }
    return QStringLiteral("img");
}

} // namespace

EdsContactConverter::EdsContactConverter(const QString &pictureFolder)
    : m_pictureFolder(pictureFolder)
{
}

bool EdsContactConverter::toContact(const QByteArray &card, QContact *contact, QString *error) const
{
    Card parsed(card);
    EVCardAttribute *list = e_vcard_get_attribute(parsed.card, EVC_X_LIST);
    if (list) {
        gchar *value = e_vcard_attribute_get_value(list);
        const bool isList = value && g_ascii_strcasecmp(value, "TRUE") == 0;
        g_free(value);
        if (isList) {
            *error = QStringLiteral("a contact list is not a person");
            return false;
        }
    }
    e_vcard_remove_attributes(parsed.card, nullptr, EVC_REV);

    QList<EVCardAttribute *> inlinePictures;
    for (GList *a = e_vcard_get_attributes(parsed.card); a; a = a->next) {
        auto *attribute = static_cast<EVCardAttribute *>(a->data);
        if (nameOf(attribute) == QLatin1String(EVC_PHOTO) &&
            hasParameterValue(attribute, EVC_ENCODING, {"B", "BASE64"}))
            inlinePictures.append(attribute);
    }
    for (EVCardAttribute *picture : qAsConst(inlinePictures)) {
        GString *data = e_vcard_attribute_get_value_decoded(picture);
        const QByteArray bytes = data ? QByteArray(data->str, int(data->len)) : QByteArray();
        if (data)
            g_string_free(data, TRUE);
        const QString file =
            m_pictureFolder + QLatin1Char('/') +
            QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex()) +
            QLatin1Char('.') + extensionOf(picture);
        e_vcard_remove_attribute(parsed.card, picture);
        if (bytes.isEmpty())
            continue;
        if (!QFile::exists(file)) {
            QDir().mkpath(m_pictureFolder);
            QSaveFile out(file);
            if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() ||
                !out.commit())
                continue; // the contact without its picture rather than no contact
        }
        EVCardAttribute *uri = e_vcard_attribute_new(nullptr, EVC_PHOTO);
        e_vcard_attribute_add_param_with_value(uri, e_vcard_attribute_param_new(EVC_VALUE), "uri");
        e_vcard_append_attribute_with_value(
            parsed.card, uri, QUrl::fromLocalFile(file).toString().toUtf8().constData());
    }

    const QList<QContact> contacts =
        ContactsEngine::VCardCodec::importContacts(toText(parsed.card), error);
    if (contacts.size() != 1) {
        if (error->isEmpty())
            *error = QStringLiteral("the card holds no contact");
        return false;
    }
    *contact = contacts.first();
    // A card named by FN alone (N is optional in EDS) is named so here too: our engine names a
    // contact by its name details, not by the label a card brings.
    QContactName name = contact->detail<QContactName>();
    const QString label = contact->detail<QContactDisplayLabel>().label().trimmed();
    if (!label.isEmpty() && name.firstName().trimmed().isEmpty() &&
        name.lastName().trimmed().isEmpty() && name.middleName().trimmed().isEmpty() &&
        name.customLabel().trimmed().isEmpty()) {
        name.setCustomLabel(label);
        contact->saveDetail(&name);
    }
    return true;
}

QByteArray EdsContactConverter::toVCard(const QContact &contact, const QString &uid)
{
    QContact copy = contact;
    if (!uid.isEmpty()) {
        QContactGuid guid = copy.detail<QContactGuid>();
        guid.setGuid(uid);
        copy.saveDetail(&guid);
    }
    return ContactsEngine::VCardCodec::exportContacts({copy}, ContactsEngine::VCardCodec::VCard30);
}

QSet<QString> EdsContactConverter::changedProperties(const QByteArray &base, const QByteArray &ours)
{
    const QMap<QString, QByteArray> before = propertiesByName(base);
    const QMap<QString, QByteArray> after = propertiesByName(ours);
    QSet<QString> changed;
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (after.value(it.key()) != it.value())
            changed.insert(it.key());
    }
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (!before.contains(it.key()))
            changed.insert(it.key());
    }
    return changed;
}

QByteArray EdsContactConverter::merge(const QByteArray &current, const QByteArray &base,
                                      const QByteArray &ours)
{
    const QSet<QString> changed = changedProperties(base, ours);
    Card merged(current);
    Card mine(ours);
    for (const QString &name : changed)
        e_vcard_remove_attributes(merged.card, nullptr, name.toUtf8().constData());
    for (GList *a = e_vcard_get_attributes(mine.card); a; a = a->next) {
        auto *attribute = static_cast<EVCardAttribute *>(a->data);
        if (changed.contains(nameOf(attribute)))
            e_vcard_append_attribute(merged.card, e_vcard_attribute_copy(attribute));
    }
    return toText(merged.card);
}

QString EdsContactConverter::uidOf(const QByteArray &card)
{
    return firstValue(card, EVC_UID);
}

QString EdsContactConverter::revisionOf(const QByteArray &card)
{
    return firstValue(card, EVC_REV);
}
