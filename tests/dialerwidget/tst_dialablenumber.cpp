#include "dialablenumber.h"

#include <QtTest>

// What the keypad keeps of text from outside, and how it shows a number.
class TestDialableNumber : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shouldKeepOnlyDialableCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("kept");
        QTest::newRow("written number with extension word") << "+358 (40) 123-4567 ext"
                                                            << "+358401234567";
        QTest::newRow("service code") << "*#06#"
                                      << "*#06#";
        QTest::newRow("pause and wait letters alone") << "0401234567p12w3,4"
                                                      << "0401234567p12w3,4";
        QTest::newRow("capital pause letters") << "123P4 x 5W"
                                               << "123P4x5W";
        QTest::newRow("words go whole") << "tel: 555 call now"
                                        << "555";
        QTest::newRow("markup") << "<img src=\"http://evil/a.png\">12"
                                << "12";
        QTest::newRow("arabic-indic digits") << QString::fromUtf8("٠٤٠١٢٣") << "040123";
        QTest::newRow("line breaks and tabs") << "040\n123\t45"
                                              << "04012345";
        QTest::newRow("nothing dialable") << "hello"
                                          << "";
        QTest::newRow("sip address") << "sip:anna@example.com"
                                     << "";
    }
    void shouldKeepOnlyDialableCharacters()
    {
        QFETCH(QString, text);
        QFETCH(QString, kept);
        QCOMPARE(Dialer::dialableCharacters(text), kept);
    }

    void shouldGroupDigitsForReading_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("shown");
        QTest::newRow("national") << "0401234567"
                                  << "040 123 45 67";
        QTest::newRow("international") << "+358401234567"
                                       << "+358 401 234 567";
        QTest::newRow("short") << "040"
                               << "040";
        QTest::newRow("four digits") << "1234"
                                     << "12 34";
        QTest::newRow("service code as typed") << "*#06#"
                                               << "*#06#";
        QTest::newRow("pause splits the runs") << "040123p12"
                                               << "040 123p12";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("seven digits") << "1234567"
                                      << "123 45 67";
        QTest::newRow("one digit") << "5"
                                   << "5";
        QTest::newRow("runs of four around a comma") << "1234,5678"
                                                     << "12 34,56 78";
        QTest::newRow("ends with a pause") << "+3584p"
                                           << "+35 84p";
    }
    void shouldGroupDigitsForReading()
    {
        QFETCH(QString, number);
        QFETCH(QString, shown);
        QCOMPARE(Dialer::groupedForReading(number), shown);
        // Grouping only adds spaces.
        QCOMPARE(Dialer::groupedForReading(number).remove(QLatin1Char(' ')), number);
    }
};

QTEST_APPLESS_MAIN(TestDialableNumber)
#include "tst_dialablenumber.moc"
