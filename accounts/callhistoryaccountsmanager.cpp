#include "callhistoryaccountsmanager.h"

#include "callhistoryaccount.h"
#include "callhistorylocale.h"
#include "mlocale.h"

#include <Accounts/Error>
#include <Accounts/Service>

#include <TelepathyQt/Account>
#include <TelepathyQt/AccountFactory>
#include <TelepathyQt/ChannelFactory>
#include <TelepathyQt/ConnectionFactory>
#include <TelepathyQt/ContactFactory>
#include <TelepathyQt/Debug>
#include <TelepathyQt/PendingOperation>
#include <TelepathyQt/PendingReady>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QFileInfo>
#include <QHash>
#include <QTimer>
#include <QTimerEvent>
#include <algorithm>

namespace {
const char serviceType[] = "IM";
const char accountPathPrefix[] = "/org/freedesktop/Telepathy/Account/";
const char skypePathPrefix[] = "/org/freedesktop/Telepathy/Account/spirit/skype/";
const int retryInterval = 200;
const int readinessRetryInterval = 20000;

// Whether the accounts library can open its database: in $ACCOUNTS, which must be an existing
// folder, or in the user's configuration folder, which the library creates. The library itself
// would complain on stderr about a folder it cannot use and then fail on every call.
bool accountsDatabaseUsable()
{
    const QString dir = qEnvironmentVariable("ACCOUNTS");
    return dir.isEmpty() || QFileInfo(dir).isDir();
}

bool accountLessThan(const CallHistoryAccount *a, const CallHistoryAccount *b)
{
    const bool aCellular = a->path() == CallHistoryAccountsManager::cellularPath();
    const bool bCellular = b->path() == CallHistoryAccountsManager::cellularPath();
    if (aCellular != bCellular)
        return aCellular;
    if (a->serviceName() != b->serviceName())
        return a->serviceName() < b->serviceName();
    return a->displayName() < b->displayName();
}
} // namespace

CallHistoryAccountsManager *CallHistoryAccountsManager::instance()
{
    static QPointer<CallHistoryAccountsManager> self;
    if (!self)
        self = new CallHistoryAccountsManager(CallHistoryLocale::instance(),
                                              QCoreApplication::instance());
    return self;
}

QString CallHistoryAccountsManager::cellularPath()
{
    return QStringLiteral("/org/freedesktop/Telepathy/Account/pulse/tel/pulse");
}

CallHistoryAccountsManager::CallHistoryAccountsManager(CallHistoryLocale *locale, QObject *parent)
    : QObject(parent),
      m_accountsManager(accountsDatabaseUsable()
                            ? new Accounts::Manager(QLatin1String(serviceType), this)
                            : nullptr),
      m_locale(locale)
{
    // The library reports unreachable services on stderr by default; the program stays silent.
    Tp::enableWarnings(false);
    Tp::enableDebug(false);

    const QDBusConnection bus = QDBusConnection::sessionBus();
    m_tpAccountManager = Tp::AccountManager::create(
        Tp::AccountFactory::create(bus, Tp::Features{Tp::Account::FeatureCore}),
        Tp::ConnectionFactory::create(bus), Tp::ChannelFactory::create(bus),
        Tp::ContactFactory::create());
    connect(m_tpAccountManager.data(), SIGNAL(newAccount(Tp::AccountPtr)), this,
            SLOT(checkTpAccounts()));
    tpAccountManagerReady();

    if (m_accountsManager) {
        connect(m_accountsManager, SIGNAL(accountCreated(Accounts::AccountId)), this,
                SLOT(updateAccount(Accounts::AccountId)));
        connect(m_accountsManager, SIGNAL(accountUpdated(Accounts::AccountId)), this,
                SLOT(updateAccount(Accounts::AccountId)));
        connect(m_accountsManager, SIGNAL(enabledEvent(Accounts::AccountId)), this,
                SLOT(updateAccount(Accounts::AccountId)));
        connect(m_accountsManager, SIGNAL(accountRemoved(Accounts::AccountId)), this,
                SLOT(removeAccount(Accounts::AccountId)));
    }

    CallHistoryAccount::Settings cellular;
    cellular.path = cellularPath();
    cellular.accountId = 0;
    cellular.displayName = qtTrId("qtn_call_mobile");
    cellular.serviceName = qtTrId("qtn_call_mobile");
    cellular.iconName = QStringLiteral("icon-m-telephony-second-call");
    cellular.supportsTelUri = true;
    cellular.acceptLocalPhoneNumbers = true;
    cellular.enabled = true;
    m_registry.insert(cellular.path, new CallHistoryAccount(cellular, m_locale, this));

    loadAccounts();
}

CallHistoryAccountsManager::~CallHistoryAccountsManager()
{
    qDeleteAll(m_registry);
    m_registry.clear();
    delete m_accountsManager;
}

void CallHistoryAccountsManager::loadAccounts()
{
    if (!m_accountsManager)
        return;
    const Accounts::AccountIdList ids = m_accountsManager->accountList(QLatin1String(serviceType));
    for (Accounts::AccountId id : ids)
        updateAccount(id);
}

