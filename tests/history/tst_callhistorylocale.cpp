#include "../touch/dconfsandbox.h"

#include "callhistorylocale.h"
#include "kxtime.h"
#include "mlocalesettings.h"
#include "timedinterface.h"

#include <QSignalSpy>
#include <QtTest>

// Runs in Europe/Helsinki (TZ), whose daylight saving time starts on 2026-03-29 and ends on
// 2026-10-25.
class TestCallHistoryLocale : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup();
    void shouldAimDayBreakAboutAMinuteAfterMidnight_data();
    void shouldAimDayBreakAboutAMinuteAfterMidnight();
    void shouldAnnounceDayBreakAndAimAtNextMidnight();
    void shouldReaimOnTimedChangeWithoutRefreshingFormats();
    void shouldRefreshFormatsOnSystemTimeChange();
    void shouldFormatRowTimesInLocalTime_data();
    void shouldFormatRowTimesInLocalTime();
    void shouldRefreshFormatsBeforeAnnouncingClockSettingChange();
    void shouldRecreateInstanceAfterDestruction();

private:
    QDateTime m_now;
    CallHistoryLocale::Clock clock()
    {
        return [this] { return m_now; };
    }
};

void TestCallHistoryLocale::cleanup()
{
    if (DconfSandbox::hasSessionBus()) {
        DconfSandbox::write(MLocaleSettings::regionKey(), QString());
        DconfSandbox::write(MLocaleSettings::clockFormatKey(), QString());
        QTRY_COMPARE(MLocaleSettings::instance()->hourCycle(), MLocaleSettings::RegionHourCycle);
    }
}

void TestCallHistoryLocale::shouldAimDayBreakAboutAMinuteAfterMidnight_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<int>("seconds");
    QTest::newRow("23:59:30") << QDateTime(QDate(2026, 6, 10), QTime(23, 59, 30)) << 29 + 60;
    QTest::newRow("00:00:10") << QDateTime(QDate(2026, 6, 10), QTime(0, 0, 10))
                              << (86399 - 10) + 60;
    QTest::newRow("noon") << QDateTime(QDate(2026, 6, 10), QTime(12, 0)) << 43199 + 60;
    QTest::newRow("last second") << QDateTime(QDate(2026, 6, 10), QTime(23, 59, 59, 900)) << 60;
    QTest::newRow("23-hour day") << QDateTime(QDate(2026, 3, 29), QTime(0, 0, 59))
                                 << 86340 - 3600 + 60;
    QTest::newRow("25-hour day") << QDateTime(QDate(2026, 10, 25), QTime(0, 0, 59))
                                 << 86340 + 3600 + 60;
}

void TestCallHistoryLocale::shouldAimDayBreakAboutAMinuteAfterMidnight()
{
    QFETCH(QDateTime, now);
    QFETCH(int, seconds);
    m_now = now;
    CallHistoryLocale locale(clock());
    QVERIFY(locale.isDayBreakTimerActive());
    QCOMPARE(locale.dayBreakTimerInterval(), seconds * 1000);
    // Where it lands: 00:00:59 of the next day.
    QCOMPARE(now.addMSecs(locale.dayBreakTimerInterval()).time().toString("hh:mm:ss"),
             QStringLiteral("00:00:59"));
}

void TestCallHistoryLocale::shouldAnnounceDayBreakAndAimAtNextMidnight()
{
    m_now = QDateTime(QDate(2026, 6, 10), QTime(23, 59, 30));
    CallHistoryLocale locale(clock());
    QSignalSpy spy(&locale, &CallHistoryLocale::dayBreakOccured);
    m_now = QDateTime(QDate(2026, 6, 11), QTime(0, 0, 59));
    QVERIFY(QMetaObject::invokeMethod(&locale, "onDayBreakOccured"));
    QCOMPARE(spy.count(), 1);
    QVERIFY(locale.isDayBreakTimerActive());
    QCOMPARE(locale.dayBreakTimerInterval(), (86340 + 60) * 1000);
}

void TestCallHistoryLocale::shouldReaimOnTimedChangeWithoutRefreshingFormats()
{
    m_now = QDateTime(QDate(2026, 6, 10), QTime(12, 0));
    CallHistoryLocale locale(clock());
    const QString before = locale.timeFormat();
    {
        const QSignalBlocker quiet(locale.locale());
        locale.locale()->setTimeFormat24h(before.contains(QLatin1Char('a'))
                                              ? MLocale::TwentyFourHourTimeFormat24h
                                              : MLocale::TwelveHourTimeFormat24h);
    }
    QSignalSpy timeSpy(&locale, &CallHistoryLocale::timeSettingsChanged);
    QSignalSpy dayBreakSpy(&locale, &CallHistoryLocale::dayBreakOccured);
    m_now = QDateTime(QDate(2026, 6, 10), QTime(23, 59, 30));
    Q_EMIT locale.timedInterface()->settings_changed(
        Ostra::Timed::WallClock::Info(QStringLiteral("Asia/Tokyo")), false);
    QCOMPARE(timeSpy.count(), 1);
    QCOMPARE(dayBreakSpy.count(), 0);
    QCOMPARE(locale.dayBreakTimerInterval(), 89 * 1000);
    QCOMPARE(locale.timeFormat(), before);
}

