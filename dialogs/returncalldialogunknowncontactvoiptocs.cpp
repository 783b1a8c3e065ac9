#include "returncalldialogunknowncontactvoiptocs.h"

#include "accounthelpers.h"
#include "avatarwidget.h"
#include "callhistoryitem.h"
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
        credits.isEmpty()
            ? name
            : QStringLiteral("%1%2 (%3)%4").arg(QChar(0x202A), name, credits, QChar(0x202C)));
    sideIcon()->setImage(accountIconId(snapshot().accountPath));
    setChatIcon();
}
