#pragma once

#include "mdialog.h"

// Asks what to do with a number or address that belongs to no contact: save it as a new contact
// (the contact editor) or add it to an existing one (the merge picker). It only collects the
// choice; the contacts application does the work. A VoIP address that holds a phone number is
// offered as that number on the cellular account.
class AddMergeDialog : public MDialog
{
    Q_OBJECT
public:
    AddMergeDialog(const QString &accountPath, const QString &remoteUid);

    QString accountPath() const { return m_accountPath; }
    QString remoteUid() const { return m_remoteUid; }

private Q_SLOTS:
    void onAddContactClicked();
    void onMergeContactClicked();

private:
    QString m_accountPath;
    QString m_remoteUid;
};
