#pragma once

#include "returncalldialog.h"

// The return-call dialog of a VoIP call to a phone number of one contact: the contact's picture
// and name, the number followed by the account's balance, the status message and the account
// icon.
class ReturnCallDialogKnownContactVoipToCS : public ReturnCallDialog
{
    Q_OBJECT
public:
    explicit ReturnCallDialogKnownContactVoipToCS(CallHistoryItem *row, const Call &call);

protected:
    void updateContent() override;
};
