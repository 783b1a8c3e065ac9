#include "dconfsandbox.h"

#include "mcalendar.h"
#include "mlocale.h"
#include "mlocalesettings.h"

#include <QApplication>
#include <QSignalSpy>
#include <QtTest>

class TestMLocale : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup();
    void shouldFormatNumbers_data();
    void shouldFormatNumbers();
    void shouldFormatIntegersWithGrouping_data();
    void shouldFormatIntegersWithGrouping();
    void shouldFormatCurrency_data();
    void shouldFormatCurrency();
    void shouldRoundTripNativeDigits_data();
    void shouldRoundTripNativeDigits();
    void shouldTurnAnyDigitsLatin_data();
    void shouldTurnAnyDigitsLatin();
    void shouldGiveShortFormatsWithHourCycle_data();
    void shouldGiveShortFormatsWithHourCycle();
    void shouldGiveWeekdayNamesAndFirstDayOfWeek_data();
    void shouldGiveWeekdayNamesAndFirstDayOfWeek();
    void shouldShowCalendarTimeInItsZone();
    void shouldTranslateThroughInstalledCatalogues_data();
    void shouldTranslateThroughInstalledCatalogues();
    void shouldKeepCataloguesInDefaultCopies();
    void shouldSetLayoutDirectionFromLanguage();
    void shouldFollowSystemRegionAndClock();
    void shouldRetranslateDefaultBeforeAnnouncingLanguageChange();
};

void TestMLocale::cleanup()
{
    if (DconfSandbox::hasSessionBus()) {
        DconfSandbox::write(MLocaleSettings::languageKey(), QString());
        DconfSandbox::write(MLocaleSettings::regionKey(), QString());
        DconfSandbox::write(MLocaleSettings::clockFormatKey(), QString());
        QTRY_COMPARE(MLocaleSettings::instance()->region(), QStringLiteral("en_GB"));
    }
    MLocale::setDefault(MLocale(QStringLiteral("en_GB")));
}

void TestMLocale::shouldFormatNumbers_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("maxPrecision");
    QTest::addColumn<int>("minPrecision");
    QTest::addColumn<QString>("text");
    QTest::newRow("en shortest") << "en_US" << 1234.5 << -1 << 0 << "1,234.5";
    QTest::newRow("de shortest") << "de_DE" << 1234.5 << -1 << 0 << "1.234,5";
    QTest::newRow("en zero two decimals") << "en_US" << 0.0 << 2 << 2 << "0.00";
    QTest::newRow("de zero two decimals") << "de_DE" << 0.0 << 2 << 2 << "0,00";
    QTest::newRow("trailing zeros dropped") << "en_US" << 1.5 << 3 << 0 << "1.5";
    QTest::newRow("whole number") << "en_US" << 2.0 << 2 << 0 << "2";
    QTest::newRow("minimum padded") << "en_US" << 2.0 << -1 << 2 << "2.00";
    QTest::newRow("rounded to maximum") << "de_DE" << 2.345678 << 2 << 0 << "2,35";
    QTest::newRow("arabic digits") << "ar_EG" << 1234.5 << 2 << 2 << QString::fromUtf8("١٬٢٣٤٫٥٠");
    QTest::newRow("finnish minus") << "fi_FI" << -1.25 << 2 << 2 << QString::fromUtf8("−1,25");
}

void TestMLocale::shouldFormatNumbers()
{
    QFETCH(QString, locale);
    QFETCH(double, value);
    QFETCH(int, maxPrecision);
    QFETCH(int, minPrecision);
    QFETCH(QString, text);
    QCOMPARE(MLocale(locale).formatNumber(value, maxPrecision, minPrecision), text);
}

void TestMLocale::shouldFormatIntegersWithGrouping_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::newRow("en") << "en_US"
                        << "1,234,567";
    QTest::newRow("de") << "de_DE"
                        << "1.234.567";
    QTest::newRow("ar") << "ar_EG" << QString::fromUtf8("١٬٢٣٤٬٥٦٧");
}

void TestMLocale::shouldFormatIntegersWithGrouping()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QCOMPARE(MLocale(locale).formatNumber(1234567), text);
}

