#include "callhistoryaccount.h"

#include "callhistoryaccountsmanager.h"
#include "callhistorylocale.h"
#include "mlocale.h"

#include <TelepathyQt/PendingOperation>
#include <TelepathyQt/PendingReady>

namespace {
const char balanceInterface[] = "org.freedesktop.Telepathy.Connection.Interface.Balance";
}

CallHistoryAccount::CallHistoryAccount(const Settings &settings, CallHistoryLocale *locale,
                                       const CallHistoryAccountsManager *manager)
    : m_path(settings.path), m_accountId(settings.accountId), m_displayName(settings.displayName),
      m_serviceName(settings.serviceName), m_protocol(settings.protocol),
      m_iconName(settings.iconName), m_supportsTelUri(settings.supportsTelUri),
      m_acceptLocalPhoneNumbers(settings.acceptLocalPhoneNumbers),
      m_logoGraphic(settings.logoGraphic), m_backgroundColor(settings.backgroundColor),
      m_enabled(settings.enabled), m_providerName(settings.providerName), m_locale(locale),
      m_manager(manager)
{
}

CallHistoryAccount::~CallHistoryAccount() = default;

QString CallHistoryAccount::uriSchemesKey()
{
    return QStringLiteral(
        "org.freedesktop.Telepathy.Account.Interface.Addressing.DRAFT.URISchemes");
}

void CallHistoryAccount::dropTpAccount()
{
    if (m_tpAccount)
        m_tpAccount->disconnect(this);
    m_tpAccount.reset();
}

void CallHistoryAccount::dropTpConnection()
{
    if (m_tpConnection)
        m_tpConnection->disconnect(this);
    m_tpConnection.reset();
}

void CallHistoryAccount::setTpAccount(Tp::AccountPtr account)
{
    dropTpAccount();
    m_tpAccount = account;
    if (!m_tpAccount)
        return;

    connect(m_tpAccount.data(), SIGNAL(removed()), this, SLOT(onTpAccountRemoved()));
    connect(m_tpAccount.data(), SIGNAL(connectionChanged(Tp::ConnectionPtr)), this,
            SLOT(setTpConnection(Tp::ConnectionPtr)));
    connect(m_tpAccount.data(), SIGNAL(connectionStatusChanged(Tp::ConnectionStatus)), this,
            SLOT(onTpAccountConnectionStatusChanged(Tp::ConnectionStatus)));
    if (m_locale)
        connect(m_locale, SIGNAL(currencySettingsChanged()), this, SLOT(onCurrencyFormatChanged()),
                Qt::UniqueConnection);

    if (m_tpAccount->isReady())
        onTpAccountReady(nullptr);
    else
        connect(m_tpAccount->becomeReady(), SIGNAL(finished(Tp::PendingOperation *)), this,
                SLOT(onTpAccountReady(Tp::PendingOperation *)));
}

void CallHistoryAccount::onTpAccountReady(Tp::PendingOperation *op)
{
    // A readiness operation of an account this record has since left is of no interest.
    if (op) {
        auto ready = qobject_cast<Tp::PendingReady *>(op);
        if (ready && ready->proxy().data() != m_tpAccount.data())
            return;
    }
    if ((!op || !op->isError()) && m_tpAccount && m_tpAccount->isValid()) {
        if (m_tpAccount->connectionStatus() != Tp::ConnectionStatusConnected)
            return;
        setTpConnection(m_tpAccount->connection());
        return;
    }
    onTpAccountRemoved();
}

void CallHistoryAccount::onTpAccountConnectionStatusChanged(Tp::ConnectionStatus status)
{
    if (status == Tp::ConnectionStatusConnected)
        onTpAccountReady(nullptr);
}

