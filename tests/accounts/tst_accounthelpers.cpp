#include "accounthelpers.h"
#include "accountstestdatabase.h"
#include "mlocale.h"

#include <QtTest>

// The account operations of the calling helpers, answered by the application's registry.
class TestAccountHelpers : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void shouldNameAndIconAccounts_data();
    void shouldNameAndIconAccounts();

private:
    QScopedPointer<AccountsTestDatabase> m_db;
};

void TestAccountHelpers::initTestCase()
{
    m_db.reset(new AccountsTestDatabase);
    QVERIFY(
        m_db->create(QStringLiteral("velto-sip"), QStringLiteral("Office"),
                     {{QStringLiteral("velto-sip-voip"), QStringLiteral("sofiasip/sip/office")}}));
    MLocale locale(QStringLiteral("en_GB"));
    locale.installTrCatalog(QStringLiteral("telephony"));
    MLocale::setDefault(locale);
}

void TestAccountHelpers::shouldNameAndIconAccounts_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<QString>("name");

    QTest::newRow("cellular") << "/org/freedesktop/Telepathy/Account/pulse/tel/pulse"
                              << "icon-m-common-cellular"
                              << "Phone";
    QTest::newRow("no account") << ""
                                << "icon-m-common-cellular"
                                << "";
    QTest::newRow("sip") << "/org/freedesktop/Telepathy/Account/sofiasip/sip/office"
                         << "icon-m-service-sip"
                         << "Internet call";
    QTest::newRow("unknown") << "/org/freedesktop/Telepathy/Account/sofiasip/sip/home"
                             << ""
                             << "";
}

void TestAccountHelpers::shouldNameAndIconAccounts()
{
    QFETCH(QString, path);
    QFETCH(QString, icon);
    QFETCH(QString, name);
    QCOMPARE(accountIconId(path), icon);
    QCOMPARE(accountDisplayName(path), name);
    // The accounts' catalogue comes on top of the program's own.
    QCOMPARE(qtTrId("qtn_call_mobile"), QStringLiteral("Phone"));
}

QTEST_GUILESS_MAIN(TestAccountHelpers)

#include "tst_accounthelpers.moc"
