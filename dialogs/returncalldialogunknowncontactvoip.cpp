#include "returncalldialogunknowncontactvoip.h"

#include "accounthelpers.h"
#include "avatarwidget.h"
#include "callhistoryitem.h"
#include "mbutton.h"
#include "mimagewidget.h"
#include "mlabel.h"
#include "subtitlelabel.h"

ReturnCallDialogUnknownContactVoip::ReturnCallDialogUnknownContactVoip(CallHistoryItem *row,
                                                                       const Call &call)
    : ReturnCallDialog(row, call)
{
    beginLayout(true);
    if (snapshot().video)
        addContactHeader(true, true, false);
    else
        addTitleHeader();
    endLayout(true, true, true);
    updateContent();
}

void ReturnCallDialogUnknownContactVoip::updateContent()
{
    setEscapedTitle(number());
    if (snapshot().video) {
        setVideoCallLines();
    } else {
        titleLabel()->setText(accountName());
        sideIcon()->setImage(accountIconId(snapshot().accountPath));
    }
    setChatIcon();
}
