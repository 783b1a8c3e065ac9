#pragma once

#include "returncalldialog.h"

// The return-call dialog of a call whose number belongs to several contacts: the number as title,
// how many contacts and their names; the header opens the list of those contacts. VoIP calls
// show the account icon and presence too.
class ReturnCallDialogMultiContacts : public ReturnCallDialog
{
    Q_OBJECT
public:
    explicit ReturnCallDialogMultiContacts(CallHistoryItem *row, const Call &call);

protected:
    void updateContent() override;
};
