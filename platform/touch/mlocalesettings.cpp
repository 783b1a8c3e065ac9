#include <dconf.h>

#include "mlocalesettings.h"

#include <QCoreApplication>
#include <QPointer>

namespace {
QString localeFromEnvironment(std::initializer_list<const char *> variables)
{
    for (const char *name : variables) {
        QString value = qEnvironmentVariable(name);
        // "de_DE.UTF-8@euro" -> "de_DE"
        value = value.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
        if (!value.isEmpty())
            return value;
    }
    return QString();
}

bool isPosixLocale(const QString &name)
{
    return name.isEmpty() || name == QLatin1String("C") || name == QLatin1String("POSIX");
}
} // namespace

MLocaleSettings *MLocaleSettings::instance()
{
    static QPointer<MLocaleSettings> self;
    if (!self) {
        self = new MLocaleSettings;
        if (QCoreApplication::instance())
            self->setParent(QCoreApplication::instance());
    }
    return self;
}

const char *MLocaleSettings::languageKey()
{
    return "/system/locale/language";
}

const char *MLocaleSettings::regionKey()
{
    return "/system/locale/region";
}

const char *MLocaleSettings::clockFormatKey()
{
    return "/org/gnome/desktop/interface/clock-format";
}

MLocaleSettings::MLocaleSettings()
{
    m_client = dconf_client_new();
    g_signal_connect(m_client, "changed", G_CALLBACK(onDconfChanged), this);
    dconf_client_watch_fast(m_client, "/system/locale/");
    dconf_client_watch_fast(m_client, clockFormatKey());
    reload();
}

MLocaleSettings::~MLocaleSettings()
{
    g_signal_handlers_disconnect_by_data(m_client, this);
    dconf_client_unwatch_fast(m_client, "/system/locale/");
    dconf_client_unwatch_fast(m_client, clockFormatKey());
    g_object_unref(m_client);
}

QString MLocaleSettings::readString(const char *key) const
{
    GVariant *value = dconf_client_read(m_client, key);
    QString result;
    if (value) {
        if (g_variant_is_of_type(value, G_VARIANT_TYPE_STRING))
            result = QString::fromUtf8(g_variant_get_string(value, nullptr)).trimmed();
        g_variant_unref(value);
    }
    return result;
}

bool MLocaleSettings::reload()
{
    QString language = readString(languageKey());
    if (language.isEmpty())
        language = localeFromEnvironment({"LC_ALL", "LC_MESSAGES", "LANG"});
    if (isPosixLocale(language))
        language = QStringLiteral("en");
    QString region = readString(regionKey());
    if (region.isEmpty())
        region = localeFromEnvironment({"LC_ALL", "LC_TIME", "LANG"});
    if (isPosixLocale(region))
        region = QStringLiteral("en_GB");
    const QString clock = readString(clockFormatKey());
    const HourCycle cycle = clock == QLatin1String("12h")   ? TwelveHour
                            : clock == QLatin1String("24h") ? TwentyFourHour
                                                            : RegionHourCycle;
    const bool differs = language != m_language || region != m_region || cycle != m_hourCycle;
    m_language = language;
    m_region = region;
    m_hourCycle = cycle;
    return differs;
}

void MLocaleSettings::onDconfChanged(DConfClient *, const char *, const char *const *, const char *,
                                     void *self)
{
    auto *settings = static_cast<MLocaleSettings *>(self);
    if (settings->reload()) {
        Q_EMIT settings->updated();
        Q_EMIT settings->changed();
    }
}
