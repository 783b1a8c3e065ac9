#include "teluri.h"

#include <QtTest>

// The number read out of "tel:" links that other programs hand to the phone application.
class TestTelUri : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shouldReadNumberFromLink_data()
    {
        QTest::addColumn<QString>("uri");
        QTest::addColumn<QString>("number");
        QTest::newRow("global number") << "tel:+358401234567"
                                       << "+358401234567";
        QTest::newRow("visual separators dropped") << "tel:+358-40-123.45(67)"
                                                   << "+358401234567";
        QTest::newRow("scheme in capitals") << "TEL:0401234567"
                                            << "0401234567";
        QTest::newRow("phone context dropped") << "tel:+358-40-123;phone-context=example.com"
                                               << "+35840123";
        QTest::newRow("local number with context") << "tel:0401234;phone-context=+358"
                                                   << "0401234";
        QTest::newRow("extension parameter dropped") << "tel:+35840123;ext=55"
                                                     << "+35840123";
        QTest::newRow("percent-encoded plus and space") << "tel:%2B358%2040%20123"
                                                        << "+35840123";
        QTest::newRow("emergency number") << "tel:112"
                                          << "112";
        QTest::newRow("service code") << "tel:*100#"
                                      << "*100#";
        QTest::newRow("letters refused") << "tel:hello"
                                         << "";
        QTest::newRow("digits with letters refused") << "tel:0401234abc"
                                                     << "";
        QTest::newRow("empty number refused") << "tel:"
                                              << "";
        QTest::newRow("only parameters refused") << "tel:;phone-context=+358"
                                                 << "";
        QTest::newRow("plus alone refused") << "tel:+"
                                            << "";
        QTest::newRow("plus inside refused") << "tel:040+123"
                                             << "";
        QTest::newRow("global number with star refused") << "tel:+358*40"
                                                         << "";
        QTest::newRow("other scheme refused") << "sip:0401234@example.com"
                                              << "";
        QTest::newRow("plain number is no link") << "0401234567"
                                                 << "";
        QTest::newRow("rich text refused") << "tel:<b>0401234</b>"
                                           << "";
        QTest::newRow("encoded newline refused") << "tel:0401234%0A567"
                                                 << "";
        QTest::newRow("too many digits refused") << "tel:" + QString(30, QLatin1Char('5')) << "";
        QTest::newRow("huge link refused") << "tel:" + QString(100000, QLatin1Char('5')) << "";
    }
    void shouldReadNumberFromLink()
    {
        QFETCH(QString, uri);
        QFETCH(QString, number);
        QCOMPARE(TelUri::number(uri), number);
    }
};

QTEST_GUILESS_MAIN(TestTelUri)
#include "tst_teluri.moc"
