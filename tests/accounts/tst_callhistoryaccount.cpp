#include "callhistoryaccount.h"
#include "mlocale.h"

#include <QtTest>

// The rules that turn a known balance into text, in the notation of the user's region.
class TestCallHistoryAccount : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shouldFormatBalance_data();
    void shouldFormatBalance();
    void shouldScaleAmount_data();
    void shouldScaleAmount();
    void shouldHaveNoCreditsWhileUnbound();
};

void TestCallHistoryAccount::shouldFormatBalance_data()
{
    QTest::addColumn<QString>("region");
    QTest::addColumn<double>("balance");
    QTest::addColumn<QString>("currency");
    QTest::addColumn<QString>("text");

    const QChar nbsp(0x00a0);
    QTest::newRow("nothing, English") << "en_GB" << 0.0 << ""
                                      << "0.00";
    QTest::newRow("nothing, German") << "de_DE" << 0.0 << ""
                                     << "0,00";
    QTest::newRow("own currency code") << "en_GB" << 12.34 << "GBP" << QString::fromUtf8("£12.34");
    QTest::newRow("foreign currency code")
        << "en_GB" << 12.34 << "EUR" << QStringLiteral("EUR") + nbsp + QStringLiteral("12.34");
    QTest::newRow("own currency code, German")
        << "de_DE" << 1234.5 << "EUR" << QStringLiteral("1.234,50") + nbsp + QString::fromUtf8("€");
    QTest::newRow("zero in a currency") << "en_GB" << 0.0 << "GBP" << QString::fromUtf8("£0.00");
    QTest::newRow("currency text") << "en_GB" << 5.0 << "credits"
                                   << "5 credits";
    QTest::newRow("currency text, German") << "de_DE" << 5.5 << "Einheiten"
                                           << "5,5 Einheiten";
    QTest::newRow("two-letter text") << "en_GB" << 7.25 << "Sk"
                                     << "7.25 Sk";
    QTest::newRow("no currency") << "en_GB" << 5.0 << ""
                                 << "5";
    QTest::newRow("no currency, negative") << "en_GB" << -0.5 << ""
                                           << "-0.5";
}

void TestCallHistoryAccount::shouldFormatBalance()
{
    QFETCH(QString, region);
    QFETCH(double, balance);
    QFETCH(QString, currency);
    QFETCH(QString, text);
    QCOMPARE(CallHistoryAccount::formatBalance(MLocale(region), balance, currency), text);
}

void TestCallHistoryAccount::shouldScaleAmount_data()
{
    QTest::addColumn<int>("amount");
    QTest::addColumn<uint>("scale");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("known");

    QTest::newRow("scale 2") << 1234 << 2u << 12.34 << true;
    QTest::newRow("scale 0") << 1234 << 0u << 1234.0 << true;
    QTest::newRow("scale 19") << 5 << 19u << 5e-19 << true;
    QTest::newRow("scale 20 counts as 0") << 1234 << 20u << 1234.0 << true;
    QTest::newRow("scale 25 counts as 0") << 1234 << 25u << 1234.0 << true;
    QTest::newRow("negative") << -250 << 2u << -2.5 << true;
    QTest::newRow("unknown") << 0 << 0xffffffffu << 0.0 << false;
}

void TestCallHistoryAccount::shouldScaleAmount()
{
    QFETCH(int, amount);
    QFETCH(uint, scale);
    QFETCH(double, value);
    QFETCH(bool, known);
    Tp::CurrencyAmount a;
    a.amount = amount;
    a.scale = scale;
    QCOMPARE(CallHistoryAccount::balanceValue(a), value);
    QCOMPARE(CallHistoryAccount::isKnownBalance(a), known);
}

void TestCallHistoryAccount::shouldHaveNoCreditsWhileUnbound()
{
    CallHistoryAccount::Settings settings;
    settings.path = QStringLiteral("/org/freedesktop/Telepathy/Account/a/b/c");
    CallHistoryAccount account(settings, nullptr, nullptr);
    QSignalSpy credits(&account, SIGNAL(creditsChanged(QString, QString)));
    account.setBalance(QStringLiteral("EUR"), 3.0);
    account.setBalance(QStringLiteral("EUR"), 3.0);
    QCOMPARE(credits.count(), 2);
    QCOMPARE(credits.at(1), QVariantList({settings.path, QString()}));
    QCOMPARE(account.creditsText(), QString());
    QCOMPARE(account.balance(), 3.0);
}

QTEST_GUILESS_MAIN(TestCallHistoryAccount)

#include "tst_callhistoryaccount.moc"
