#include "voicemaildialog.h"

#include "mbutton.h"
#include "mlabel.h"
#include "mtextedit.h"
#include "voicemailsave.h"
#include "voicemailstore.h"

#include <QGraphicsLinearLayout>

VoicemailDialog::VoicemailDialog(bool withCurrentNumber, Voicemail *service,
                                 NumberValidator validator, QGraphicsItem *parent)
    : MDialog(parent), m_service(service ? service : new Voicemail(this)),
      m_validator(validator ? std::move(validator)
                            : NumberValidator(&VoicemailStore::isAcceptableNumber)),
      m_numberEdit(new MTextEdit), m_messageLabel(new MLabel)
{
    auto *layout = new QGraphicsLinearLayout(Qt::Vertical);
    layout->setContentsMargins(16, 4, 16, 4);
    layout->setSpacing(0);
    m_numberEdit->setStyleName(QStringLiteral("VoicemailDialogNumberField"));
    m_numberEdit->setPrompt(qtTrId("qtn_call_voicemail_number_prompt"));
    m_numberEdit->setMaxLength(VoicemailStore::MaximumNumberLength);
    m_numberEdit->setLayoutDirection(Qt::LeftToRight);
    layout->addItem(m_numberEdit);
    m_messageLabel->setTextFormat(Qt::PlainText);
    m_messageLabel->setWordWrap(true);
    m_messageLabel->setStyleName(QStringLiteral("ZeroSizeWidget"));
    layout->addItem(m_messageLabel);
    centralWidget()->setLayout(layout);
    // The title is set once the contents are in place, so that it goes above them.
    setTitle(qtTrId("qtn_call_voicemail_dialog_title"));

    if (withCurrentNumber) {
        const QList<VoicemailNumber> current = m_service->currentNumbers();
        if (!current.isEmpty())
            m_numberEdit->setText(current.first().number());
    }

    m_saveButton = addButton(qtTrId("qtn_comm_save"));
    connect(m_saveButton, &MButton::clicked, this, &VoicemailDialog::save, Qt::QueuedConnection);
    addButton(Cancel);
    connect(m_numberEdit, &MTextEdit::returnPressed, this, &VoicemailDialog::save,
            Qt::QueuedConnection);
    connect(this, &MDialog::rejected, this, &VoicemailDialog::onRejected);
}

void VoicemailDialog::showMessage(const QString &text)
{
    m_messageLabel->setText(text);
    m_messageLabel->setStyleName(QStringLiteral("VoicemailDialogMessage"));
}

void VoicemailDialog::save()
{
    if (result() == Accepted || sceneWindowState() == Disappearing || m_saving)
        return;
    const QString number = m_numberEdit->text().trimmed();
    if (number.isEmpty() || !m_validator(number)) {
        showMessage(qtTrId("qtn_call_voicemail_number_invalid"));
        return;
    }
    if (!m_service) {
        showMessage(qtTrId("qtn_call_voicemail_number_not_saved"));
        return;
    }
    QList<VoicemailNumber> numbers{VoicemailNumber(number)};
    for (const VoicemailNumber &other : m_service->currentNumbers())
        if (other.number() != number)
            numbers.append(other);
    // The address book is written in its own thread: the dialog stays responsive meanwhile, and
    // its save button waits for the outcome.
    m_saving = m_service->startSettingVoicemailNumbers(numbers);
    setSaving(true);
    connect(m_saving, &VoicemailSave::finished, this,
            [this, number](Voicemail::VoicemailError error) { onSaved(number, error); });
    // A set that ends without an outcome (its address-book connection went) may not have stored
    // the number.
    connect(m_saving, &QObject::destroyed, this, [this]() {
        if (m_saveButton->isEnabled())
            return;
        setSaving(false);
        showMessage(qtTrId("qtn_call_voicemail_number_not_saved"));
    });
}

void VoicemailDialog::setSaving(bool saving)
{
    // The touch layer draws a disabled button as an enabled one: it is dimmed here.
    m_saveButton->setEnabled(!saving);
    m_saveButton->setOpacity(saving ? 0.5 : 1.0);
}

void VoicemailDialog::onSaved(const QString &number, Voicemail::VoicemailError error)
{
    m_saving.clear();
    setSaving(false);
    if (result() == Accepted || sceneWindowState() == Disappearing ||
        sceneWindowState() == Disappeared)
        return;
    if (error != Voicemail::NoError && error != Voicemail::AddressBookError) {
        // Nothing was stored: the user may try again or cancel.
        showMessage(qtTrId(error == Voicemail::InvalidNumberError
                               ? "qtn_call_voicemail_number_invalid"
                               : "qtn_call_voicemail_number_not_saved"));
        return;
    }
    // The number is stored (with the contact or without it, as error says); the outcome is
    // reported before the dialog goes.
    Q_EMIT preferredVoicemailNumber(number, error);
    accept();
}

void VoicemailDialog::onRejected()
{
    Q_EMIT preferredVoicemailNumber(QString(), Voicemail::NoError);
}