void TestMLocale::shouldFormatCurrency_data()
{
    const QString nbsp(QChar(0x00a0));
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("amount");
    QTest::addColumn<QString>("currency");
    QTest::addColumn<QString>("text");
    QTest::newRow("en own currency") << "en_US" << 1234.5 << "USD"
                                     << "$1,234.50";
    QTest::newRow("de own currency")
        << "de_DE" << 1234.5 << "EUR" << QString::fromUtf8("1.234,50\u00a0€");
    QTest::newRow("en foreign currency") << "en_US" << 1234.5 << "EUR"
                                         << "EUR" + nbsp + "1,234.50";
    QTest::newRow("de foreign currency") << "de_DE" << 1234.5 << "USD"
                                         << "1.234,50" + nbsp + "USD";
    QTest::newRow("ar own currency")
        << "ar_EG" << 3.5 << "EGP" << QString::fromUtf8("٣٫٥٠\u00a0ج.م.\u200f");
}

void TestMLocale::shouldFormatCurrency()
{
    QFETCH(QString, locale);
    QFETCH(double, amount);
    QFETCH(QString, currency);
    QFETCH(QString, text);
    QCOMPARE(MLocale(locale).formatCurrency(amount, currency), text);
}

void TestMLocale::shouldRoundTripNativeDigits_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("latin");
    QTest::addColumn<QString>("native");
    QTest::newRow("arabic") << "ar_EG"
                            << "+358 (40) 123-4567" << QString::fromUtf8("+٣٥٨ (٤٠) ١٢٣-٤٥٦٧");
    QTest::newRow("persian") << "fa_IR"
                             << "0123456789" << QString::fromUtf8("۰۱۲۳۴۵۶۷۸۹");
    QTest::newRow("english") << "en_GB"
                             << "*#06#"
                             << "*#06#";
    QTest::newRow("letters untouched") << "ar_EG"
                                       << "sip:alice"
                                       << "sip:alice";
}

void TestMLocale::shouldRoundTripNativeDigits()
{
    QFETCH(QString, locale);
    QFETCH(QString, latin);
    QFETCH(QString, native);
    const MLocale l(locale);
    QCOMPARE(l.toLocalizedNumbers(latin), native);
    QCOMPARE(MLocale::toLatinNumbers(native), latin);
}

void TestMLocale::shouldTurnAnyDigitsLatin_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("latin");
    QTest::newRow("devanagari") << QString::fromUtf8("१२३") << "123";
    QTest::newRow("fullwidth") << QString::fromUtf8("０４０") << "040";
    QTest::newRow("mathematical bold, outside the BMP") << QString::fromUtf8("𝟏𝟐x") << "12x";
    QTest::newRow("superscript is no decimal digit")
        << QString::fromUtf8("²") << QString::fromUtf8("²");
    QTest::newRow("lone surrogate kept") << QString(QChar(0xd835)) << QString(QChar(0xd835));
}

void TestMLocale::shouldTurnAnyDigitsLatin()
{
    QFETCH(QString, text);
    QFETCH(QString, latin);
    QCOMPARE(MLocale::toLatinNumbers(text), latin);
}

void TestMLocale::shouldGiveShortFormatsWithHourCycle_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("clock");
    QTest::addColumn<int>("dateType");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("formatted"); // 2026-03-04 15:05
    const int deflt = MLocale::LocaleDefaultTimeFormat24h;
    const int h12 = MLocale::TwelveHourTimeFormat24h;
    const int h24 = MLocale::TwentyFourHourTimeFormat24h;
    const int date = MLocale::DateShort;
    const int none = MLocale::DateNone;
    QTest::newRow("en_US date and time") << "en_US" << deflt << date << "M/d/yy h:mm a"
                                         << "3/4/26 3:05 PM";
    QTest::newRow("en_US forced 24h") << "en_US" << h24 << date << "M/d/yy H:mm"
                                      << "3/4/26 15:05";
    QTest::newRow("de_DE time") << "de_DE" << deflt << none << "HH:mm"
                                << "15:05";
    QTest::newRow("de_DE forced 12h") << "de_DE" << h12 << none << "hh:mm a"
                                      << "03:05 PM";
    QTest::newRow("fi_FI time") << "fi_FI" << deflt << none << "H.mm"
                                << "15.05";
    QTest::newRow("ar_EG date and time")
        << "ar_EG" << deflt << date << QString::fromUtf8("d\u200f/M\u200f/yyyy h:mm a")
        << QString::fromUtf8("٤\u200f/٣\u200f/٢٠٢٦ ٣:٠٥ م");
}

