#pragma once

#include <dconf.h>

#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// Gives a test process a dconf database of its own, so that tests running side by side do not
// see each other's locale settings: a profile file naming a private user database, selected
// through DCONF_PROFILE before anything opens dconf. Writes go through the dconf service on the
// session bus, as a settings application's would, so watchers are told as they would be.
namespace DconfSandbox {

inline bool hasSessionBus()
{
    return !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS");
}

// Call first thing in main().
inline void setUp(const QString &name)
{
    const QString db = QStringLiteral("%1_%2").arg(name).arg(QCoreApplication::applicationPid());
    static QTemporaryDir dir; // removed at exit
    const QString profile = dir.filePath(QStringLiteral("profile"));
    QFile file(profile);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(QStringLiteral("user-db:%1\n").arg(db).toUtf8());
    qputenv("DCONF_PROFILE", QFile::encodeName(profile));
}

// Sets a string key; a null value resets it.
inline bool write(const char *key, const QString &value)
{
    DConfClient *client = dconf_client_new();
    GVariant *v = value.isNull() ? nullptr : g_variant_new_string(value.toUtf8().constData());
    GError *error = nullptr;
    const bool ok = dconf_client_write_sync(client, key, v, nullptr, nullptr, &error);
    if (error)
        g_error_free(error);
    g_object_unref(client);
    return ok;
}

} // namespace DconfSandbox
