#include "accountstestdatabase.h"

#include <Accounts/Service>

#include <QDir>
#include <QFile>

AccountsTestDatabase::AccountsTestDatabase()
{
    qputenv("ACCOUNTS", QFile::encodeName(m_dir.path()));
    qputenv("AG_PROVIDERS", QByteArray(CH_SOURCE_DIR "/data/accounts/providers"));
    qputenv("AG_SERVICES", QByteArray(CH_SOURCE_DIR "/data/accounts/services"));
}

AccountsTestDatabase::~AccountsTestDatabase() = default;

QString AccountsTestDatabase::databaseFile() const
{
    return QDir(m_dir.path()).filePath(QStringLiteral("accounts.db"));
}

Accounts::Manager *AccountsTestDatabase::writer()
{
    if (!m_writer)
        m_writer.reset(new Accounts::Manager);
    return m_writer.data();
}

Accounts::Account *AccountsTestDatabase::account(Accounts::AccountId id, const QString &service)
{
    Accounts::Account *account = writer()->account(id);
    if (!account)
        return nullptr;
    if (service.isEmpty()) {
        account->selectService();
        return account;
    }
    const Accounts::Service s = writer()->service(service);
    if (!s.isValid())
        return nullptr;
    account->selectService(s);
    return account;
}

Accounts::AccountId AccountsTestDatabase::create(const QString &provider,
                                                 const QString &displayName,
                                                 const QList<QPair<QString, QString>> &serviceUids)
{
    Accounts::Account *account = writer()->createAccount(provider);
    if (!account)
        return 0;
    account->setDisplayName(displayName);
    account->selectService();
    account->setEnabled(true);
    for (const auto &serviceUid : serviceUids) {
        const Accounts::Service service = writer()->service(serviceUid.first);
        if (!service.isValid())
            return 0;
        account->selectService(service);
        account->setEnabled(true);
        if (!serviceUid.second.isEmpty())
            account->setValue(QStringLiteral("tmc-uid"), serviceUid.second);
    }
    account->selectService();
    return account->syncAndBlock() ? account->id() : 0;
}

bool AccountsTestDatabase::setValue(Accounts::AccountId id, const QString &service,
                                    const QString &key, const QVariant &value)
{
    Accounts::Account *a = account(id, service);
    if (!a)
        return false;
    a->setValue(key, value);
    return a->syncAndBlock();
}

bool AccountsTestDatabase::setEnabled(Accounts::AccountId id, const QString &service, bool enabled)
{
    Accounts::Account *a = account(id, service);
    if (!a)
        return false;
    a->setEnabled(enabled);
    return a->syncAndBlock();
}

bool AccountsTestDatabase::setDisplayName(Accounts::AccountId id, const QString &displayName)
{
    Accounts::Account *a = account(id, QString());
    if (!a)
        return false;
    a->setDisplayName(displayName);
    return a->syncAndBlock();
}

bool AccountsTestDatabase::remove(Accounts::AccountId id)
{
    Accounts::Account *a = account(id, QString());
    if (!a)
        return false;
    a->remove();
    return a->syncAndBlock();
}
