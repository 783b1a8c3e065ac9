#include "phonenumbers.h"

#include <QtTest>

class TestPhoneNumbers : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shouldExtractNumberFromAddress_data();
    void shouldExtractNumberFromAddress();
    void shouldReduceToDialDigits_data();
    void shouldReduceToDialDigits();
    void shouldNormalizeFromAddressWhenPlainDigitsAreEmpty_data();
    void shouldNormalizeFromAddressWhenPlainDigitsAreEmpty();
    void shouldValidateNumbers_data();
    void shouldValidateNumbers();
    void shouldRecognizeInternationalNumbers_data();
    void shouldRecognizeInternationalNumbers();
    void shouldRecognizeEmergencyNumbersWithoutModem_data();
    void shouldRecognizeEmergencyNumbersWithoutModem();
    void shouldDialEmergencyNumbersAsTheModemKnowsThem_data();
    void shouldDialEmergencyNumbersAsTheModemKnowsThem();
    void shouldRecognizeServiceCodes_data();
    void shouldRecognizeServiceCodes();
    void shouldCountMatchingTail_data();
    void shouldCountMatchingTail();
    void shouldDecodeOnlySipUris_data();
    void shouldDecodeOnlySipUris();
};

void TestPhoneNumbers::shouldExtractNumberFromAddress_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("number");
    QTest::newRow("sip user part with plus") << "sip:+358401234567@example.com"
                                             << "+358401234567";
    QTest::newRow("sips scheme") << "sips:0401234567@example.com"
                                 << "0401234567";
    QTest::newRow("sip user part with letter") << "sip:alice@example.com"
                                               << "";
    QTest::newRow("sip digits then letter") << "sip:12345a@example.com"
                                            << "";
    QTest::newRow("three digits") << "112"
                                  << "";
    QTest::newRow("four digits") << "1234"
                                 << "1234";
    QTest::newRow("spaces brackets hyphens kept") << "+358 (40) 123-4567"
                                                  << "+358 (40) 123-4567";
    QTest::newRow("outer white space trimmed") << "  0401234567  "
                                               << "0401234567";
    QTest::newRow("three digits padded with spaces") << "  112  "
                                                     << "";
    QTest::newRow("dot kept in plain address") << "040.123.4567"
                                               << "040.123.4567";
    QTest::newRow("slash kept in plain address") << "040/1234567"
                                                 << "040/1234567";
    QTest::newRow("dot fails sip address") << "sip:040.1234567@example.com"
                                           << "";
    QTest::newRow("pause and dtmf kept") << "0401234567p123#"
                                         << "0401234567p123#";
    QTest::newRow("service code") << "*#06#"
                                  << "*#06#";
    QTest::newRow("phone-context global prefix") << "sip:401234567;phone-context=+358@example.com"
                                                 << "+358401234567";
    QTest::newRow("phone-context stops at next parameter")
        << "sip:401234567;phone-context=+358;user=phone@example.com"
        << "+358401234567";
    QTest::newRow("phone-context domain is no prefix")
        << "sip:1234;phone-context=example.com@example.com"
        << "1234";
    QTest::newRow("phone-context ignored for global number")
        << "sip:+358401234567;phone-context=+358@example.com"
        << "+358401234567";
    QTest::newRow("other sip parameter ends number") << "sip:0401234567;user=phone@example.com"
                                                     << "0401234567";
    QTest::newRow("percent-encoded plus") << "sip:%2B358401234567@example.com"
                                          << "+358401234567";
    QTest::newRow("percent-encoded letter fails") << "sip:0401234%61@example.com"
                                                  << "";
    QTest::newRow("percent-encoded nul fails") << "sip:0401%00234@example.com"
                                               << "";
    QTest::newRow("non-latin digits are no number") << "٠٤٠١٢٣٤٥٦٧"
                                                    << "";
    QTest::newRow("latin-1 letter fails") << "040123456é"
                                          << "";
    QTest::newRow("user name") << "alice.smith"
                               << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestPhoneNumbers::shouldExtractNumberFromAddress()
{
    QFETCH(QString, address);
    QFETCH(QString, number);
    QCOMPARE(phoneNumberFromAddress(address), number);
    QCOMPARE(isPhoneNumber(address), !number.isEmpty());
}

