#include "accounthelpers.h"

#include "accountpaths.h"
#include "callhistoryaccountsmanager.h"

QString accountIconId(const QString &accountPath)
{
    if (isCellularAccount(accountPath))
        return QStringLiteral("icon-m-common-cellular");
    return CallHistoryAccountsManager::instance()->accountIcon(accountPath);
}

QString accountDisplayName(const QString &accountPath)
{
    return CallHistoryAccountsManager::instance()->accountServiceName(accountPath);
}
