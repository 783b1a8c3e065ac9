#include "mlocale.h"

#include "mcalendar.h"
#include "mdatapaths.h"
#include "micupattern.h"
#include "mlocalesettings.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QTranslator>

namespace {

MLocale::TimeFormat24h fromHourCycle(MLocaleSettings::HourCycle cycle)
{
    switch (cycle) {
    case MLocaleSettings::TwelveHour:
        return MLocale::TwelveHourTimeFormat24h;
    case MLocaleSettings::TwentyFourHour:
        return MLocale::TwentyFourHourTimeFormat24h;
    default:
        return MLocale::LocaleDefaultTimeFormat24h;
    }
}

// Catalogue files for `name` in `language`, English first.
QStringList catalogFiles(const QString &name, const QString &language)
{
    QStringList files;
    const QString english = MDataPaths::find(QStringLiteral("translations/%1_en.qm").arg(name));
    if (!english.isEmpty())
        files << english;
    const QString lang = language.section(QLatin1Char('_'), 0, 0);
    for (const QString &suffix : {language, lang}) {
        if (suffix.isEmpty())
            continue;
        const QString file =
            MDataPaths::find(QStringLiteral("translations/%1_%2.qm").arg(name, suffix));
        if (!file.isEmpty()) {
            if (!files.contains(file))
                files << file;
            break;
        }
    }
    return files;
}

// Answers the question QGuiApplication asks its translators after every language change
// ("QT_LAYOUT_DIRECTION"), so the layout direction follows the language even where no catalogue
// says it.
class LayoutDirectionTranslator : public QTranslator
{
public:
    LayoutDirectionTranslator(Qt::LayoutDirection direction, QObject *parent)
        : QTranslator(parent), m_direction(direction)
    {
    }
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        if (qstrcmp(context, "QGuiApplication") != 0 ||
            qstrcmp(sourceText, "QT_LAYOUT_DIRECTION") != 0)
            return QString();
        return m_direction == Qt::RightToLeft ? QStringLiteral("RTL") : QStringLiteral("LTR");
    }

private:
    Qt::LayoutDirection m_direction;
};

// The translators installed for the default locale, and what they were loaded for. They belong
// to the application object, so they go with it; the list only follows them.
struct InstalledCatalogs
{
    QList<QPointer<QTranslator>> translators;
    QString language;
    QStringList catalogs;
};

InstalledCatalogs &installedCatalogs()
{
    static InstalledCatalogs installed;
    return installed;
}

void installTranslators(const QString &language, const QStringList &catalogs)
{
    InstalledCatalogs &installed = installedCatalogs();
    if (!QCoreApplication::instance())
        return;
    if (installed.language == language && installed.catalogs == catalogs)
        return;
    for (const QPointer<QTranslator> &t : qAsConst(installed.translators)) {
        if (!t)
            continue;
        QCoreApplication::removeTranslator(t);
        delete t;
    }
    installed.translators.clear();
    QCoreApplication *app = QCoreApplication::instance();
    auto *direction = new LayoutDirectionTranslator(QLocale(language).textDirection(), app);
    if (QCoreApplication::installTranslator(direction))
        installed.translators << direction;
    else
        delete direction;
    for (const QString &catalog : catalogs) {
        for (const QString &file : catalogFiles(catalog, language)) {
            auto *translator = new QTranslator(app);
            if (translator->load(file) && QCoreApplication::installTranslator(translator))
                installed.translators << translator;
            else
                delete translator;
        }
    }
    installed.language = language;
    installed.catalogs = catalogs;
}

} // namespace

MLocale::Data MLocale::systemData()
{
    const MLocaleSettings *settings = MLocaleSettings::instance();
    Data data;
    data.language = settings->language();
    data.setRegion(settings->region());
    data.timeFormat24h = fromHourCycle(settings->hourCycle());
    data.followsSystem = true;
    return data;
}

MLocale::Data &MLocale::defaultData()
{
    static Data *data = nullptr;
    // The settings object goes with the application object; a new one is followed again.
    static QPointer<MLocaleSettings> followed;
    if (!data)
        data = new Data(systemData());
    if (followed != MLocaleSettings::instance()) {
        followed = MLocaleSettings::instance();
        QObject::connect(followed.data(), &MLocaleSettings::updated,
                         &MLocale::onDefaultSystemSettingsChanged);
    }
    return *data;
}

