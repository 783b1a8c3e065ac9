#pragma once

#include <Accounts/Account>
#include <Accounts/Manager>

#include <QPair>
#include <QScopedPointer>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

// A private accounts database for one test program, with the project's provider and service
// definitions (data/accounts). Construct it before any Accounts::Manager: it points ACCOUNTS,
// AG_PROVIDERS and AG_SERVICES at its folders. The writing functions change the database the way
// a settings application would, through a manager of their own, and return once the change is
// stored (its notifications are then on their way over the session bus).
class AccountsTestDatabase
{
public:
    AccountsTestDatabase();
    ~AccountsTestDatabase();

    bool isValid() const { return m_dir.isValid(); }
    QString databaseFile() const;

    // A new account of `provider`, enabled as a whole, with each (service, tmc-uid) pair's
    // service enabled and its "tmc-uid" set (none when the uid is empty). 0 on failure.
    Accounts::AccountId create(const QString &provider, const QString &displayName,
                               const QList<QPair<QString, QString>> &serviceUids);
    // Writes a setting of the service (global when `service` is empty).
    bool setValue(Accounts::AccountId id, const QString &service, const QString &key,
                  const QVariant &value);
    bool setEnabled(Accounts::AccountId id, const QString &service, bool enabled);
    bool setDisplayName(Accounts::AccountId id, const QString &displayName);
    bool remove(Accounts::AccountId id);

private:
    Accounts::Account *account(Accounts::AccountId id, const QString &service);
    Accounts::Manager *writer();

    QTemporaryDir m_dir;
    QScopedPointer<Accounts::Manager> m_writer;
};
