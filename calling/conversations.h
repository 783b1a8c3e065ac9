#pragma once

#include <QString>

// Starts a conversation (messages, chat) with `remote` on the account `accountPath` through the
// messaging service. When no messaging application takes it, an information banner says so.
void openConversation(const QString &accountPath, const QString &remote);
