#include "contactssource.h"

#include "mgconfitem.h"

#include <QDBusConnection>
#include <QStandardPaths>

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
        const EdsRegistryProbe::Result result =
            inputs.probe ? inputs.probe() : EdsRegistryProbe::Result();
        if (result.state == EdsRegistryProbe::Answered) {
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

} // namespace ContactsEngine
