#include "returncalldialogknowncontactvoiptocs.h"

#include "accounthelpers.h"
#include "avatarwidget.h"
#include "callhistoryitem.h"
#include "displaytext.h"
#include "mbutton.h"
#include "mimagewidget.h"
#include "mlabel.h"
#include "subtitlelabel.h"

ReturnCallDialogKnownContactVoipToCS::ReturnCallDialogKnownContactVoipToCS(CallHistoryItem *row,
                                                                           const Call &call)
    : ReturnCallDialog(row, call)
{
    beginLayout(true);
    addContactHeader(true, true, false);
    endLayout(true, false, true);
    updateContent();
}

void ReturnCallDialogKnownContactVoipToCS::updateContent()
{
    const Snapshot &s = snapshot();
    avatar()->setContactId(s.contactId);
    setEscapedTitle(s.name);
    const QString credits = balance();
    if (credits.isEmpty())
        setNumberLine(number());
    else
        setNumberLine(number() + leftToRightRun(QStringLiteral(" (%1)").arg(credits)));
    subtitleLabel()->setText(s.statusMessage);
    sideIcon()->setImage(accountIconId(s.accountPath));
    setChatIcon();
}