CallHistoryAccount::Settings
CallHistoryAccountsManager::readSettings(Accounts::Account *account,
                                         const Accounts::Service &service, bool accountEnabled)
{
    CallHistoryAccount::Settings s;
    s.accountId = account->id();
    s.displayName = account->displayName();
    s.serviceName = service.displayName();
    s.protocol = account->valueAsString(QStringLiteral("protocol"));
    s.iconName = service.iconName();
    s.supportsTelUri =
        account->valueAsString(CallHistoryAccount::uriSchemesKey()) == QLatin1String("tel;");
    s.acceptLocalPhoneNumbers =
        account->valueAsBool(QStringLiteral("acceptLocalPhoneNumbers"), true);
    s.logoGraphic = account->valueAsString(QStringLiteral("dialer-logo-graphic"));
    s.backgroundColor = account->valueAsString(QStringLiteral("dialer-background-color"));
    s.enabled = accountEnabled && account->enabled();
    s.providerName = account->providerName();
    return s;
}

void CallHistoryAccountsManager::updateAccount(Accounts::AccountId id)
{
    Accounts::Account *account = m_dbAccounts.value(id);
    if (!account) {
        Accounts::Error::ErrorType error = Accounts::Error::NoError;
        account = readAccount(id, &error);
        if (!account) {
            if (error == Accounts::Error::Database || error == Accounts::Error::DatabaseLocked) {
                if (!m_retryIds.contains(id))
                    m_retryIds.append(id);
                if (!m_retryTimerId)
                    m_retryTimerId = startTimer(retryInterval);
            }
            return;
        }
        m_dbAccounts.insert(id, account);
    }

    account->selectService();
    const bool accountEnabled = account->enabled();

    const Accounts::ServiceList services = account->services(QLatin1String(serviceType));
    for (const Accounts::Service &service : services) {
        account->selectService(service);
        QString path = account->valueAsString(QStringLiteral("tmc-uid"), QString());
        if (path.isEmpty())
            continue;
        if (!path.startsWith(QLatin1String(accountPathPrefix)))
            path.prepend(QLatin1String(accountPathPrefix));

        installTranslations(account, service);

        CallHistoryAccount::Settings settings = readSettings(account, service, accountEnabled);
        CallHistoryAccount *record = m_registry.value(path);
        if (!record) {
            settings.path = path;
            record = new CallHistoryAccount(settings, m_locale, this);
            connect(record, SIGNAL(creditsChanged(QString, QString)), this,
                    SIGNAL(creditsChanged(QString, QString)));
            Accounts::Watch *watch = account->watchKey(CallHistoryAccount::uriSchemesKey());
            if (watch)
                connect(watch, SIGNAL(notify(const char *)), record,
                        SLOT(onAccountKeyChanged(const char *)));
            m_registry.insert(path, record);
        } else {
            record->setDisplayName(settings.displayName);
            record->setServiceName(settings.serviceName);
            record->setProtocol(settings.protocol);
            record->setIconName(settings.iconName);
            record->setEnabled(settings.enabled);
            record->setSupportsTelUri(settings.supportsTelUri);
            record->setProviderName(settings.providerName);
        }
        Q_EMIT accountsChanged();
    }
    account->selectService();
}

Accounts::Account *CallHistoryAccountsManager::readAccount(Accounts::AccountId id,
                                                           Accounts::Error::ErrorType *error)
{
    Accounts::Account *account = m_accountsManager ? m_accountsManager->account(id) : nullptr;
    if (!account)
        *error =
            m_accountsManager ? m_accountsManager->lastError().type() : Accounts::Error::Unknown;
    return account;
}

void CallHistoryAccountsManager::installTranslations(Accounts::Account *account,
                                                     const Accounts::Service &service)
{
    const QString providerName = account->providerName();
    Accounts::Provider provider = m_providers.value(providerName);
    if (!provider.isValid() && !providerName.isEmpty() && m_accountsManager) {
        provider = m_accountsManager->provider(providerName);
        if (provider.isValid())
            m_providers.insert(providerName, provider);
    }

    QString catalog = provider.isValid() ? provider.trCatalog() : QString();
    if (catalog.isEmpty())
        catalog = service.trCatalog();
    if (catalog.isEmpty())
        return;

    MLocale locale;
    if (!locale.isInstalledTrCatalog(catalog)) {
        locale.installTrCatalog(catalog);
        MLocale::setDefault(locale);
    }
}

void CallHistoryAccountsManager::removeAccount(Accounts::AccountId id)
{
    const QList<CallHistoryAccount *> records = m_registry.values();
    for (CallHistoryAccount *record : records) {
        if (record->accountId() != id || record->path() == cellularPath())
            continue;
        m_registry.remove(record->path());
        m_dbAccounts.remove(id);
        m_retryIds.removeAll(id);
        delete record;
        Q_EMIT accountsChanged();
    }
}