void MLocale::onDefaultSystemSettingsChanged()
{
    Data &data = defaultData();
    if (!data.followsSystem)
        return;
    const Data system = systemData();
    data.language = system.language;
    data.setRegion(system.region);
    data.timeFormat24h = system.timeFormat24h;
    applyDefault();
}

void MLocale::applyDefault()
{
    const Data &data = defaultData();
    QLocale::setDefault(data.locale);
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        app->setLayoutDirection(QLocale(data.language).textDirection());
    installTranslators(data.language, data.catalogs);
}

MLocale::MLocale(QObject *parent) : QObject(parent), d(defaultData()) {}

MLocale::MLocale(const QString &localeName, QObject *parent) : QObject(parent)
{
    d.language = localeName;
    d.setRegion(localeName);
}

MLocale::MLocale(const MLocale &other, QObject *parent) : QObject(parent), d(other.d)
{
    d.followsSystem = other.d.followsSystem || other.m_connected;
}

MLocale &MLocale::operator=(const MLocale &other)
{
    if (this != &other) {
        d = other.d;
        d.followsSystem = other.d.followsSystem || other.m_connected;
        Q_EMIT settingsChanged();
    }
    return *this;
}

MLocale::~MLocale() = default;

void MLocale::setDefault(const MLocale &locale)
{
    Data &data = defaultData();
    data = locale.d;
    data.followsSystem = locale.d.followsSystem || locale.m_connected;
    applyDefault();
}

void MLocale::connectSettings()
{
    if (m_connected)
        return;
    m_connected = true;
    d.followsSystem = true;
    connect(MLocaleSettings::instance(), &MLocaleSettings::changed, this,
            &MLocale::onSystemSettingsChanged);
    const Data system = systemData();
    d.language = system.language;
    d.setRegion(system.region);
    d.timeFormat24h = system.timeFormat24h;
}

void MLocale::disconnectSettings()
{
    if (!m_connected)
        return;
    m_connected = false;
    d.followsSystem = false;
    disconnect(MLocaleSettings::instance(), &MLocaleSettings::changed, this,
               &MLocale::onSystemSettingsChanged);
}

void MLocale::onSystemSettingsChanged()
{
    const Data system = systemData();
    d.language = system.language;
    d.setRegion(system.region);
    d.timeFormat24h = system.timeFormat24h;
    Q_EMIT localeSettingsChanged();
    Q_EMIT settingsChanged();
}

QString MLocale::name() const
{
    return d.language;
}

void MLocale::setLanguage(const QString &localeName)
{
    if (d.language == localeName)
        return;
    d.language = localeName;
    Q_EMIT settingsChanged();
}

void MLocale::setRegion(const QString &localeName)
{
    if (d.region == localeName)
        return;
    d.setRegion(localeName);
    Q_EMIT settingsChanged();
}

void MLocale::setTimeFormat24h(TimeFormat24h format)
{
    if (d.timeFormat24h == format)
        return;
    d.timeFormat24h = format;
    Q_EMIT settingsChanged();
}

Qt::LayoutDirection MLocale::textDirection() const
{
    return QLocale(d.language).textDirection();
}

QLocale MLocale::regionLocale() const
{
    return d.locale;
}

QString MLocale::icuFormatString(DateType dateType, TimeType timeType, CalendarType) const
{
    const QLocale locale = regionLocale();
    QString date;
    switch (dateType) {
    case DateNone:
        break;
    case DateShort:
        date = locale.dateFormat(QLocale::ShortFormat);
        break;
    case DateMedium:
        date = locale.dateFormat(QLocale::LongFormat)
                   .replace(QLatin1String("dddd"), QLatin1String("ddd"))
                   .replace(QLatin1String("MMMM"), QLatin1String("MMM"));
        break;
    case DateLong:
    case DateFull:
        date = locale.dateFormat(QLocale::LongFormat);
        break;
    }
    QString time;
    if (timeType != TimeNone) {
        time = MIcuPattern::fromQtFormat(
            locale.timeFormat(timeType == TimeShort ? QLocale::ShortFormat : QLocale::LongFormat));
        if (d.timeFormat24h != LocaleDefaultTimeFormat24h)
            time = MIcuPattern::withHourCycle(time, d.timeFormat24h == TwentyFourHourTimeFormat24h);
    }
    date = MIcuPattern::fromQtFormat(date);
    if (date.isEmpty() || time.isEmpty())
        return date + time;
    return date + QLatin1Char(' ') + time;
}

