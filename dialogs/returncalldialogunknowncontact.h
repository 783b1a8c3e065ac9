#pragma once

#include "returncalldialog.h"

// The return-call dialog of a cellular call with no contact: the number as title, and call,
// add-to-contacts and message buttons.
class ReturnCallDialogUnknownContact : public ReturnCallDialog
{
    Q_OBJECT
public:
    explicit ReturnCallDialogUnknownContact(CallHistoryItem *row, const Call &call);

protected:
    void updateContent() override;
};