void TestCallHistoryLocale::shouldRefreshFormatsOnSystemTimeChange()
{
    CallHistoryLocale locale;
    const QString before = locale.timeFormat();
    {
        const QSignalBlocker quiet(locale.locale());
        locale.locale()->setTimeFormat24h(before.contains(QLatin1Char('a'))
                                              ? MLocale::TwentyFourHourTimeFormat24h
                                              : MLocale::TwelveHourTimeFormat24h);
    }
    QStringList seen;
    connect(&locale, &CallHistoryLocale::timeSettingsChanged, this,
            [&] { seen << locale.timeFormat(); });
    Q_EMIT locale.systemTime()->timeOrSettingsChanged(Veyla::KxTimeChangedTime);
    QCOMPARE(seen.size(), 1);
    QVERIFY(seen.first() != before);
}

void TestCallHistoryLocale::shouldFormatRowTimesInLocalTime_data()
{
    QTest::addColumn<QString>("region");
    QTest::addColumn<QString>("dateTime");
    QTest::addColumn<QString>("time");
    // 11:05 UTC is 13:05 in Helsinki on 4 March.
    QTest::newRow("de_DE") << "de_DE"
                           << "04.03.26 13:05"
                           << "13:05";
    QTest::newRow("en_US") << "en_US"
                           << "3/4/26 1:05 PM"
                           << "1:05 PM";
    QTest::newRow("ar_EG") << "ar_EG" << QString::fromUtf8("٤\u200f/٣\u200f/٢٠٢٦ ١:٠٥ م")
                           << QString::fromUtf8("١:٠٥ م");
}

void TestCallHistoryLocale::shouldFormatRowTimesInLocalTime()
{
    QFETCH(QString, region);
    QFETCH(QString, dateTime);
    QFETCH(QString, time);
    CallHistoryLocale locale;
    QSignalSpy spy(&locale, &CallHistoryLocale::timeSettingsChanged);
    locale.locale()->setRegion(region);
    QCOMPARE(spy.count(), 1);
    const QDateTime utc(QDate(2026, 3, 4), QTime(11, 5), Qt::UTC);
    QCOMPARE(locale.formatDateTime(utc), dateTime);
    QCOMPARE(locale.formatTime(utc), time);
}

void TestCallHistoryLocale::shouldRefreshFormatsBeforeAnnouncingClockSettingChange()
{
    if (!DconfSandbox::hasSessionBus())
        QSKIP("needs a session bus for the dconf service");
    QVERIFY(DconfSandbox::write(MLocaleSettings::regionKey(), QStringLiteral("en_US")));
    QTRY_COMPARE(MLocaleSettings::instance()->region(), QStringLiteral("en_US"));
    CallHistoryLocale locale;
    const QDateTime afternoon(QDate(2026, 6, 10), QTime(15, 5));
    QCOMPARE(locale.formatTime(afternoon), QStringLiteral("3:05 PM"));

    // What a row redrawing on the signal would show, and what else was announced.
    QStringList shown;
    QStringList announced;
    connect(&locale, &CallHistoryLocale::timeSettingsChanged, this, [&] {
        shown << locale.formatTime(afternoon);
        announced << QStringLiteral("time");
    });
    connect(&locale, &CallHistoryLocale::currencySettingsChanged, this,
            [&] { announced << QStringLiteral("currency"); });
    QVERIFY(DconfSandbox::write(MLocaleSettings::clockFormatKey(), QStringLiteral("24h")));
    QTRY_VERIFY(!shown.isEmpty());
    QCOMPARE(shown.first(), QStringLiteral("15:05"));
    QCOMPARE(shown.toSet().size(), 1);
    QCOMPARE(announced.mid(0, 2).join(QLatin1Char(' ')), QStringLiteral("time currency"));
}

void TestCallHistoryLocale::shouldRecreateInstanceAfterDestruction()
{
    CallHistoryLocale *first = CallHistoryLocale::instance();
    QCOMPARE(first->parent(), QCoreApplication::instance());
    QCOMPARE(CallHistoryLocale::instance(), first);
    delete first;
    CallHistoryLocale *second = CallHistoryLocale::instance();
    QVERIFY(second);
    QVERIFY(second->locale());
}

int main(int argc, char **argv)
{
    DconfSandbox::setUp(QStringLiteral("tst_callhistorylocale"));
    qputenv("LC_ALL", "C");
    qputenv("TZ", "Europe/Helsinki");
    QCoreApplication app(argc, argv);
    TestCallHistoryLocale test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_callhistorylocale.moc"
