#pragma once

#include <QString>

// The object path of the cellular calling account.
QString cellularAccountPath();

// True for the cellular account: its path, or an empty path (events without an account).
bool isCellularAccount(const QString &accountPath);
