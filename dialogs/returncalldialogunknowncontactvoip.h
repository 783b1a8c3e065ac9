#pragma once

#include "returncalldialog.h"

// The return-call dialog of a VoIP call with no contact to an address that is no phone number:
// the address as title, the account's name and icon; for a video call a header with the
// video-call line and the account name.
class ReturnCallDialogUnknownContactVoip : public ReturnCallDialog
{
    Q_OBJECT
public:
    explicit ReturnCallDialogUnknownContactVoip(CallHistoryItem *row, const Call &call);

protected:
    void updateContent() override;
};
