#pragma once

#include "returncalldialog.h"

// The return-call dialog of a VoIP call to an address (not a phone number) of one contact: the
// contact's picture and name, the address, status message, account icon and presence; for a
// video call the video-call line and the account name instead.
class ReturnCallDialogKnownContactVoip : public ReturnCallDialog
{
    Q_OBJECT
public:
    explicit ReturnCallDialogKnownContactVoip(CallHistoryItem *row, const Call &call);

protected:
    void updateContent() override;
};
