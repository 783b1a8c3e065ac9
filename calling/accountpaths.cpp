#include "accountpaths.h"

QString cellularAccountPath()
{
    return QStringLiteral("/org/freedesktop/Telepathy/Account/pulse/tel/pulse");
}

bool isCellularAccount(const QString &accountPath)
{
    return accountPath.isEmpty() || accountPath == cellularAccountPath();
}
