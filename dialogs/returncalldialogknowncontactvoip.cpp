#include "returncalldialogknowncontactvoip.h"

#include "accounthelpers.h"
#include "avatarwidget.h"
#include "callhistoryitem.h"
#include "mbutton.h"
#include "mimagewidget.h"
#include "mlabel.h"
#include "subtitlelabel.h"

ReturnCallDialogKnownContactVoip::ReturnCallDialogKnownContactVoip(CallHistoryItem *row,
                                                                   const Call &call)
    : ReturnCallDialog(row, call)
{
    beginLayout(true);
    addContactHeader(true, true, !snapshot().video);
    endLayout(true, false, true);
    updateContent();
}

void ReturnCallDialogKnownContactVoip::updateContent()
{
    const Snapshot &s = snapshot();
    avatar()->setContactId(s.contactId);
    setEscapedTitle(s.name);
    if (s.video) {
        setVideoCallLines();
    } else {
        setNumberLine(number());
        subtitleLabel()->setText(s.statusMessage);
        sideIcon()->setImage(accountIconId(s.accountPath));
        showPresence(true);
    }
    setChatIcon();
}
