#pragma once

#include <QString>

// Starts a conversation (messages, chat) with `remote` on the account `accountPath` through the
// messaging service. An address that cannot be messaged (no number, no URI of a messaging scheme:
// see MessagingIf::conversationUri) is refused with an information banner; when no messaging
// application takes it, another banner says so.
void openConversation(const QString &accountPath, const QString &remote);
