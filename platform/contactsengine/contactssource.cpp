#include "contactssource.h"

#include <QStandardPaths>

namespace ContactsEngine {

const char ContactsSource::environmentVariable[] = "CALL_HISTORY_CONTACTS";

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

ContactsSource::Choice ContactsSource::choose(const QString &override, QString *error)
{
    Choice choice;
    const QString value = override.trimmed().toLower();
    if (value == nameOf(Eds) || value == nameOf(Local)) {
        choice.kind = value == nameOf(Eds) ? Eds : Local;
        choice.reason = QStringLiteral("%1=%2").arg(QLatin1String(environmentVariable), value);
        return choice;
    }
    if (!value.isEmpty()) {
        const QString message = QStringLiteral("%1=%2 is neither \"eds\" nor \"local\"")
                                    .arg(QLatin1String(environmentVariable), override.left(40));
        if (error)
            *error = message;
        choice.reason = message + QStringLiteral("; our own address book is used");
        return choice;
    }
    choice.reason = QStringLiteral("our own address book is the default");
    return choice;
}

ContactsSource::Choice ContactsSource::current()
{
    static const Choice choice = choose(qEnvironmentVariable(environmentVariable));
    return choice;
}

} // namespace ContactsEngine
