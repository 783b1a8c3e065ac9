#include "returncalldialogservicevoiptocs.h"

#include "accounthelpers.h"
#include "avatarwidget.h"
#include "callhistoryitem.h"
#include "mbutton.h"
#include "mimagewidget.h"
#include "mlabel.h"
#include "subtitlelabel.h"

ReturnCallDialogServiceVoipToCS::ReturnCallDialogServiceVoipToCS(CallHistoryItem *row,
                                                                 const Call &call)
    : ReturnCallDialogService(row, call, false)
{
    beginLayout(true);
    addContactHeader(false, true, false);
    endLayout(true, false, false);
    updateContent();
}

void ReturnCallDialogServiceVoipToCS::updateContent()
{
    fillServiceContent();
    const QString credits = balance();
    subtitleLabel()->setText(credits.isEmpty() ? accountName()
                                               : accountName() + QStringLiteral(" (") + credits +
                                                     QLatin1Char(')'));
    sideIcon()->setImage(accountIconId(snapshot().accountPath));
}