void TestMLocale::shouldGiveShortFormatsWithHourCycle()
{
    QFETCH(QString, locale);
    QFETCH(int, clock);
    QFETCH(int, dateType);
    QFETCH(QString, pattern);
    QFETCH(QString, formatted);
    MLocale l(locale);
    l.setTimeFormat24h(MLocale::TimeFormat24h(clock));
    const QString icu = l.icuFormatString(MLocale::DateType(dateType), MLocale::TimeShort);
    QCOMPARE(icu, pattern);
    MCalendar calendar;
    calendar.setDateTime(QDateTime(QDate(2026, 3, 4), QTime(15, 5)));
    QCOMPARE(l.formatDateTimeICU(calendar, icu), formatted);
}

void TestMLocale::shouldGiveWeekdayNamesAndFirstDayOfWeek_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("monday");
    QTest::addColumn<int>("firstDay");
    QTest::newRow("en_US") << "en_US"
                           << "Monday" << 7;
    QTest::newRow("de_DE") << "de_DE"
                           << "Montag" << 1;
    QTest::newRow("ar_EG") << "ar_EG" << QString::fromUtf8("الاثنين") << 6;
}

void TestMLocale::shouldGiveWeekdayNamesAndFirstDayOfWeek()
{
    QFETCH(QString, locale);
    QFETCH(QString, monday);
    QFETCH(int, firstDay);
    const MLocale l(locale);
    QCOMPARE(l.weekdayName(MCalendar(), 1), monday);
    QCOMPARE(MCalendar(l).firstDayOfWeek(), firstDay);
    // A calendar without a locale of its own follows the default locale.
    MCalendar followsDefault;
    MLocale::setDefault(l);
    QCOMPARE(followsDefault.firstDayOfWeek(), firstDay);
}

void TestMLocale::shouldShowCalendarTimeInItsZone()
{
    MCalendar tokyo(MLocale::DefaultCalendar, QStringLiteral("Asia/Tokyo"));
    tokyo.setDateTime(QDateTime(QDate(2026, 3, 4), QTime(23, 30), Qt::UTC));
    QCOMPARE(tokyo.dayOfMonth(), 5);
    QCOMPARE(tokyo.hour(), 8);
}

void TestMLocale::shouldTranslateThroughInstalledCatalogues_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("today");
    QTest::addColumn<QString>("international");
    QTest::newRow("english") << "en_GB"
                             << "Today"
                             << "Enter the number in international form, starting with +";
    QTest::newRow("german")
        << "de_DE"
        << "Heute"
        << "Geben Sie die Nummer im internationalen Format ein, beginnend mit +";
    QTest::newRow("arabic") << "ar_EG" << QString::fromUtf8("اليوم")
                            << QString::fromUtf8("أدخل الرقم بالتنسيق الدولي، بدءًا بـ +");
    QTest::newRow("no catalogue falls back to english")
        << "sv_SE"
        << "Today"
        << "Enter the number in international form, starting with +";
}

void TestMLocale::shouldTranslateThroughInstalledCatalogues()
{
    QFETCH(QString, language);
    QFETCH(QString, today);
    QFETCH(QString, international);
    MLocale l(language);
    l.installTrCatalog(QStringLiteral("telephony"));
    MLocale::setDefault(l);
    QCOMPARE(qtTrId("qtn_comm_time_today"), today);
    QCOMPARE(qtTrId("qtn_skyp_not_international_format"),
             QStringLiteral("qtn_skyp_not_international_format"));

    // The way the dialer adds a catalogue: to a copy of the default, made default again.
    MLocale copy;
    QVERIFY(copy.isInstalledTrCatalog(QStringLiteral("telephony")));
    QVERIFY(!copy.isInstalledTrCatalog(QStringLiteral("skype")));
    copy.installTrCatalog(QStringLiteral("skype"));
    MLocale::setDefault(copy);
    QCOMPARE(qtTrId("qtn_skyp_not_international_format"), international);
    QCOMPARE(qtTrId("qtn_comm_time_today"), today);
}

