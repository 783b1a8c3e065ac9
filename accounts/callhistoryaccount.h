#pragma once

#include <Accounts/Account>

#include <TelepathyQt/Account>
#include <TelepathyQt/Connection>
#include <TelepathyQt/Types>

#include <QObject>
#include <QString>

class CallHistoryAccountsManager;
class CallHistoryLocale;
class MLocale;

namespace Tp {
class PendingOperation;
}

// One calling account as the call history knows it: the settings read from the accounts database
// (names, icon, dialer logo and colour, capabilities) and, for internet-telephony accounts, a live
// binding to the Telepathy account and its connection, from which it follows the account balance
// and turns it into a display text (creditsText()).
//
// Records are created, refreshed and deleted only by CallHistoryAccountsManager, which binds them
// to Telepathy and relays creditsChanged(). Each binding step drops what the previous one
// connected, so a record follows exactly one account and one connection. A failed readiness
// operation, an invalid account or connection, or a connection without the balance interface
// unbinds the record; the last balance is kept but not shown (the text is empty while unbound).
// The cellular record is never bound and so never has credits. The connection names its currency
// (any bus peer that runs one may name anything): a name longer than MaxCurrencyLength is cut.
class CallHistoryAccount : public QObject
{
    Q_OBJECT
public:
    // A currency code ("EUR") or the service's own unit ("credits", "minutes").
    enum { MaxCurrencyLength = 32 };

    // The settings a record is made from; the database-dependent ones are refreshed in place.
    struct Settings
    {
        QString path;
        Accounts::AccountId accountId = 0;
        QString displayName;
        QString serviceName;
        QString protocol;
        QString iconName;
        bool supportsTelUri = false;
        bool acceptLocalPhoneNumbers = true;
        QString logoGraphic;
        QString backgroundColor;
        bool enabled = false;
        QString providerName;
    };

    // `locale` formats the credits and announces currency format changes; `manager` answers
    // accountsDbAccount() for onAccountKeyChanged() (may be null when no key is watched).
    CallHistoryAccount(const Settings &settings, CallHistoryLocale *locale,
                       const CallHistoryAccountsManager *manager);
    ~CallHistoryAccount() override;

    QString path() const { return m_path; }
    Accounts::AccountId accountId() const { return m_accountId; }
    QString displayName() const { return m_displayName; }
    QString serviceName() const { return m_serviceName; }
    QString protocol() const { return m_protocol; }
    QString iconName() const { return m_iconName; }
    Tp::AccountPtr tpAccount() const { return m_tpAccount; }
    Tp::ConnectionPtr tpConnection() const { return m_tpConnection; }
    double balance() const { return m_balance; }
    QString currency() const { return m_currency; }
    bool supportsTelUri() const { return m_supportsTelUri; }
    bool acceptLocalPhoneNumbers() const { return m_acceptLocalPhoneNumbers; }
    QString logoGraphic() const { return m_logoGraphic; }
    QString backgroundColor() const { return m_backgroundColor; }
    bool enabled() const { return m_enabled; }
    QString providerName() const { return m_providerName; }

    void setDisplayName(const QString &name) { m_displayName = name; }
    void setServiceName(const QString &name) { m_serviceName = name; }
    void setProtocol(const QString &protocol) { m_protocol = protocol; }
    void setIconName(const QString &iconName) { m_iconName = iconName; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    void setSupportsTelUri(bool supports) { m_supportsTelUri = supports; }
    void setProviderName(const QString &name) { m_providerName = name; }

    // Binds the record to a Telepathy account (null: unbound).
    void setTpAccount(Tp::AccountPtr account);

    // The balance text to show; empty when the account has no usable balance: unbound, not
    // connected, no balance interface, or a balance not (yet) known on the current connection.
    QString creditsText() const;
    // Stores a known balance and announces it with creditsChanged(), even when the text is
    // unchanged.
    void setBalance(const QString &currency, double value);

    // Whether Telepathy's amount is a balance at all: the scale 2^32 - 1 means "unknown".
    static bool isKnownBalance(const Tp::CurrencyAmount &amount);
    // The balance in currency units: the amount divided by 10 to the power of the scale, where
    // a scale outside 1 to 19 counts as 0.
    static double balanceValue(const Tp::CurrencyAmount &amount);
    // The text of a known balance in `locale`: zero with two decimals when there is neither a
    // balance nor a currency, the locale's currency notation for a three-letter currency code,
    // else the number followed by the currency text.
    static QString formatBalance(const MLocale &locale, double balance, const QString &currency);

    static QString uriSchemesKey();

Q_SIGNALS:
    void creditsChanged(const QString &accountPath, const QString &credits);

private Q_SLOTS:
    void onTpAccountRemoved();
    void onTpAccountReady(Tp::PendingOperation *op);
    void onTpConnectionReady(Tp::PendingOperation *op);
    void onTpAccountConnectionStatusChanged(Tp::ConnectionStatus status);
    void setTpConnection(Tp::ConnectionPtr connection);
    void setTpAccountBalance(Tp::CurrencyAmount balance);
    void onCurrencyFormatChanged();

public Q_SLOTS:
    void onAccountKeyChanged(const char *key);

private:
    bool hasBalanceInterface() const;
    void dropTpAccount();
    void dropTpConnection();

    QString m_path;
    Accounts::AccountId m_accountId;
    QString m_displayName;
    QString m_serviceName;
    QString m_protocol;
    QString m_iconName;
    Tp::AccountPtr m_tpAccount;
    Tp::ConnectionPtr m_tpConnection;
    double m_balance = 0.0;
    QString m_currency;
    bool m_balanceKnown = false;
    bool m_supportsTelUri;
    bool m_acceptLocalPhoneNumbers;
    QString m_logoGraphic;
    QString m_backgroundColor;
    bool m_enabled;
    QString m_providerName;

    CallHistoryLocale *m_locale;
    const CallHistoryAccountsManager *m_manager;
};
