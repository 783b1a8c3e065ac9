#include "micupattern.h"

#include <QtTest>

class TestMIcuPattern : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shouldConvertQtFormats_data();
    void shouldConvertQtFormats();
    void shouldSwitchHourCycle_data();
    void shouldSwitchHourCycle();
    void shouldFormatFields_data();
    void shouldFormatFields();
};

void TestMIcuPattern::shouldConvertQtFormats_data()
{
    QTest::addColumn<QString>("qt");
    QTest::addColumn<QString>("icu");
    QTest::newRow("12-hour") << "h:mm AP"
                             << "h:mm a";
    QTest::newRow("h without AM/PM is 24-hour") << "h.mm"
                                                << "H.mm";
    QTest::newRow("weekday names") << "ddd dddd"
                                   << "EEE EEEE";
    QTest::newRow("two-digit year") << "dd.MM.yy"
                                    << "dd.MM.yy";
    QTest::newRow("quoted text") << "d 'de' MMMM"
                                 << "d' de 'MMMM";
    QTest::newRow("quote in quoted text") << "HH 'o''clock'"
                                          << "HH' o''clock'";
    QTest::newRow("unquoted letters stay text") << "yyyy\u5e74M\u6708"
                                                << "yyyy\u5e74M\u6708";
    QTest::newRow("zone") << "HH:mm:ss t"
                          << "HH:mm:ss z";
}

void TestMIcuPattern::shouldConvertQtFormats()
{
    QFETCH(QString, qt);
    QFETCH(QString, icu);
    QCOMPARE(MIcuPattern::fromQtFormat(qt), icu);
}

void TestMIcuPattern::shouldSwitchHourCycle_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("twentyFour");
    QTest::addColumn<QString>("result");
    QTest::newRow("marker after") << "h:mm a" << true << "H:mm";
    QTest::newRow("marker before") << "a h:mm" << true << "H:mm";
    QTest::newRow("marker attached") << "ah:mm" << true << "H:mm";
    QTest::newRow("date kept") << "M/d/yy h:mm a" << true << "M/d/yy H:mm";
    QTest::newRow("to 12-hour adds marker") << "HH:mm" << false << "hh:mm a";
    QTest::newRow("12-hour kept") << "h:mm a" << false << "h:mm a";
    QTest::newRow("no hour, no marker") << "d.M.yyyy" << false << "d.M.yyyy";
    QTest::newRow("quoted letters untouched") << "H 'h' mm" << false << "h' h 'mm a";
}

void TestMIcuPattern::shouldSwitchHourCycle()
{
    QFETCH(QString, pattern);
    QFETCH(bool, twentyFour);
    QFETCH(QString, result);
    QCOMPARE(MIcuPattern::withHourCycle(pattern, twentyFour), result);
}

void TestMIcuPattern::shouldFormatFields_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    // Wednesday 2026-03-04 00:05:09.250 UTC, en_US.
    QTest::newRow("midnight in 12-hour") << "h:mm a"
                                         << "12:05 AM";
    QTest::newRow("midnight in k") << "k:mm"
                                   << "24:05";
    QTest::newRow("padding") << "HH:mm:ss.SSS"
                             << "00:05:09.250";
    QTest::newRow("names") << "EEEE, MMMM d, y"
                           << "Wednesday, March 4, 2026";
    QTest::newRow("short names") << "EEE MMM"
                                 << "Wed Mar";
    QTest::newRow("two-digit year") << "yy"
                                    << "26";
    QTest::newRow("quoted text and quote") << "'at' H 'o''clock'"
                                           << "at 0 o'clock";
    QTest::newRow("unclosed quote") << "H 'h"
                                    << "0 h";
    QTest::newRow("offset") << "Z"
                            << "+00:00";
    QTest::newRow("quarter and day of year") << "Q D"
                                             << "1 63";
}

void TestMIcuPattern::shouldFormatFields()
{
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    const QDateTime at(QDate(2026, 3, 4), QTime(0, 5, 9, 250), Qt::UTC);
    QCOMPARE(MIcuPattern::format(at, pattern, QLocale(QStringLiteral("en_US"))), text);
}

QTEST_GUILESS_MAIN(TestMIcuPattern)
#include "tst_micupattern.moc"
