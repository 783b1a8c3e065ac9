#include "returncalldialogunknowncontactvoiptocs.h"

#include "accounthelpers.h"
#include "avatarwidget.h"
#include "callhistoryitem.h"
#include "displaytext.h"
#include "mbutton.h"
#include "mimagewidget.h"
#include "mlabel.h"
#include "subtitlelabel.h"

ReturnCallDialogUnknownContactVoipToCS::ReturnCallDialogUnknownContactVoipToCS(CallHistoryItem *row,
                                                                               const Call &call)
    : ReturnCallDialog(row, call)
{
    beginLayout(true);
    addTitleHeader();
    endLayout(true, true, true);
    updateContent();
}

void ReturnCallDialogUnknownContactVoipToCS::updateContent()
{
    setEscapedTitle(number());
    const QString credits = balance();
    const QString name = accountName();
    titleLabel()->setText(
        credits.isEmpty() ? name : leftToRightRun(QStringLiteral("%1 (%2)").arg(name, credits)));
    sideIcon()->setImage(accountIconId(snapshot().accountPath));
    setChatIcon();
}