void TestMLocale::shouldKeepCataloguesInDefaultCopies()
{
    MLocale l(QStringLiteral("de_DE"));
    l.installTrCatalog(QStringLiteral("telephony"));
    MLocale::setDefault(l);
    l.removeTrCatalog(QStringLiteral("telephony"));
    QVERIFY(!l.isInstalledTrCatalog(QStringLiteral("telephony")));
    QVERIFY(MLocale().isInstalledTrCatalog(QStringLiteral("telephony")));
    QCOMPARE(MLocale().name(), QStringLiteral("de_DE"));
    QCOMPARE(QLocale().name(), QStringLiteral("de_DE"));
}

void TestMLocale::shouldSetLayoutDirectionFromLanguage()
{
    MLocale::setDefault(MLocale(QStringLiteral("ar_EG")));
    QCOMPARE(qApp->layoutDirection(), Qt::RightToLeft);
    // The application asks its translators again after the language change.
    QCoreApplication::processEvents();
    QCOMPARE(qApp->layoutDirection(), Qt::RightToLeft);
    MLocale::setDefault(MLocale(QStringLiteral("de_DE")));
    QCoreApplication::processEvents();
    QCOMPARE(qApp->layoutDirection(), Qt::LeftToRight);
}

void TestMLocale::shouldFollowSystemRegionAndClock()
{
    if (!DconfSandbox::hasSessionBus())
        QSKIP("needs a session bus for the dconf service");
    MLocale l;
    l.connectSettings();
    QCOMPARE(l.region(), QStringLiteral("en_GB"));
    QSignalSpy localeSpy(&l, &MLocale::localeSettingsChanged);
    QSignalSpy settingsSpy(&l, &MLocale::settingsChanged);
    QString seen;
    connect(&l, &MLocale::localeSettingsChanged, this, [&] { seen = l.formatNumber(1234.5, 1); });

    QVERIFY(DconfSandbox::write(MLocaleSettings::regionKey(), QStringLiteral("de_DE")));
    QVERIFY(localeSpy.wait(5000));
    QCOMPARE(seen, QStringLiteral("1.234,5"));
    QCOMPARE(settingsSpy.count(), 1);

    QVERIFY(DconfSandbox::write(MLocaleSettings::clockFormatKey(), QStringLiteral("12h")));
    QVERIFY(localeSpy.wait(5000));
    QCOMPARE(l.timeFormat24h(), MLocale::TwelveHourTimeFormat24h);
    QCOMPARE(l.icuFormatString(MLocale::DateNone, MLocale::TimeShort), QStringLiteral("hh:mm a"));

    l.disconnectSettings();
    QVERIFY(DconfSandbox::write(MLocaleSettings::clockFormatKey(), QStringLiteral("24h")));
    QTRY_COMPARE(MLocaleSettings::instance()->hourCycle(), MLocaleSettings::TwentyFourHour);
    QCOMPARE(l.timeFormat24h(), MLocale::TwelveHourTimeFormat24h);
    QCOMPARE(localeSpy.count(), 2);
}

void TestMLocale::shouldRetranslateDefaultBeforeAnnouncingLanguageChange()
{
    if (!DconfSandbox::hasSessionBus())
        QSKIP("needs a session bus for the dconf service");
    MLocale l;
    l.connectSettings();
    l.installTrCatalog(QStringLiteral("telephony"));
    MLocale::setDefault(l);
    QCOMPARE(qtTrId("qtn_comm_time_yesterday"), QStringLiteral("Yesterday"));
    QString seen;
    connect(&l, &MLocale::localeSettingsChanged, this, [&] {
        seen = qtTrId("qtn_comm_time_yesterday") + QLatin1Char('|') + MLocale().name();
    });
    QVERIFY(DconfSandbox::write(MLocaleSettings::languageKey(), QStringLiteral("ar_EG")));
    QTRY_VERIFY(!seen.isEmpty());
    QCOMPARE(seen, QString::fromUtf8("أمس|ar_EG"));
    QCOMPARE(qApp->layoutDirection(), Qt::RightToLeft);
}

int main(int argc, char **argv)
{
    DconfSandbox::setUp(QStringLiteral("tst_mlocale"));
    qputenv("LC_ALL", "C");
    qputenv("TZ", "UTC");
    QApplication app(argc, argv);
    TestMLocale test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mlocale.moc"
