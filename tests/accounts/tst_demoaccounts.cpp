#include "accountstestdatabase.h"
#include "callhistoryaccount.h"
#include "callhistoryaccountsmanager.h"
#include "callhistorylocale.h"
#include "mlocale.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The demo profile's accounts (scripts/demo.d/30-accounts): the cellular account and one
// enabled internet-call account for phone numbers, created once however often the demo starts;
// and its generated history (10-history), whose calls are made on those accounts.
class TestDemoAccounts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shouldOfferCellularAndOneInternetCallAccount();
    void shouldGenerateTheDemoCallsOnTheDemoAccounts();

private:
    bool runDemoScript(const QString &demoDir,
                       const QString &script = QStringLiteral("30-accounts"),
                       const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment());
};

bool TestDemoAccounts::runDemoScript(const QString &demoDir, const QString &name,
                                     const QProcessEnvironment &env)
{
    QProcess script;
    script.setProcessChannelMode(QProcess::ForwardedChannels);
    script.setProcessEnvironment(env);
    script.start(QStringLiteral(CH_SOURCE_DIR "/scripts/demo.d/") + name,
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

void TestDemoAccounts::shouldGenerateTheDemoCallsOnTheDemoAccounts()
{
    AccountsTestDatabase db;
    QTemporaryDir demo;
    QVERIFY(demo.isValid() && QDir(demo.path()).mkpath(QStringLiteral("profile")));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString history = demo.filePath(QStringLiteral("history.db"));
    env.insert(QStringLiteral("CALL_HISTORY_DB"), history);
    QVERIFY(runDemoScript(demo.path(), QStringLiteral("10-history"), env));
    QVERIFY(runDemoScript(demo.path(), QStringLiteral("30-accounts"), env));

    QProcess tool;
    tool.start(QStringLiteral(CH_BINARY_DIR "/tools/call-history-store/call-history-store"),
               {QStringLiteral("--db"), history, QStringLiteral("export")});
    QVERIFY(tool.waitForFinished(30000) && tool.exitCode() == 0);
    QMap<QString, int> callsByAccount;
    for (const QByteArray &line : tool.readAllStandardOutput().split('\n'))
        if (!line.isEmpty())
            ++callsByAccount[QJsonDocument::fromJson(line)
                                 .object()
                                 .value(QStringLiteral("account"))
                                 .toString()];

    MLocale locale(QStringLiteral("en_GB"));
    locale.installTrCatalog(QStringLiteral("telephony"));
    MLocale::setDefault(locale);
    CallHistoryLocale callHistoryLocale;
    CallHistoryAccountsManager manager(&callHistoryLocale);
    QStringList seen;
    for (auto it = callsByAccount.cbegin(); it != callsByAccount.cend(); ++it) {
        const CallHistoryAccount *account = manager.account(it.key());
        seen << (account ? manager.accountServiceName(it.key()) + QLatin1Char('/') +
                               account->displayName()
                         : it.key() + QStringLiteral(" (no such account)"));
        QVERIFY(it.value() > 10);
    }
    seen.sort();
    QCOMPARE(seen.join(QLatin1String(", ")),
             QStringLiteral("Internet call/Velto SIP, Phone/Phone"));
}

QTEST_GUILESS_MAIN(TestDemoAccounts)

#include "tst_demoaccounts.moc"
