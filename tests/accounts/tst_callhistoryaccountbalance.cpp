#include "accountstestdatabase.h"
#include "callhistoryaccount.h"
#include "callhistoryaccountsmanager.h"
#include "callhistorylocale.h"
#include "mlocale.h"
#include "testsupport.h"
#include "testtelepathyaccounts.h"

#include <TelepathyQt/Account>
#include <TelepathyQt/AccountManager>
#include <TelepathyQt/PendingAccount>
#include <TelepathyQt/PendingOperation>
#include <TelepathyQt/PendingReady>
#include <TelepathyQt/Presence>
#include <TelepathyQt/Types>

#include <QDBusMessage>
#include <QDir>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

namespace {
const QString Voip = QStringLiteral("velto-sip-voip");
const QString Prefix = QStringLiteral("/org/freedesktop/Telepathy/Account/");

// The credits announced for `path`, "|"-separated, in order.
QString creditsFor(const QSignalSpy &spy, const QString &path)
{
    QStringList texts;
    for (const QList<QVariant> &args : spy)
        if (args.value(0).toString() == path)
            texts << args.value(1).toString();
    return texts.join(QLatin1Char('|'));
}
} // namespace

// The balance of a calling account from the Telepathy connection it is bound to, over D-Bus:
// mission-control (started on demand on the test bus) runs accounts of the tests' connection
// manager, whose connections carry the Balance interface (or, for Bob, do not).
class TestCallHistoryAccountBalance : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void shouldShowTheBalanceOfAConnectedAccount();
    void shouldFollowBalanceChanges_data();
    void shouldFollowBalanceChanges();
    void shouldCutALongCurrencyName_data();
    void shouldCutALongCurrencyName();
    void shouldReformatWhenCurrencySettingsChange();
    void shouldDropCreditsWhileOffline();

private:
    CallHistoryAccountsManager *makeBoundManager();

    QScopedPointer<AccountsTestDatabase> m_db;
    TestTelepathyAccounts m_telepathy;
    Tp::AccountPtr m_alice;
    Tp::AccountPtr m_bob;
    CallHistoryLocale *m_locale = nullptr;
    CallHistoryAccountsManager *m_manager = nullptr;
};

void TestCallHistoryAccountBalance::initTestCase()
{
    m_db.reset(new AccountsTestDatabase);
    QVERIFY(m_db->isValid());
    m_locale = new CallHistoryLocale(CallHistoryLocale::Clock(), this);
    m_locale->locale()->setRegion(QStringLiteral("en_GB"));

    QVERIFY(m_telepathy.start());

    m_alice = m_telepathy.createAccount(
        QStringLiteral("Alice"), {{QStringLiteral("account"), QStringLiteral("alice")},
                                  {QStringLiteral("balance-amount"), 1234},
                                  {QStringLiteral("balance-scale"), 2u},
                                  {QStringLiteral("balance-currency"), QStringLiteral("EUR")}});
    m_bob = m_telepathy.createAccount(
        QStringLiteral("Bob"),
        {{QStringLiteral("account"), QStringLiteral("bob")}, {QStringLiteral("balance"), false}});
    QVERIFY(m_alice && m_bob);
    QVERIFY(m_telepathy.setOnline(m_alice, true));
    QVERIFY(m_telepathy.setOnline(m_bob, true));

    QVERIFY(m_db->create(QStringLiteral("velto-sip"), QStringLiteral("Alice"),
                         {{Voip, m_alice->objectPath().mid(Prefix.size())}}));
    QVERIFY(m_db->create(QStringLiteral("velto-sip"), QStringLiteral("Bob"),
                         {{Voip, m_bob->objectPath()}}));
}

void TestCallHistoryAccountBalance::init()
{
    m_manager = nullptr;
}

void TestCallHistoryAccountBalance::cleanup()
{
    delete m_manager;
    m_manager = nullptr;
}