void TestPhoneNumbers::shouldReduceToDialDigits_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<bool>("extract");
    QTest::addColumn<QString>("digits");
    QTest::newRow("hide identity, pause") << "*31#0401234567p12" << false << "0401234567";
    QTest::newRow("show identity") << "#31#0401234567" << false << "0401234567";
    QTest::newRow("plus and separators dropped") << "+358 (40) 123-4567" << false << "358401234567";
    QTest::newRow("wait stops") << "12345w678" << false << "12345";
    QTest::newRow("extension stops") << "12345x678" << false << "12345";
    QTest::newRow("comma stops") << "12345,678" << false << "12345";
    QTest::newRow("capital pause stops") << "12345P678" << false << "12345";
    QTest::newRow("star and hash dropped") << "*#06#" << false << "06";
    QTest::newRow("sip address plain") << "sip:+358401234567@example.com" << false << "";
    QTest::newRow("sip address extracted")
        << "sip:+358401234567@example.com" << true << "358401234567";
    QTest::newRow("extract of non-number") << "sip:alice@example.com" << true << "";
    QTest::newRow("empty") << "" << false << "";
}

void TestPhoneNumbers::shouldReduceToDialDigits()
{
    QFETCH(QString, number);
    QFETCH(bool, extract);
    QFETCH(QString, digits);
    QCOMPARE(dialDigits(number, extract), digits);
}

void TestPhoneNumbers::shouldNormalizeFromAddressWhenPlainDigitsAreEmpty_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("normalized");
    QTest::newRow("plain") << "+358 40 123 4567"
                           << "358401234567";
    // "sip" ends the plain scan at its "p", so the address is extracted instead.
    QTest::newRow("sip") << "sip:+358401234567@example.com"
                         << "358401234567";
    QTest::newRow("user name") << "alice"
                               << "";
}

void TestPhoneNumbers::shouldNormalizeFromAddressWhenPlainDigitsAreEmpty()
{
    QFETCH(QString, number);
    QFETCH(QString, normalized);
    QCOMPARE(normalizedNumber(number), normalized);
}

void TestPhoneNumbers::shouldValidateNumbers_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<bool>("valid");
    QTest::newRow("20 digits") << QString(20, QLatin1Char('1')) << true;
    QTest::newRow("21 digits") << QString(21, QLatin1Char('1')) << false;
    QTest::newRow("21 digits with plus") << "+" + QString(21, QLatin1Char('1')) << false;
    QTest::newRow("plus and single spaces") << "+358 40 123 4567" << true;
    QTest::newRow("national with separators") << "(040) 123-45.67/8" << true;
    QTest::newRow("lone trailing pause") << "0401234567p" << false;
    QTest::newRow("lone trailing wait after space") << "0401234567 w" << false;
    QTest::newRow("pause and one digit") << "0401234567p1" << true;
    QTest::newRow("capital pause and digits") << "0401234567P12" << true;
    QTest::newRow("letter after digits") << "0401234567a" << false;
    QTest::newRow("letter after pause") << "0401234567pq" << false;
    QTest::newRow("hide identity") << "*31#0401234567" << true;
    QTest::newRow("only hide identity") << "*31#" << false;
    QTest::newRow("only plus") << "+" << false;
    QTest::newRow("only separators") << " - " << false;
    QTest::newRow("service code") << "*#06#" << true;
    QTest::newRow("letters") << "alice" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("second plus") << "++358401234567" << false;
}

void TestPhoneNumbers::shouldValidateNumbers()
{
    QFETCH(QString, number);
    QFETCH(bool, valid);
    QCOMPARE(isValidNumber(number), valid);
}

void TestPhoneNumbers::shouldRecognizeInternationalNumbers_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("international");
    QTest::newRow("plus") << "+358401234567" << true;
    QTest::newRow("double zero") << "00358401234567" << true;
    QTest::newRow("national") << "0401234567" << false;
    QTest::newRow("plus with pause") << "+358401234567p123" << true;
    QTest::newRow("after hide identity") << "#31#+358401234567" << true;
    QTest::newRow("sip with plus") << "sip:+358401234567@example.com" << true;
    QTest::newRow("sip national") << "sip:0401234567@example.com" << false;
    QTest::newRow("sip with phone-context")
        << "sip:401234567;phone-context=+358@example.com" << true;
    QTest::newRow("too long") << "+" + QString(21, QLatin1Char('1')) << false;
    QTest::newRow("user name") << "alice" << false;
}

void TestPhoneNumbers::shouldRecognizeInternationalNumbers()
{
    QFETCH(QString, address);
    QFETCH(bool, international);
    QCOMPARE(isInternationalNumber(address), international);
}

