#include "accountstool.h"

#include <Accounts/Account>
#include <Accounts/Manager>
#include <Accounts/Service>

AccountsTool::AccountsTool(QTextStream &out, QTextStream &err)
    : m_out(out), m_err(err), m_manager(new Accounts::Manager)
{
}

AccountsTool::~AccountsTool()
{
    delete m_manager;
}

int AccountsTool::usage()
{
    m_err
        << "usage: call-history-accounts create <provider> <display name> <service>=<tmc-uid>...\n"
           "       call-history-accounts list\n"
           "       call-history-accounts enable|disable <id> [<service>]\n"
           "       call-history-accounts set <id> <service>|- <key> <value>\n"
           "       call-history-accounts delete <id>\n";
    return 2;
}

int AccountsTool::run(const QStringList &arguments)
{
    const QString command = arguments.value(0);
    const QStringList args = arguments.mid(1);
    if (command == QLatin1String("create"))
        return create(args);
    if (command == QLatin1String("list") && args.isEmpty())
        return list();
    if (command == QLatin1String("enable"))
        return setEnabled(args, true);
    if (command == QLatin1String("disable"))
        return setEnabled(args, false);
    if (command == QLatin1String("set"))
        return set(args);
    if (command == QLatin1String("delete"))
        return remove(args);
    return usage();
}

bool AccountsTool::save(Accounts::Account *account)
{
    if (account->syncAndBlock())
        return true;
    m_err << "call-history-accounts: the accounts database could not be written\n";
    return false;
}

Accounts::Account *AccountsTool::account(const QString &id)
{
    bool ok = false;
    const Accounts::AccountId accountId = id.toUInt(&ok);
    Accounts::Account *account = ok ? m_manager->account(accountId) : nullptr;
    if (!account)
        m_err << "call-history-accounts: no account " << id << "\n";
    return account;
}

bool AccountsTool::selectService(Accounts::Account *account, const QString &name)
{
    if (name == QLatin1String("-")) {
        account->selectService();
        return true;
    }
    const Accounts::Service service = m_manager->service(name);
    if (!service.isValid() || !account->services().contains(service)) {
        m_err << "call-history-accounts: the account has no service " << name << "\n";
        return false;
    }
    account->selectService(service);
    return true;
}

int AccountsTool::create(const QStringList &args)
{
    if (args.size() < 3)
        return usage();
    const QString providerName = args.at(0);
    if (!m_manager->provider(providerName).isValid()) {
        m_err << "call-history-accounts: unknown provider " << providerName << "\n";
        return 1;
    }
    QList<QPair<Accounts::Service, QString>> services;
    for (const QString &arg : args.mid(2)) {
        const int eq = arg.indexOf(QLatin1Char('='));
        const Accounts::Service service = m_manager->service(arg.left(eq));
        if (eq <= 0 || !service.isValid() || service.provider() != providerName) {
            m_err << "call-history-accounts: " << arg << " is not <service of " << providerName
                  << ">=<tmc-uid>\n";
            return 2;
        }
        services.append({service, arg.mid(eq + 1)});
    }

    Accounts::Account *account = m_manager->createAccount(providerName);
    if (!account) {
        m_err << "call-history-accounts: the account could not be created\n";
        return 1;
    }
    account->setDisplayName(args.at(1));
    account->selectService();
    account->setEnabled(true);
    for (const auto &service : services) {
        account->selectService(service.first);
        account->setValue(QStringLiteral("tmc-uid"), service.second);
        account->setEnabled(true);
    }
    account->selectService();
    if (!save(account))
        return 1;
    m_out << account->id() << "\n";
    return 0;
}

int AccountsTool::list()
{
    const Accounts::AccountIdList ids = m_manager->accountList();
    for (Accounts::AccountId id : ids) {
        Accounts::Account *account = m_manager->account(id);
        if (!account)
            continue;
        account->selectService();
        m_out << id << "\t" << account->providerName() << "\t" << account->displayName() << "\t"
              << (account->enabled() ? "enabled" : "disabled") << "\n";
        const Accounts::ServiceList services = account->services();
        for (const Accounts::Service &service : services) {
            account->selectService(service);
            m_out << "\t" << service.name() << "\t"
                  << account->valueAsString(QStringLiteral("tmc-uid")) << "\t"
                  << (account->enabled() ? "enabled" : "disabled") << "\n";
        }
        account->selectService();
    }
    return 0;
}

int AccountsTool::setEnabled(const QStringList &args, bool enabled)
{
    if (args.isEmpty() || args.size() > 2)
        return usage();
    Accounts::Account *account = this->account(args.at(0));
    if (!account || !selectService(account, args.value(1, QStringLiteral("-"))))
        return 1;
    account->setEnabled(enabled);
    account->selectService();
    return save(account) ? 0 : 1;
}

int AccountsTool::set(const QStringList &args)
{
    if (args.size() != 4)
        return usage();
    Accounts::Account *account = this->account(args.at(0));
    if (!account || !selectService(account, args.at(1)))
        return 1;
    account->setValue(args.at(2), args.at(3));
    account->selectService();
    return save(account) ? 0 : 1;
}

int AccountsTool::remove(const QStringList &args)
{
    if (args.size() != 1)
        return usage();
    Accounts::Account *account = this->account(args.at(0));
    if (!account)
        return 1;
    account->remove();
    return save(account) ? 0 : 1;
}
