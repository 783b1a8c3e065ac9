#pragma once

#include <QString>

namespace CallUi {
// Where the call-UI service lives on the session bus (data/dbus/com.velto.CallUi.xml).
inline QString serviceName()
{
    return QStringLiteral("com.velto.CallUi");
}
inline QString objectPath()
{
    return QStringLiteral("/com/velto/CallUi");
}
inline QString interfaceName()
{
    return QStringLiteral("com.velto.CallUi");
}
} // namespace CallUi