void TestPhoneNumbers::shouldRecognizeEmergencyNumbersWithoutModem_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<bool>("emergency");
    QTest::newRow("sos urn") << "urn:service:sos" << true;
    QTest::newRow("112") << "112" << true;
    QTest::newRow("911") << "911" << true;
    QTest::newRow("112 with pause") << "112p1" << true;
    QTest::newRow("112 behind hide identity") << "*31#112" << true;
    QTest::newRow("1120") << "1120" << false;
    QTest::newRow("ordinary number") << "0401234567" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("letters") << "sos" << false;
}

void TestPhoneNumbers::shouldRecognizeEmergencyNumbersWithoutModem()
{
    QFETCH(QString, number);
    QFETCH(bool, emergency);
    QCOMPARE(isEmergencyNumber(number), emergency);
}

void TestPhoneNumbers::shouldDialEmergencyNumbersAsTheModemKnowsThem_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("dialled");
    QTest::newRow("listed number") << "112"
                                   << "112";
    QTest::newRow("sos urn") << "urn:service:sos"
                             << "112";
    QTest::newRow("written with separators") << "1-1-2"
                                             << "112";
    QTest::newRow("pause and tones dropped") << "112p1"
                                             << "112";
    QTest::newRow("behind hide identity") << "*31#112"
                                          << "112";
    QTest::newRow("ordinary number") << "0401234567"
                                     << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestPhoneNumbers::shouldDialEmergencyNumbersAsTheModemKnowsThem()
{
    QFETCH(QString, number);
    QFETCH(QString, dialled);
    QCOMPARE(emergencyNumberToDial(number), dialled);
}

void TestPhoneNumbers::shouldRecognizeServiceCodes_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<bool>("serviceCode");
    QTest::newRow("imei query") << "*#06#" << true;
    QTest::newRow("capital pause") << "*#0P6#" << false;
    QTest::newRow("small pause") << "*#0p6#" << false;
    QTest::newRow("no trailing hash") << "*#06" << false;
    QTest::newRow("number") << "0401234567" << false;
}

void TestPhoneNumbers::shouldRecognizeServiceCodes()
{
    QFETCH(QString, number);
    QFETCH(bool, serviceCode);
    QCOMPARE(isServiceCode(number), serviceCode);
}

void TestPhoneNumbers::shouldCountMatchingTail_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("length");
    QTest::newRow("national against international") << "0401234567"
                                                    << "+358401234567" << 9;
    QTest::newRow("four trailing digits") << "4567"
                                          << "0401234567" << 4;
    QTest::newRow("three trailing digits") << "567"
                                           << "0401234567" << 0;
    QTest::newRow("equal") << "0401234567"
                           << "0401234567" << 10;
    QTest::newRow("last digit differs") << "0401234567"
                                        << "0401234568" << 0;
    QTest::newRow("one empty") << ""
                               << "0401234567" << 0;
    QTest::newRow("both empty") << ""
                                << "" << 0;
}

void TestPhoneNumbers::shouldCountMatchingTail()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, length);
    QCOMPARE(matchingTailLength(a, b), length);
    QCOMPARE(matchingTailLength(b, a), length);
}

void TestPhoneNumbers::shouldDecodeOnlySipUris_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("decoded");
    QTest::newRow("sip") << "sip:alice%40home@example.com"
                         << "sip:alice@home@example.com";
    QTest::newRow("sips") << "sips:%2B358@example.com"
                          << "sips:+358@example.com";
    QTest::newRow("latin-1 byte") << "sip:j%E9r%C3me@example.com"
                                  << QString::fromUtf8("sip:jérÃme@example.com");
    QTest::newRow("broken escape kept") << "sip:100%@x%4"
                                        << "sip:100%@x%4";
    QTest::newRow("not sip") << "tel:%2B358"
                             << "tel:%2B358";
    QTest::newRow("capital scheme is not sip") << "SIP:%2B358"
                                               << "SIP:%2B358";
    QTest::newRow("non-latin text kept") << "sip:имя%20x@example.com"
                                         << "sip:имя x@example.com";
}

void TestPhoneNumbers::shouldDecodeOnlySipUris()
{
    QFETCH(QString, address);
    QFETCH(QString, decoded);
    QCOMPARE(decodeSipUri(address), decoded);
}

int main(int argc, char **argv)
{
    // No modem service: the emergency list is the built-in one, whatever the host runs.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/system_bus_socket");
    QCoreApplication app(argc, argv);
    TestPhoneNumbers test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_phonenumbers.moc"
