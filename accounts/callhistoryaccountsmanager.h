#pragma once

#include <Accounts/Account>
#include <Accounts/Error>
#include <Accounts/Manager>
#include <Accounts/Provider>

#include <TelepathyQt/AccountManager>
#include <TelepathyQt/Types>

#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>

#include "callhistoryaccount.h"

class CallHistoryLocale;

namespace Tp {
class PendingOperation;
}

// The process-wide registry of calling accounts: a built-in record for the cellular account and
// one CallHistoryAccount for every service of type "IM" in the accounts database that names a
// Telepathy account ("tmc-uid"). It follows the database's change notifications, binds every
// record to its Telepathy account so that balances are followed, relays each record's
// creditsChanged(), and answers lookups by account path (unknown paths give empty strings or
// false).
//
// A database busy or locked while an account is read is retried every 200 ms until a pass
// queues nothing more. When the Telepathy account manager cannot be made ready it is tried again
// every 20 s; the accounts stay usable for everything except balances meanwhile. Without an
// accounts database or Telepathy the registry holds the cellular record alone. Telepathy-Qt's own
// warnings are switched off: the program prints nothing.
class CallHistoryAccountsManager : public QObject
{
    Q_OBJECT
public:
    static CallHistoryAccountsManager *instance();

    // A registry of its own whose records format credits in `locale`; instance() is the
    // application's, on CallHistoryLocale::instance().
    explicit CallHistoryAccountsManager(CallHistoryLocale *locale, QObject *parent = nullptr);
    ~CallHistoryAccountsManager() override;

    static QString cellularPath();

    // The registered records, filtered and sorted: cellular first, then by service name, then
    // by display name. The records stay owned by the registry.
    QList<CallHistoryAccount *> accounts(bool enabledOnly, bool telOnly,
                                         bool includeCellular) const;
    QString defaultAccountPath(bool enabledOnly, bool telOnly, bool includeCellular) const;
    bool hasAccounts(bool enabledOnly, bool telOnly, bool includeCellular, bool multiple) const;
    bool hasAccount(const QString &path, bool requireEnabled) const;

    QString accountName(const QString &path) const;
    QString accountServiceName(const QString &path) const;
    QString accountIcon(const QString &path) const;
    QString accountProtocol(const QString &path) const;
    QString accountLogo(const QString &path) const;
    QString accountBackgroundColor(const QString &path) const;
    QString accountCredits(const QString &path) const;
    bool acceptsLocalPhoneNumbers(const QString &path) const;
    bool isCellularEntry(const QString &path) const;
    bool isVideoCallUnavailable(const QString &path) const;

    // The record registered under `path`, or null.
    CallHistoryAccount *account(const QString &path) const;
    // The database account of `id` once it has been read, or null.
    Accounts::Account *accountsDbAccount(Accounts::AccountId id) const;
    // Whether ids wait for a retry on a busy database.
    bool isRetryPending() const { return m_retryTimerId != 0; }

Q_SIGNALS:
    void accountsChanged();
    void creditsChanged(const QString &accountPath, const QString &credits);

private Q_SLOTS:
    void updateAccount(Accounts::AccountId id);
    void removeAccount(Accounts::AccountId id);
    void onTpAccountManagerReady(Tp::PendingOperation *operation);
    void checkTpAccounts();
    void tpAccountManagerReady();

protected:
    void timerEvent(QTimerEvent *event) override;
    // Reads the database account of `id`: null when it cannot be read, with the database's
    // reason in `error`.
    virtual Accounts::Account *readAccount(Accounts::AccountId id,
                                           Accounts::Error::ErrorType *error);

private:
    void loadAccounts();
    void installTranslations(Accounts::Account *account, const Accounts::Service &service);
    static CallHistoryAccount::Settings
    readSettings(Accounts::Account *account, const Accounts::Service &service, bool accountEnabled);
    CallHistoryAccount *value(const QString &path) const { return m_registry.value(path); }

    Accounts::Manager *m_accountsManager;
    QMap<QString, CallHistoryAccount *> m_registry;
    QMap<Accounts::AccountId, QPointer<Accounts::Account>> m_dbAccounts;
    QMap<QString, Accounts::Provider> m_providers;
    QList<Accounts::AccountId> m_retryIds;
    int m_retryTimerId = 0;
    Tp::AccountManagerPtr m_tpAccountManager;
    CallHistoryLocale *m_locale;
};
