#include "returncalldialogservice.h"

#include "avatarwidget.h"
#include "callhistoryitem.h"
#include "mbutton.h"
#include "mimagewidget.h"
#include "mlabel.h"
#include "subtitlelabel.h"

ReturnCallDialogService::ReturnCallDialogService(CallHistoryItem *row, const Call &call)
    : ReturnCallDialogService(row, call, true)
{
    updateContent();
}

ReturnCallDialogService::ReturnCallDialogService(CallHistoryItem *row, const Call &call,
                                                 bool buildLayout)
    : ReturnCallDialog(row, call)
{
    if (!buildLayout)
        return;
    beginLayout(true);
    addContactHeader(false, false, false);
    endLayout(true, false, false);
}

void ReturnCallDialogService::fillServiceContent()
{
    const Snapshot &s = snapshot();
    avatar()->setImage(s.numberClass == CallHistoryItem::EmergencyCall
                           ? QStringLiteral("icon-m-telephony-emergency-call")
                           : QStringLiteral("icon-m-telephony-contact-voicemail"));
    setEscapedTitle(s.name);
    setNumberLine(number());
}

void ReturnCallDialogService::updateContent()
{
    fillServiceContent();
}
