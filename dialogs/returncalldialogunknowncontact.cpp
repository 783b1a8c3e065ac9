#include "returncalldialogunknowncontact.h"

#include "avatarwidget.h"
#include "callhistoryitem.h"
#include "mbutton.h"
#include "mimagewidget.h"
#include "mlabel.h"
#include "subtitlelabel.h"

ReturnCallDialogUnknownContact::ReturnCallDialogUnknownContact(CallHistoryItem *row,
                                                               const Call &call)
    : ReturnCallDialog(row, call)
{
    beginLayout(false);
    endLayout(false, true, true);
    updateContent();
}

void ReturnCallDialogUnknownContact::updateContent()
{
    setEscapedTitle(number());
    if (!isCellular())
        setChatIcon();
}
