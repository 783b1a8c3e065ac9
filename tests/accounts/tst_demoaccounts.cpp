#include "accountstestdatabase.h"
#include "callhistoryaccount.h"
#include "callhistoryaccountsmanager.h"
#include "callhistorylocale.h"
#include "mlocale.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The demo profile's accounts (scripts/demo.d/30-accounts): the cellular account and one
// enabled internet-call account for phone numbers, created once however often the demo starts.
class TestDemoAccounts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shouldOfferCellularAndOneInternetCallAccount();

private:
    bool runDemoScript(const QString &demoDir);
};

bool TestDemoAccounts::runDemoScript(const QString &demoDir)
{
    QProcess script;
    script.setProcessChannelMode(QProcess::ForwardedChannels);
    script.start(QStringLiteral(CH_SOURCE_DIR "/scripts/demo.d/30-accounts"),
                 {QStringLiteral(CH_BINARY_DIR), demoDir});
    return script.waitForFinished(30000) && script.exitStatus() == QProcess::NormalExit &&
           script.exitCode() == 0;
}

void TestDemoAccounts::shouldOfferCellularAndOneInternetCallAccount()
{
    AccountsTestDatabase db;
    QTemporaryDir demo;
    QVERIFY(demo.isValid() && QDir(demo.path()).mkpath(QStringLiteral("profile")));
    QVERIFY(runDemoScript(demo.path()));
    QVERIFY(runDemoScript(demo.path()));

    MLocale locale(QStringLiteral("en_GB"));
    locale.installTrCatalog(QStringLiteral("telephony"));
    MLocale::setDefault(locale);
    CallHistoryLocale callHistoryLocale;
    CallHistoryAccountsManager manager(&callHistoryLocale);
    QStringList names;
    const QList<CallHistoryAccount *> accounts = manager.accounts(true, true, true);
    for (const CallHistoryAccount *account : accounts)
        names << manager.accountServiceName(account->path()) + QLatin1Char('/') +
                     account->displayName();
    QCOMPARE(names.join(QLatin1String(", ")),
             QStringLiteral("Phone/Phone, Internet call/Velto SIP"));
    QVERIFY(manager.hasAccounts(true, true, true, true));
}

QTEST_GUILESS_MAIN(TestDemoAccounts)

#include "tst_demoaccounts.moc"
