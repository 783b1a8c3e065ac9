#pragma once

#include <QStringList>
#include <QTextStream>

namespace Accounts {
class Account;
class Manager;
} // namespace Accounts

// The commands of call-history-accounts on the accounts database named by $ACCOUNTS (the
// user's own when unset), with providers and services from $AG_PROVIDERS and $AG_SERVICES:
//   create <provider> <display name> <service>=<tmc-uid>...   an enabled account, prints its id
//   list                                                       accounts with their services
//   enable|disable <id> [<service>]                            the account, or one service
//   set <id> <service>|- <key> <value>                         a string setting ("-": global)
//   delete <id>
// Every change is written before the command returns. Errors go to `err`; run() returns the
// exit status (0 success, 1 failure, 2 usage).
class AccountsTool
{
public:
    AccountsTool(QTextStream &out, QTextStream &err);
    ~AccountsTool();
    int run(const QStringList &arguments);

private:
    int create(const QStringList &args);
    int list();
    int setEnabled(const QStringList &args, bool enabled);
    int set(const QStringList &args);
    int remove(const QStringList &args);
    Accounts::Account *account(const QString &id);
    bool selectService(Accounts::Account *account, const QString &name);
    bool save(Accounts::Account *account);
    int usage();

    QTextStream &m_out;
    QTextStream &m_err;
    Accounts::Manager *m_manager;
};
