#pragma once

#include "returncalldialog.h"

// The return-call dialog of a cellular call from or to one address-book contact: the contact's
// picture, name, the number (with its kind when the contact has several numbers) and status
// message; call and message buttons.
class ReturnCallDialogKnownContact : public ReturnCallDialog
{
    Q_OBJECT
public:
    explicit ReturnCallDialogKnownContact(CallHistoryItem *row, const Call &call);

protected:
    void updateContent() override;
};
