#include "conversations.h"

#include "informationbanner.h"
#include "messagingif.h"

void openConversation(const QString &accountPath, const QString &remote)
{
    MessagingIf messaging{QString()};
    if (!messaging.startConversation(accountPath, remote, 0, true))
        showInformationBanner(qtTrId("qtn_call_no_messaging"));
}
