#pragma once

#include "returncalldialog.h"

// The return-call dialog of a VoIP call with no contact to a phone number: the number as title,
// the account's name (with its balance) and icon.
class ReturnCallDialogUnknownContactVoipToCS : public ReturnCallDialog
{
    Q_OBJECT
public:
    explicit ReturnCallDialogUnknownContactVoipToCS(CallHistoryItem *row, const Call &call);

protected:
    void updateContent() override;
};
