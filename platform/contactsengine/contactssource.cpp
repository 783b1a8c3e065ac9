#include "contactssource.h"

#include "mgconfitem.h"

#include <QDBusConnection>
#include <QFileInfo>
#include <QStandardPaths>

#include <sqlite3.h>

namespace ContactsEngine {

const char ContactsSource::environmentVariable[] = "CALL_HISTORY_CONTACTS";
const char ContactsSource::settingKey[] = "/apps/call-history/contacts/source";
const char ContactsSource::detectedKey[] = "/apps/call-history/contacts/detected";

static QString dataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/call-history");
}

QString ContactsSource::localDatabasePath()
{
    return dataFolder() + QStringLiteral("/contacts.db");
}

QString ContactsSource::mirrorDatabasePath()
{
    return dataFolder() + QStringLiteral("/eds-contacts.db");
}

QString ContactsSource::databasePath(Kind kind)
{
    return kind == Eds ? mirrorDatabasePath() : localDatabasePath();
}

QString ContactsSource::nameOf(Kind kind)
{
    return kind == Eds ? QStringLiteral("eds") : QStringLiteral("local");
}

namespace {

// "eds" or "local" as a kind; false for anything else.
bool kindOf(const QString &value, ContactsSource::Kind *kind)
{
    const QString v = value.trimmed().toLower();
    if (v != ContactsSource::nameOf(ContactsSource::Eds) &&
        v != ContactsSource::nameOf(ContactsSource::Local))
        return false;
    *kind = v == ContactsSource::nameOf(ContactsSource::Eds) ? ContactsSource::Eds
                                                             : ContactsSource::Local;
    return true;
}

QString shown(const QString &value)
{
    return value.size() > 40 ? value.left(40) + QStringLiteral("...") : value;
}

} // namespace

ContactsSource::Choice ContactsSource::choose(const Inputs &inputs, QString *detected)
{
    if (detected)
        detected->clear();
    Choice choice;
    QStringList refused;
    if (kindOf(inputs.environment, &choice.kind)) {
        choice.reason =
            QStringLiteral("%1=%2").arg(QLatin1String(environmentVariable), nameOf(choice.kind));
        return choice;
    }
    if (!inputs.environment.isEmpty())
        refused << QStringLiteral("%1=%2 is neither \"eds\" nor \"local\"")
                       .arg(QLatin1String(environmentVariable), shown(inputs.environment));
    if (kindOf(inputs.setting, &choice.kind)) {
        choice.reason = QStringLiteral("the setting %1 is \"%2\"")
                            .arg(QLatin1String(settingKey), nameOf(choice.kind));
    } else {
        if (!inputs.setting.isEmpty() && inputs.setting.trimmed().toLower() != "auto")
            refused << QStringLiteral("the setting %1 is \"%2\", neither \"eds\", \"local\" nor "
                                      "\"auto\"")
                           .arg(QLatin1String(settingKey), shown(inputs.setting));
        const int local = inputs.localContacts ? inputs.localContacts() : 0;
        const EdsRegistryProbe::Result result =
            local != 0 || !inputs.probe ? EdsRegistryProbe::Result() : inputs.probe();
        if (local != 0) {
            // A book that cannot be read counts as holding contacts: nothing is hidden unasked.
            choice.kind = Local;
            choice.reason =
                (local > 0 ? QStringLiteral("our own address book holds %1 contact(s)").arg(local)
                           : QStringLiteral("our own address book cannot be read")) +
                QStringLiteral(" (set %1 to \"eds\" to use the desktop's)")
                    .arg(QLatin1String(settingKey));
        } else if (result.state == EdsRegistryProbe::Answered) {
            const int enabled = result.enabledCount();
            choice.kind = enabled > 0 ? Eds : Local;
            choice.reason = enabled > 0
                                ? QStringLiteral("EDS has %1 enabled address book(s)").arg(enabled)
                                : QStringLiteral("EDS has no enabled address book");
            if (detected)
                *detected = nameOf(choice.kind);
        } else if (result.state == EdsRegistryProbe::NotInstalled) {
            choice.kind = Local;
            choice.reason =
                result.error.isEmpty() ? QStringLiteral("EDS is not installed") : result.error;
            if (detected)
                *detected = nameOf(Local);
        } else if (kindOf(inputs.lastDetected, &choice.kind)) {
            choice.reason = QStringLiteral("EDS did not answer (%1); it last chose %2")
                                .arg(result.error, nameOf(choice.kind));
        } else {
            choice.kind = Local;
            choice.reason = QStringLiteral("EDS did not answer (%1)").arg(result.error);
        }
    }
    if (!refused.isEmpty())
        choice.reason += QStringLiteral("; ") + refused.join(QStringLiteral("; "));
    return choice;
}

ContactsSource::Inputs ContactsSource::processInputs()
{
    Inputs inputs;
    inputs.environment = qEnvironmentVariable(environmentVariable);
    inputs.setting = MGConfItem(QString::fromLatin1(settingKey)).value().toString();
    inputs.lastDetected = MGConfItem(QString::fromLatin1(detectedKey)).value().toString();
    inputs.probe = [] {
        return EdsRegistryProbe::probe(QDBusConnection::sessionBus(), ProbeTimeout);
    };
    inputs.localContacts = [] { return personalContactCount(localDatabasePath()); };
    return inputs;
}

ContactsSource::Choice ContactsSource::current()
{
    static const Choice choice = [] {
        const Inputs inputs = processInputs();
        QString detected;
        const Choice made = choose(inputs, &detected);
        if (!detected.isEmpty() && detected != inputs.lastDetected)
            MGConfItem(QString::fromLatin1(detectedKey)).set(detected);
        return made;
    }();
    return choice;
}

int ContactsSource::personalContactCount(const QString &path)
{
    if (!QFileInfo::exists(path))
        return 0;
    sqlite3 *db = nullptr;
    int count = -1;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_busy_timeout(db, 1000);
        sqlite3_stmt *st = nullptr;
        // The voicemail contact's GUID is VoicemailStore::voicemailContactGUID (platform/voicemail,
        // which builds on this library).
        if (sqlite3_prepare_v2(db,
                               "SELECT count(*) FROM contacts WHERE guid IS NULL"
                               " OR guid <> 'com.velto.voicemail.contact' COLLATE NOCASE",
                               -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            count = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return count;
}

} // namespace ContactsEngine
