#pragma once

#include "returncalldialog.h"

// The return-call dialog of an emergency or voicemail call: the service's image, name and number,
// and a call button alone.
class ReturnCallDialogService : public ReturnCallDialog
{
    Q_OBJECT
public:
    explicit ReturnCallDialogService(CallHistoryItem *row, const Call &call);

protected:
    void updateContent() override;
    // The texts and image every service dialog shows.
    void fillServiceContent();
    // For the dialog of a service reached through a VoIP account: builds no layout itself.
    ReturnCallDialogService(CallHistoryItem *row, const Call &call, bool buildLayout);
};
