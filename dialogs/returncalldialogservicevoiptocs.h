#pragma once

#include "returncalldialogservice.h"

// The return-call dialog of a voicemail or emergency number reached through a VoIP account: as
// ReturnCallDialogService, with the account's name, balance and icon.
class ReturnCallDialogServiceVoipToCS : public ReturnCallDialogService
{
    Q_OBJECT
public:
    explicit ReturnCallDialogServiceVoipToCS(CallHistoryItem *row, const Call &call);

protected:
    void updateContent() override;
};