void CallHistoryAccountsManager::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_retryTimerId) {
        QObject::timerEvent(event);
        return;
    }
    const QList<Accounts::AccountId> ids = m_retryIds;
    m_retryIds.clear();
    for (Accounts::AccountId id : ids)
        updateAccount(id);
    if (m_retryIds.isEmpty()) {
        killTimer(m_retryTimerId);
        m_retryTimerId = 0;
    }
}

void CallHistoryAccountsManager::tpAccountManagerReady()
{
    if (m_tpAccountManager->isReady())
        return;
    connect(m_tpAccountManager->becomeReady(), SIGNAL(finished(Tp::PendingOperation *)), this,
            SLOT(onTpAccountManagerReady(Tp::PendingOperation *)));
}

void CallHistoryAccountsManager::onTpAccountManagerReady(Tp::PendingOperation *operation)
{
    if (operation && operation->isError()) {
        QTimer::singleShot(readinessRetryInterval, this, SLOT(tpAccountManagerReady()));
        return;
    }
    checkTpAccounts();
}

void CallHistoryAccountsManager::checkTpAccounts()
{
    if (!m_tpAccountManager->isReady())
        return;
    QHash<QString, Tp::AccountPtr> byPath;
    const QList<Tp::AccountPtr> all = m_tpAccountManager->allAccounts();
    for (const Tp::AccountPtr &tpAccount : all)
        byPath.insert(tpAccount->objectPath(), tpAccount);

    for (CallHistoryAccount *record : qAsConst(m_registry)) {
        if (record->path() == cellularPath())
            continue;
        record->setTpAccount(byPath.value(record->path()));
    }
}

QList<CallHistoryAccount *> CallHistoryAccountsManager::accounts(bool enabledOnly, bool telOnly,
                                                                 bool includeCellular) const
{
    QList<CallHistoryAccount *> result;
    for (CallHistoryAccount *record : m_registry) {
        if (!includeCellular && record->path() == cellularPath())
            continue;
        if (enabledOnly && !record->enabled())
            continue;
        if (telOnly && !record->supportsTelUri())
            continue;
        result.append(record);
    }
    std::sort(result.begin(), result.end(), accountLessThan);
    return result;
}

QString CallHistoryAccountsManager::defaultAccountPath(bool enabledOnly, bool telOnly,
                                                       bool includeCellular) const
{
    const QList<CallHistoryAccount *> list = accounts(enabledOnly, telOnly, includeCellular);
    return list.isEmpty() ? QString() : list.first()->path();
}

bool CallHistoryAccountsManager::hasAccounts(bool enabledOnly, bool telOnly, bool includeCellular,
                                             bool multiple) const
{
    if (multiple)
        return accounts(enabledOnly, telOnly, includeCellular).size() > 1;
    return !defaultAccountPath(enabledOnly, telOnly, includeCellular).isEmpty();
}

bool CallHistoryAccountsManager::hasAccount(const QString &path, bool requireEnabled) const
{
    const CallHistoryAccount *record = value(path);
    if (!record)
        return false;
    return requireEnabled ? record->enabled() : true;
}

CallHistoryAccount *CallHistoryAccountsManager::account(const QString &path) const
{
    return value(path);
}

Accounts::Account *CallHistoryAccountsManager::accountsDbAccount(Accounts::AccountId id) const
{
    return m_dbAccounts.value(id);
}

QString CallHistoryAccountsManager::accountName(const QString &path) const
{
    const CallHistoryAccount *record = value(path);
    return record ? record->displayName() : QString();
}

QString CallHistoryAccountsManager::accountServiceName(const QString &path) const
{
    const CallHistoryAccount *record = value(path);
    return record ? qtTrId(record->serviceName().toLatin1().constData()) : QString();
}

QString CallHistoryAccountsManager::accountIcon(const QString &path) const
{
    const CallHistoryAccount *record = value(path);
    return record ? record->iconName() : QString();
}

QString CallHistoryAccountsManager::accountProtocol(const QString &path) const
{
    const CallHistoryAccount *record = value(path);
    return record ? record->protocol() : QString();
}

QString CallHistoryAccountsManager::accountLogo(const QString &path) const
{
    const CallHistoryAccount *record = value(path);
    return record ? record->logoGraphic() : QString();
}

QString CallHistoryAccountsManager::accountBackgroundColor(const QString &path) const
{
    const CallHistoryAccount *record = value(path);
    return record ? record->backgroundColor() : QString();
}

QString CallHistoryAccountsManager::accountCredits(const QString &path) const
{
    const CallHistoryAccount *record = value(path);
    return record ? record->creditsText() : QString();
}

bool CallHistoryAccountsManager::acceptsLocalPhoneNumbers(const QString &path) const
{
    const CallHistoryAccount *record = value(path);
    return record ? record->acceptLocalPhoneNumbers() : false;
}

bool CallHistoryAccountsManager::isCellularEntry(const QString &path) const
{
    const CallHistoryAccount *record = value(path);
    return record && record->path() == cellularPath();
}

bool CallHistoryAccountsManager::isVideoCallUnavailable(const QString &path) const
{
    const CallHistoryAccount *record = value(path);
    if (!record || path.startsWith(QLatin1String(skypePathPrefix)))
        return true;
    return record->providerName() != QLatin1String("google");
}
