#include "displaytext.h"
#include "mlocale.h"
#include "phonenumberformat.h"

#include <QtTest>

// Numbers grouped by libphonenumber: stored numbers as every screen shows them, and digits as
// the keypad groups them while they are typed.
class TestPhoneNumberFormat : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shouldGroupStoredNumbers_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("region");
        QTest::addColumn<QString>("shown");
        QTest::newRow("Finnish mobile, international") << "+358401234567"
                                                       << "FI"
                                                       << "+358 40 1234567";
        QTest::newRow("Berlin number read in Finland") << "+4930123456"
                                                       << "FI"
                                                       << "+49 30 123456";
        QTest::newRow("national number in its region") << "0401234567"
                                                       << "FI"
                                                       << "040 1234567";
        QTest::newRow("Helsinki landline") << "0912345678"
                                           << "FI"
                                           << "09 12345678";
        QTest::newRow("spacing of an address book replaced") << "+358 45 222 3344"
                                                             << "GB"
                                                             << "+358 45 2223344";
        QTest::newRow("national number of another region as written") << "0401234567"
                                                                      << "GB"
                                                                      << "0401234567";
        QTest::newRow("emergency number as written") << "112"
                                                     << "FI"
                                                     << "112";
        QTest::newRow("service code as written") << "*#06#"
                                                 << "FI"
                                                 << "*#06#";
        QTest::newRow("number with a pause as written") << "+358401234567p123"
                                                        << "FI"
                                                        << "+358401234567p123";
        QTest::newRow("internet address as written") << "anna@voip.example.org"
                                                     << "FI"
                                                     << "anna@voip.example.org";
        QTest::newRow("empty") << ""
                               << "FI"
                               << "";
    }
    void shouldGroupStoredNumbers()
    {
        QFETCH(QString, number);
        QFETCH(QString, region);
        QFETCH(QString, shown);
        QCOMPARE(PhoneNumberFormat::forDisplay(number, region), shown);
    }

    void shouldGroupDigitsAsTheyAreTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("region");
        QTest::addColumn<QString>("shown");
        QTest::newRow("Berlin number from a tel: link") << "+4930123456"
                                                        << "FI"
                                                        << "+49 30 123456";
        QTest::newRow("Finnish mobile, national") << "0401234567"
                                                  << "FI"
                                                  << "040 1234567";
        QTest::newRow("first digits") << "040"
                                      << "FI"
                                      << "040";
        QTest::newRow("service code as typed") << "*#06#"
                                               << "FI"
                                               << "*#06#";
        QTest::newRow("empty") << ""
                               << "FI"
                               << "";
    }
    void shouldGroupDigitsAsTheyAreTyped()
    {
        QFETCH(QString, typed);
        QFETCH(QString, region);
        QFETCH(QString, shown);
        QCOMPARE(PhoneNumberFormat::asYouType(typed, region), shown);
    }

    void shouldReadNumbersInTheLocalesRegion()
    {
        MLocale::setDefault(MLocale(QStringLiteral("fi_FI")));
        QCOMPARE(PhoneNumberFormat::region(), QStringLiteral("FI"));
        QCOMPARE(PhoneNumberFormat::forDisplay(QStringLiteral("0401234567")),
                 QStringLiteral("040 1234567"));
        // What every screen shows: the same grouping (in a left-to-right run).
        QCOMPARE(stripBidiMarks(numberForDisplay(QStringLiteral("+358401234567"))),
                 QStringLiteral("+358 40 1234567"));
        MLocale::setDefault(MLocale(QStringLiteral("de_DE")));
        QCOMPARE(PhoneNumberFormat::region(), QStringLiteral("DE"));
    }
};

QTEST_GUILESS_MAIN(TestPhoneNumberFormat)
#include "tst_phonenumberformat.moc"