void CallHistoryAccount::setTpConnection(Tp::ConnectionPtr connection)
{
    if (connection == m_tpConnection && connection)
        return;
    dropTpConnection();
    m_tpConnection = connection;
    if (!m_tpConnection)
        return;
    // Until this connection tells its balance, the last one's is not shown.
    m_balanceKnown = false;

    connect(m_tpConnection.data(), SIGNAL(accountBalanceChanged(Tp::CurrencyAmount)), this,
            SLOT(setTpAccountBalance(Tp::CurrencyAmount)));
    const Tp::Features features{Tp::Connection::FeatureAccountBalance};
    if (m_tpConnection->isReady(features))
        onTpConnectionReady(nullptr);
    else
        connect(m_tpConnection->becomeReady(features), SIGNAL(finished(Tp::PendingOperation *)),
                this, SLOT(onTpConnectionReady(Tp::PendingOperation *)));
}

void CallHistoryAccount::onTpConnectionReady(Tp::PendingOperation *op)
{
    if (op) {
        auto ready = qobject_cast<Tp::PendingReady *>(op);
        if (ready && ready->proxy().data() != m_tpConnection.data())
            return;
    }
    if ((!op || !op->isError()) && m_tpConnection && m_tpConnection->isValid() &&
        hasBalanceInterface()) {
        setTpAccountBalance(m_tpConnection->accountBalance());
        return;
    }
    onTpAccountRemoved();
}

void CallHistoryAccount::onTpAccountRemoved()
{
    dropTpAccount();
    dropTpConnection();
}

double CallHistoryAccount::balanceValue(const Tp::CurrencyAmount &amount)
{
    double divisor = 1.0;
    if (amount.scale >= 1 && amount.scale <= 19) {
        for (uint i = 0; i < amount.scale; ++i)
            divisor *= 10.0;
    }
    return double(amount.amount) / divisor;
}

bool CallHistoryAccount::isKnownBalance(const Tp::CurrencyAmount &amount)
{
    return amount.scale != 0xffffffffu;
}

void CallHistoryAccount::setTpAccountBalance(Tp::CurrencyAmount balance)
{
    if (isKnownBalance(balance)) {
        setBalance(balance.currency.left(MaxCurrencyLength), balanceValue(balance));
        return;
    }
    // A service that does not know the balance yet: nothing to show rather than a zero.
    m_balanceKnown = false;
    Q_EMIT creditsChanged(m_path, creditsText());
}

void CallHistoryAccount::setBalance(const QString &currency, double value)
{
    m_balance = value;
    m_currency = currency;
    m_balanceKnown = true;
    Q_EMIT creditsChanged(m_path, creditsText());
}

bool CallHistoryAccount::hasBalanceInterface() const
{
    return m_tpConnection && m_tpConnection->interfaces().contains(QLatin1String(balanceInterface));
}

QString CallHistoryAccount::formatBalance(const MLocale &locale, double balance,
                                          const QString &currency)
{
    if (balance == 0.0 && currency.isEmpty())
        return QStringLiteral("%1").arg(locale.formatNumber(0.0, 2, 2));
    if (currency.length() == 3)
        return locale.formatCurrency(balance, currency);
    // A number in the region's notation, then whatever the service calls its currency.
    return QStringLiteral("%1 %2")
        .arg(locale.regionLocale().toString(balance, 'g', 6), currency)
        .trimmed();
}

QString CallHistoryAccount::creditsText() const
{
    if (!hasBalanceInterface() || m_tpConnection->status() != Tp::ConnectionStatusConnected ||
        !m_balanceKnown)
        return QString();
    if (m_locale)
        return formatBalance(*m_locale->locale(), m_balance, m_currency);
    return formatBalance(MLocale(), m_balance, m_currency);
}

void CallHistoryAccount::onCurrencyFormatChanged()
{
    const QString text = creditsText();
    if (!text.isEmpty())
        Q_EMIT creditsChanged(m_path, text);
}

void CallHistoryAccount::onAccountKeyChanged(const char *key)
{
    if (!key || uriSchemesKey() != QLatin1String(key) || !m_manager)
        return;
    Accounts::Account *account = m_manager->accountsDbAccount(m_accountId);
    if (account)
        m_supportsTelUri =
            account->valueAsString(uriSchemesKey(), QString()) == QLatin1String("tel;");
}
