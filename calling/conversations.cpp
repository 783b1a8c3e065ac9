#include "conversations.h"

#include "informationbanner.h"
#include "messagingif.h"

void openConversation(const QString &accountPath, const QString &remote)
{
    if (MessagingIf::conversationUri(accountPath, remote).isEmpty()) {
        showInformationBanner(qtTrId("qtn_call_message_refused"));
        return;
    }
    MessagingIf messaging{QString()};
    if (!messaging.startConversation(accountPath, remote, 0, true))
        showInformationBanner(qtTrId("qtn_call_no_messaging"));
}
