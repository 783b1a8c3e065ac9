#include "returncalldialogmulticontacts.h"

#include "accounthelpers.h"
#include "avatarwidget.h"
#include "callhistoryitem.h"
#include "mbutton.h"
#include "mimagewidget.h"
#include "mlabel.h"
#include "subtitlelabel.h"

ReturnCallDialogMultiContacts::ReturnCallDialogMultiContacts(CallHistoryItem *row, const Call &call)
    : ReturnCallDialog(row, call)
{
    beginLayout(true);
    addContactHeader(false, true, !snapshot().video);
    endLayout(true, false, true);
    updateContent();
}

void ReturnCallDialogMultiContacts::updateContent()
{
    const Snapshot &s = snapshot();
    avatar()->setImage(QStringLiteral("icon-m-conversation-contact-attention-inverse"));
    setEscapedTitle(number());
    if (s.video) {
        setVideoCallLines();
        setChatIcon();
        return;
    }
    setNumberLine(qtTrId("qtn_call_multiple_contacts_title").arg(s.contacts.size()));
    QStringList names;
    for (const Contact &c : s.contacts)
        names << c.second;
    std::sort(names.begin(), names.end());
    subtitleLabel()->setText(names.join(QStringLiteral(", ")));
    if (isCellular()) {
        sideIcon()->setStyleName(QStringLiteral("ZeroSizeWidget"));
        showPresence(false);
    } else {
        sideIcon()->setImage(accountIconId(s.accountPath));
        sideIcon()->setStyleName(QStringLiteral("CommonRightIcon"));
        setChatIcon();
        showPresence(true);
    }
}
