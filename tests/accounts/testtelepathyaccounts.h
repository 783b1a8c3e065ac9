#pragma once

#include <TelepathyQt/Account>
#include <TelepathyQt/AccountManager>

#include <QProcess>
#include <QString>
#include <QVariantMap>

namespace Tp {
class PendingOperation;
}

// Telepathy accounts for tests: installs the manager file of the tests' connection manager
// ("chtest", protocol "sip", with balance parameters) in the test profile, starts that connection
// manager, and creates accounts through mission-control (started on demand on the test bus).
// Balances are changed through the connection manager's own test interface. One instance per
// test program; the connection manager is killed when it is destroyed.
class TestTelepathyAccounts
{
public:
    TestTelepathyAccounts() = default;
    ~TestTelepathyAccounts();

    // Writes the manager file, starts the connection manager and readies the account manager.
    bool start();

    // A new enabled account of the test protocol, ready but offline; null on failure.
    Tp::AccountPtr createAccount(const QString &name, const QVariantMap &parameters);
    bool setOnline(const Tp::AccountPtr &account, bool online);

    // The balance every connection of the test connection manager reports from now on.
    bool setBalance(int amount, uint scale, const QString &currency);

    // Waits for a pending operation to finish; false if it timed out or failed.
    static bool finish(Tp::PendingOperation *op, int timeout = 20000);

private:
    QProcess m_cm;
    Tp::AccountManagerPtr m_manager;
};
