#pragma once

#include <QObject>
#include <QString>

typedef struct _DConfClient DConfClient;

// The system's locale settings, read from dconf and followed as they change. One object per
// process (instance()); MLocale objects that call connectSettings() listen to it.
//
// Keys (all optional; a key that is unset or empty falls back to the environment):
//   "/system/locale/language"  string, e.g. 'ar_EG': the language of the user interface texts.
//                               Default: the first of LC_ALL, LC_MESSAGES, LANG.
//   "/system/locale/region"    string, e.g. 'de_DE': the region whose formats (dates, times,
//                               numbers, currency, first day of week) are used.
//                               Default: the first of LC_ALL, LC_TIME, LANG.
//   "/org/gnome/desktop/interface/clock-format"  string '12h' or '24h': the hour cycle of times.
//                               Default (unset or any other value): the region's own.
// An environment value "C" or "POSIX" (or none at all) means "en_GB" for the region and "en" for
// the language, the program's engineering English.
class MLocaleSettings : public QObject
{
    Q_OBJECT
public:
    enum HourCycle { RegionHourCycle, TwelveHour, TwentyFourHour };

    static MLocaleSettings *instance();
    ~MLocaleSettings() override;

    QString language() const { return m_language; }
    QString region() const { return m_region; }
    HourCycle hourCycle() const { return m_hourCycle; }

    static const char *languageKey();
    static const char *regionKey();
    static const char *clockFormatKey();

Q_SIGNALS:
    // One of the three values changed (after the new values are in place). updated() comes
    // first and is for the process default locale, so that every listener of changed() already
    // finds the default (and the translations) up to date.
    void updated();
    void changed();

private:
    MLocaleSettings();
    static void onDconfChanged(DConfClient *client, const char *prefix, const char *const *changes,
                               const char *tag, void *self);
    bool reload();
    QString readString(const char *key) const;

    DConfClient *m_client = nullptr;
    QString m_language;
    QString m_region;
    HourCycle m_hourCycle = RegionHourCycle;
};
