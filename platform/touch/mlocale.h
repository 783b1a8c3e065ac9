#pragma once

#include <QLocale>
#include <QObject>
#include <QString>
#include <QStringList>

class MCalendar;

// A locale of the touch framework on top of QLocale: the language of the user interface texts,
// the region whose formats are used, the hour cycle, and the translation catalogues to load.
//
// A default-constructed MLocale is a copy of the default locale (setDefault), which starts as the
// system's settings (MLocaleSettings). connectSettings() makes a locale follow the system's
// settings as they change; it then emits localeSettingsChanged() and settingsChanged(), in this
// order, after its data has changed. Setters emit settingsChanged() only.
//
// setDefault() copies a locale into the process default: QLocale::setDefault() for its region,
// the application's layout direction from its language, and its catalogues installed as
// translators (QCoreApplication::installTranslator), so that qtTrId() resolves through them. A
// default that was copied from a locale following the system's settings keeps following them.
//
// Catalogues are id-based Qt catalogues found by MDataPaths as "translations/<name>_<lang>.qm".
// For each catalogue the English one ("<name>_en.qm") is loaded first and the language's own on
// top of it ("<name>_<ll>_<CC>.qm", else "<name>_<ll>.qm"), so a missing translation falls back
// to the engineering English instead of to the bare id.
//
// Only the Gregorian calendar is supported; other calendar types format as Gregorian.
class MLocale : public QObject
{
    Q_OBJECT
public:
    enum DateType { DateNone, DateShort, DateMedium, DateLong, DateFull };
    Q_ENUM(DateType)
    enum TimeType { TimeNone, TimeShort, TimeMedium, TimeLong, TimeFull };
    Q_ENUM(TimeType)
    enum CalendarType { DefaultCalendar, GregorianCalendar };
    Q_ENUM(CalendarType)
    enum TimeFormat24h {
        LocaleDefaultTimeFormat24h,
        TwelveHourTimeFormat24h,
        TwentyFourHourTimeFormat24h
    };
    Q_ENUM(TimeFormat24h)

    // A copy of the default locale.
    explicit MLocale(QObject *parent = nullptr);
    // A locale with `localeName` ("de_DE", "ar") as both language and region.
    explicit MLocale(const QString &localeName, QObject *parent = nullptr);
    // A copy of `other`'s data (not of its connection to the system's settings).
    MLocale(const MLocale &other, QObject *parent = nullptr);
    MLocale &operator=(const MLocale &other);
    ~MLocale() override;

    static void setDefault(const MLocale &locale);

    // Follow the system's locale settings from now on (and take them at once).
    void connectSettings();
    void disconnectSettings();

    QString name() const; // the language, e.g. "ar_EG"
    QString language() const { return d.language; }
    QString region() const { return d.region; }
    void setLanguage(const QString &localeName);
    void setRegion(const QString &localeName);
    TimeFormat24h timeFormat24h() const { return d.timeFormat24h; }
    void setTimeFormat24h(TimeFormat24h format);
    Qt::LayoutDirection textDirection() const;
    // The QLocale of the region (formats).
    QLocale regionLocale() const;

    // ICU pattern of the region's date and time of the given lengths, hour cycle applied.
    QString icuFormatString(DateType dateType, TimeType timeType,
                            CalendarType calendarType = DefaultCalendar) const;
    QString formatDateTimeICU(const MCalendar &calendar, const QString &pattern) const;
    QString formatDateTimeICU(const QDateTime &dateTime, const QString &pattern) const;
    // Stand-alone full name of weekday 1 (Monday) to 7 (Sunday).
    QString weekdayName(const MCalendar &calendar, int weekday) const;

    QString formatNumber(qlonglong value) const;
    QString formatNumber(int value) const { return formatNumber(qlonglong(value)); }
    // At least minPrecision and at most maxPrecision decimals (-1: as many as needed).
    QString formatNumber(double value, int maxPrecision = -1, int minPrecision = 0) const;
    // `amount` in the currency with ISO 4217 code `currency`: the region's own currency with its
    // symbol, any other with its code, in the region's notation.
    QString formatCurrency(double amount, const QString &currency) const;

    // ASCII digits replaced by the region's native digits.
    QString toLocalizedNumbers(const QString &text) const;
    // Every decimal digit of any script replaced by its ASCII digit.
    static QString toLatinNumbers(const QString &text);

    void installTrCatalog(const QString &name);
    void removeTrCatalog(const QString &name);
    bool isInstalledTrCatalog(const QString &name) const;

Q_SIGNALS:
    void settingsChanged();
    void localeSettingsChanged();

private Q_SLOTS:
    void onSystemSettingsChanged();

private:
    struct Data
    {
        QString language;
        QString region;
        QLocale locale; // of the region, made once per change
        void setRegion(const QString &name)
        {
            region = name;
            locale = QLocale(name);
        }
        TimeFormat24h timeFormat24h = LocaleDefaultTimeFormat24h;
        QStringList catalogs;
        bool followsSystem = false;
    };
    static Data systemData();
    static Data &defaultData();
    static void applyDefault();
    static void onDefaultSystemSettingsChanged();

    Data d;
    bool m_connected = false;
};