CallHistoryAccountsManager *TestCallHistoryAccountBalance::makeBoundManager()
{
    m_manager = new CallHistoryAccountsManager(m_locale);
    const QString alice = m_alice->objectPath();
    if (!QTest::qWaitFor([&] { return !m_manager->accountCredits(alice).isEmpty(); }, 20000))
        return nullptr;
    return m_manager;
}

void TestCallHistoryAccountBalance::shouldShowTheBalanceOfAConnectedAccount()
{
    QVERIFY(m_telepathy.setBalance(1234, 2, QStringLiteral("EUR")));
    m_manager = new CallHistoryAccountsManager(m_locale);
    QSignalSpy credits(m_manager, SIGNAL(creditsChanged(QString, QString)));
    const QString alice = m_alice->objectPath();
    const QString bob = m_bob->objectPath();
    const QString expected = m_locale->locale()->formatCurrency(12.34, QStringLiteral("EUR"));

    QVERIFY(QTest::qWaitFor([&] { return creditsFor(credits, alice) == expected; }, 20000));
    QCOMPARE(m_manager->accountCredits(alice), expected);
    CallHistoryAccount *record = m_manager->account(alice);
    QVERIFY(record->tpAccount());
    QVERIFY(record->tpConnection());
    QCOMPARE(record->currency(), QStringLiteral("EUR"));
    QCOMPARE(record->balance(), 12.34);

    // Bob's connection has no balance: his record lets go of Telepathy and shows nothing.
    QVERIFY(QTest::qWaitFor([&] { return !m_manager->account(bob)->tpAccount(); }, 5000));
    QVERIFY(!m_manager->account(bob)->tpConnection());
    QCOMPARE(m_manager->accountCredits(bob), QString());
    QCOMPARE(creditsFor(credits, bob), QString());
    // The cellular account is never bound.
    QCOMPARE(m_manager->accountCredits(CallHistoryAccountsManager::cellularPath()), QString());
}

void TestCallHistoryAccountBalance::shouldFollowBalanceChanges_data()
{
    QTest::addColumn<int>("amount");
    QTest::addColumn<uint>("scale");
    QTest::addColumn<QString>("currency");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    MLocale en(QStringLiteral("en_GB"));
    QTest::newRow("currency code")
        << 1234 << 2u << "USD" << 12.34 << en.formatCurrency(12.34, QStringLiteral("USD"));
    QTest::newRow("own currency, negative")
        << -250 << 2u << "GBP" << -2.5 << en.formatCurrency(-2.5, QStringLiteral("GBP"));
    QTest::newRow("scale 0") << 1234 << 0u << "USD" << 1234.0
                             << en.formatCurrency(1234, QStringLiteral("USD"));
    QTest::newRow("scale 25 counts as 0")
        << 1234 << 25u << "USD" << 1234.0 << en.formatCurrency(1234, QStringLiteral("USD"));
    QTest::newRow("currency text") << 5 << 0u << "credits" << 5.0 << "5 credits";
    QTest::newRow("no currency") << 5 << 0u << "" << 5.0 << "5";
    QTest::newRow("nothing") << 0 << 0u << "" << 0.0 << "0.00";
    QTest::newRow("unknown") << 0 << 0xffffffffu << "" << 0.0 << "";
}

void TestCallHistoryAccountBalance::shouldFollowBalanceChanges()
{
    QFETCH(int, amount);
    QFETCH(uint, scale);
    QFETCH(QString, currency);
    QFETCH(double, value);
    QFETCH(QString, text);

    QVERIFY(makeBoundManager());
    QSignalSpy credits(m_manager, SIGNAL(creditsChanged(QString, QString)));
    QVERIFY(m_telepathy.setBalance(amount, scale, currency));
    const QString alice = m_alice->objectPath();
    QVERIFY(QTest::qWaitFor([&] { return !credits.isEmpty(); }, 10000));
    QCOMPARE(creditsFor(credits, alice), text);
    QCOMPARE(m_manager->accountCredits(alice), text);
    if (!text.isEmpty()) {
        QCOMPARE(m_manager->account(alice)->balance(), value);
        QCOMPARE(m_manager->account(alice)->currency(), currency);
    }
}

