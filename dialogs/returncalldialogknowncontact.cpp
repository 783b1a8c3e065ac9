#include "returncalldialogknowncontact.h"

#include "avatarwidget.h"
#include "callhistoryitem.h"
#include "displaytext.h"
#include "mbutton.h"
#include "mimagewidget.h"
#include "mlabel.h"
#include "subtitlelabel.h"

ReturnCallDialogKnownContact::ReturnCallDialogKnownContact(CallHistoryItem *row, const Call &call)
    : ReturnCallDialog(row, call)
{
    beginLayout(true);
    addContactHeader(true, false, false);
    endLayout(true, false, true);
    updateContent();
}

void ReturnCallDialogKnownContact::updateContent()
{
    const Snapshot &s = snapshot();
    avatar()->setContactId(s.contactId);
    setEscapedTitle(s.name);
    static const char *const kinds[] = {nullptr,
                                        "qtn_comm_type_mobile",
                                        "qtn_comm_type_work",
                                        "qtn_comm_type_home",
                                        "qtn_comm_type_fax",
                                        "qtn_cont_type_other"};
    if (s.numberCount > 1 && s.numberType >= 1 && s.numberType <= 5)
        setNumberLine(argWithLengthVariants(QStringLiteral("%1 | %2"), number(),
                                            qtTrId(kinds[s.numberType])));
    else
        setNumberLine(number());
    subtitleLabel()->setText(s.statusMessage);
}
