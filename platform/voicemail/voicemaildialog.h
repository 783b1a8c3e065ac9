#pragma once

#include "mdialog.h"
#include "voicemail.h"

#include <QPointer>
#include <QString>

#include <functional>

class MLabel;
class MTextEdit;
class VoicemailSave;

// The voicemail service's number dialog: the user enters a voicemail number, which the dialog
// checks and stores through Voicemail::startSettingVoicemailNumbers() as the preferred number
// (the service also writes the voicemail contact, in the address book's own thread, so the
// dialog never waits for the book); the other stored numbers stay after it. While the set runs
// the save button is disabled.
//
// The dialog reports its outcome once with preferredVoicemailNumber(): the number it stored
// (with the service's result: NoError, or AddressBookError when the number is stored but the
// contact could not be written), or an empty number when the user cancels (also while a set
// runs: the set still ends as it would have). A number the check refuses, or one the service
// could not store, keeps the dialog open with a message and reports nothing.
//
// Limits: the check is the validator given (the number helpers of the program, for a dialable
// number), else the service's own rule (VoicemailStore::isAcceptableNumber).
class VoicemailDialog : public MDialog
{
    Q_OBJECT
public:
    using NumberValidator = std::function<bool(const QString &)>;

    // withCurrentNumber: the field starts with the preferred stored number, else empty. The
    // service defaults to one of the dialog's own.
    explicit VoicemailDialog(bool withCurrentNumber, Voicemail *service = nullptr,
                             NumberValidator validator = NumberValidator(),
                             QGraphicsItem *parent = nullptr);

    MTextEdit *numberEdit() const { return m_numberEdit; }
    MLabel *messageLabel() const { return m_messageLabel; }
    MButton *saveButton() const { return m_saveButton; }

public Q_SLOTS:
    // Checks and stores the entered number (the save button and Return).
    void save();

Q_SIGNALS:
    void preferredVoicemailNumber(const QString &number, Voicemail::VoicemailError error);

private Q_SLOTS:
    void onRejected();

private:
    void showMessage(const QString &text);
    void setSaving(bool saving);
    void onSaved(const QString &number, Voicemail::VoicemailError error);

    QPointer<Voicemail> m_service;
    QPointer<VoicemailSave> m_saving;
    NumberValidator m_validator;
    MTextEdit *m_numberEdit;
    MLabel *m_messageLabel;
    MButton *m_saveButton;
};
