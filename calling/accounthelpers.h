#pragma once

#include <QString>

// Account operations shared by the rows, dialogs and pickers, answered by the application's
// accounts registry.

// "icon-m-common-cellular" for the cellular account; otherwise the registered account's icon
// id, empty for an unknown path.
QString accountIconId(const QString &accountPath);

// The translated service name of the account, empty for an unknown path.
QString accountDisplayName(const QString &accountPath);
