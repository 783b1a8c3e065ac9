#include "edsregistryprobe.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QHash>
#include <QSet>

#include <algorithm>

namespace ContactsEngine {

const char EdsRegistryProbe::serviceName[] = "org.gnome.evolution.dataserver.Sources5";
const char EdsRegistryProbe::objectPath[] = "/org/gnome/evolution/dataserver/SourceManager";

namespace {

const char sourceInterface[] = "org.gnome.evolution.dataserver.Source";

// The groups of a key file: group name to its keys and values (localized keys left out).
QHash<QString, QHash<QString, QString>> keyFile(const QString &text)
{
    QHash<QString, QHash<QString, QString>> groups;
    QString group;
    for (const QString &raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            group = line.mid(1, line.size() - 2);
            groups[group];
            continue;
        }
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0 || group.isEmpty())
            continue;
        const QString key = line.left(equals).trimmed();
        if (!key.contains(QLatin1Char('[')))
            groups[group].insert(key, line.mid(equals + 1).trimmed());
    }
    return groups;
}

} // namespace

int EdsRegistryProbe::Result::enabledCount() const
{
    return int(std::count_if(addressBooks.cbegin(), addressBooks.cend(),
                             [](const AddressBook &book) { return book.enabled; }));
}

QList<EdsRegistryProbe::AddressBook>
EdsRegistryProbe::addressBooks(const QList<QPair<QString, QString>> &sources)
{
    struct Source
    {
        bool enabled = true;
        QString parent;
    };
    QHash<QString, Source> all;
    QList<AddressBook> books;
    for (const auto &source : sources) {
        const auto groups = keyFile(source.second);
        const auto data = groups.value(QStringLiteral("Data Source"));
        Source s;
        s.enabled =
            data.value(QStringLiteral("Enabled"), QStringLiteral("true")).toLower() != "false";
        s.parent = data.value(QStringLiteral("Parent"));
        all.insert(source.first, s);
        if (!groups.contains(QStringLiteral("Address Book")))
            continue;
        AddressBook book;
        book.uid = source.first;
        book.name = data.value(QStringLiteral("DisplayName"));
        book.backend =
            groups.value(QStringLiteral("Address Book")).value(QStringLiteral("BackendName"));
        books << book;
    }
    for (AddressBook &book : books) {
        // Enabled when every source up to the top is; a loop of parents is not.
        QSet<QString> seen;
        QString uid = book.uid;
        book.enabled = true;
        while (!uid.isEmpty() && book.enabled) {
            if (seen.contains(uid)) {
                book.enabled = false;
                break;
            }
            seen.insert(uid);
            const auto it = all.constFind(uid);
            if (it == all.cend())
                break;
            book.enabled = it->enabled;
            uid = it->parent;
        }
    }
    std::sort(books.begin(), books.end(),
              [](const AddressBook &a, const AddressBook &b) { return a.uid < b.uid; });
    return books;
}

EdsRegistryProbe::Result EdsRegistryProbe::probe(const QDBusConnection &bus, int timeout)
{
    Result result;
    QDBusConnectionInterface *daemon = bus.isConnected() ? bus.interface() : nullptr;
    if (!daemon) {
        result.error = QStringLiteral("no session bus");
        return result;
    }
    const QString name = QString::fromLatin1(serviceName);
    if (!daemon->isServiceRegistered(name).value() &&
        !daemon->activatableServiceNames().value().contains(name)) {
        result.error = QStringLiteral("EDS is not installed (nothing starts %1)").arg(name);
        return result;
    }
    const QDBusMessage reply = bus.call(
        QDBusMessage::createMethodCall(name, QString::fromLatin1(objectPath),
                                       QStringLiteral("org.freedesktop.DBus.ObjectManager"),
                                       QStringLiteral("GetManagedObjects")),
        QDBus::Block, timeout);
    result.state = NoAnswer;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != "a{oa{sa{sv}}}") {
        result.error = reply.type() == QDBusMessage::ErrorMessage
                           ? reply.errorMessage()
                           : QStringLiteral("the registry sent an answer of another shape");
        return result;
    }
    QList<QPair<QString, QString>> sources;
    const QDBusArgument objects = reply.arguments().at(0).value<QDBusArgument>();
    objects.beginMap();
    while (!objects.atEnd()) {
        if (sources.size() >= MaximumSources) {
            result.error =
                QStringLiteral("the registry lists more than %1 sources").arg(int(MaximumSources));
            return result;
        }
        objects.beginMapEntry();
        QDBusObjectPath path;
        objects >> path;
        objects.beginMap();
        while (!objects.atEnd()) {
            objects.beginMapEntry();
            QString interface;
            QVariantMap properties;
            objects >> interface >> properties;
            objects.endMapEntry();
            if (interface != QLatin1String(sourceInterface))
                continue;
            const QString uid = properties.value(QStringLiteral("UID")).toString();
            const QString data = properties.value(QStringLiteral("Data")).toString();
            if (uid.isEmpty() || uid.size() > 1024 || data.size() > MaximumDataSize)
                continue;
            sources.append(qMakePair(uid, data));
        }
        objects.endMap();
        objects.endMapEntry();
    }
    objects.endMap();
    result.state = Answered;
    result.addressBooks = addressBooks(sources);
    return result;
}

} // namespace ContactsEngine
