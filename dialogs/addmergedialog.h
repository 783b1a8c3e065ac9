#pragma once

#include "mdialog.h"

class MLabel;

// Asks what to do with a number or address that belongs to no contact: save it as a new contact
// (the contact editor) or add it to an existing one (the merge picker), showing which number it
// is about. It only collects the choice: chosen() reports it once, and the caller acts on it and
// closes the dialog (openFor() does both, as every caller wants). A VoIP address that holds a
// phone number is offered as that number on the cellular account.
class AddMergeDialog : public MDialog
{
    Q_OBJECT
public:
    enum Choice { NewContact = 0, ExistingContact = 1 };
    Q_ENUM(Choice)

    AddMergeDialog(const QString &accountPath, const QString &remoteUid);

    // Registers a dialog for the address with the dialog manager and shows it; its choice opens
    // the contact editor or the merge picker, and closes it.
    static AddMergeDialog *openFor(const QString &accountPath, const QString &remoteUid);

    QString accountPath() const { return m_accountPath; }
    QString remoteUid() const { return m_remoteUid; }
    MLabel *numberLabel() const { return m_numberLabel; }

Q_SIGNALS:
    void chosen(AddMergeDialog::Choice choice);

private:
    void choose(Choice choice);

    QString m_accountPath;
    QString m_remoteUid;
    MLabel *m_numberLabel;
    bool m_chosen = false;
};