void TestCallHistoryAccountBalance::shouldCutALongCurrencyName_data()
{
    const int most = CallHistoryAccount::MaxCurrencyLength;
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("kept");
    QTest::newRow("name at the bound") << most << most;
    QTest::newRow("name one too long") << most + 1 << most;
    QTest::newRow("name of 1 MB") << 1024 * 1024 << most;
}

void TestCallHistoryAccountBalance::shouldCutALongCurrencyName()
{
    QFETCH(int, length);
    QFETCH(int, kept);
    // A known balance first, whatever the test before left.
    QVERIFY(m_telepathy.setBalance(1, 0, QStringLiteral("EUR")));
    QVERIFY(makeBoundManager());
    QSignalSpy credits(m_manager, SIGNAL(creditsChanged(QString, QString)));
    QVERIFY(m_telepathy.setBalance(5, 0, QString(length, QLatin1Char('c'))));
    const QString alice = m_alice->objectPath();
    QVERIFY(QTest::qWaitFor([&] { return !credits.isEmpty(); }, 10000));
    QCOMPARE(m_manager->account(alice)->currency(), QString(kept, QLatin1Char('c')));
    QCOMPARE(creditsFor(credits, alice), QStringLiteral("5 ") + QString(kept, QLatin1Char('c')));
}

void TestCallHistoryAccountBalance::shouldReformatWhenCurrencySettingsChange()
{
    QVERIFY(m_telepathy.setBalance(123456, 2, QStringLiteral("EUR")));
    QVERIFY(makeBoundManager());
    const QString alice = m_alice->objectPath();
    QVERIFY(
        QTest::qWaitFor([&] { return m_manager->account(alice)->balance() == 1234.56; }, 10000));
    QSignalSpy credits(m_manager, SIGNAL(creditsChanged(QString, QString)));

    m_locale->locale()->setRegion(QStringLiteral("de_DE"));
    const QString german =
        MLocale(QStringLiteral("de_DE")).formatCurrency(1234.56, QStringLiteral("EUR"));
    m_locale->locale()->setRegion(QStringLiteral("en_GB"));
    const QString english =
        MLocale(QStringLiteral("en_GB")).formatCurrency(1234.56, QStringLiteral("EUR"));

    // Only the record with credits speaks; Bob's and the cellular record stay silent.
    QCOMPARE(credits.count(), 2);
    QCOMPARE(creditsFor(credits, alice), german + QLatin1Char('|') + english);
}

void TestCallHistoryAccountBalance::shouldDropCreditsWhileOffline()
{
    QVERIFY(m_telepathy.setBalance(700, 2, QStringLiteral("EUR")));
    QVERIFY(makeBoundManager());
    const QString alice = m_alice->objectPath();
    CallHistoryAccount *record = m_manager->account(alice);

    QVERIFY(m_telepathy.setOnline(m_alice, false));
    QVERIFY(QTest::qWaitFor([&] { return m_manager->accountCredits(alice).isEmpty(); }, 10000));
    // A balance without a connected connection is still announced, with an empty text.
    QSignalSpy credits(m_manager, SIGNAL(creditsChanged(QString, QString)));
    record->setBalance(QStringLiteral("EUR"), 1.0);
    QCOMPARE(credits.count(), 1);
    QCOMPARE(creditsFor(credits, alice), QString());

    // Back online, the record follows the new connection, which starts with the balance of the
    // account's parameters.
    QVERIFY(m_telepathy.setOnline(m_alice, true));
    const QString expected = m_locale->locale()->formatCurrency(12.34, QStringLiteral("EUR"));
    QVERIFY(QTest::qWaitFor([&] { return m_manager->accountCredits(alice) == expected; }, 20000));
}

int main(int argc, char **argv)
{
    qputenv("LC_ALL", "C");
    QCoreApplication app(argc, argv);
    TestCallHistoryAccountBalance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_callhistoryaccountbalance.moc"