QString MLocale::formatDateTimeICU(const MCalendar &calendar, const QString &pattern) const
{
    return formatDateTimeICU(calendar.dateTime(), pattern);
}

QString MLocale::formatDateTimeICU(const QDateTime &dateTime, const QString &pattern) const
{
    return MIcuPattern::format(dateTime, pattern, regionLocale());
}

QString MLocale::weekdayName(const MCalendar &, int weekday) const
{
    return regionLocale().standaloneDayName(weekday, QLocale::LongFormat);
}

QString MLocale::formatNumber(qlonglong value) const
{
    return regionLocale().toString(value);
}

QString MLocale::formatNumber(double value, int maxPrecision, int minPrecision) const
{
    const QLocale locale = regionLocale();
    minPrecision = qMax(0, minPrecision);
    if (maxPrecision >= 0)
        maxPrecision = qMax(maxPrecision, minPrecision);
    QString text = locale.toString(
        value, 'f', maxPrecision < 0 ? int(QLocale::FloatingPointShortest) : maxPrecision);
    const QChar point = locale.decimalPoint();
    int pointAt = text.indexOf(point);
    if (pointAt < 0 && minPrecision > 0 && qIsFinite(value)) {
        text += point;
        pointAt = text.size() - 1;
    }
    if (pointAt < 0)
        return text;
    int decimals = text.size() - pointAt - 1;
    while (decimals > minPrecision && text.endsWith(locale.zeroDigit())) {
        text.chop(1);
        --decimals;
    }
    if (decimals < minPrecision)
        text += QString(minPrecision - decimals, locale.zeroDigit());
    if (text.endsWith(point))
        text.chop(1);
    return text;
}

QString MLocale::formatCurrency(double amount, const QString &currency) const
{
    const QLocale locale = regionLocale();
    if (currency == locale.currencySymbol(QLocale::CurrencyIsoCode))
        return locale.toCurrencyString(amount);
    // A letter code is kept apart from the digits, as in "EUR 1,234.50" and "1.234,50 USD".
    QString text = locale.toCurrencyString(amount, currency);
    const int at = text.indexOf(currency);
    if (at < 0 || currency.isEmpty())
        return text;
    const int after = at + currency.size();
    if (after < text.size() && text.at(after).isDigit())
        text.insert(after, QChar(0x00a0));
    if (at > 0 && text.at(at - 1).isDigit())
        text.insert(at, QChar(0x00a0));
    return text;
}

QString MLocale::toLocalizedNumbers(const QString &text) const
{
    const ushort zero = regionLocale().zeroDigit().unicode();
    if (zero == '0')
        return text;
    QString result = text;
    for (QChar &c : result) {
        if (c.unicode() >= '0' && c.unicode() <= '9')
            c = QChar(ushort(zero + (c.unicode() - '0')));
    }
    return result;
}

QString MLocale::toLatinNumbers(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        uint ucs4 = text.at(i).unicode();
        int units = 1;
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() &&
            text.at(i + 1).isLowSurrogate()) {
            ucs4 = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            units = 2;
        }
        if (QChar::category(ucs4) == QChar::Number_DecimalDigit && QChar::digitValue(ucs4) >= 0)
            result += QLatin1Char(char('0' + QChar::digitValue(ucs4)));
        else
            result += text.midRef(i, units);
        i += units - 1;
    }
    return result;
}

void MLocale::installTrCatalog(const QString &name)
{
    if (!name.isEmpty() && !d.catalogs.contains(name))
        d.catalogs << name;
}

void MLocale::removeTrCatalog(const QString &name)
{
    d.catalogs.removeAll(name);
}

bool MLocale::isInstalledTrCatalog(const QString &name) const
{
    return d.catalogs.contains(name);
}
