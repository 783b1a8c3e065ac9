#include "addmergedialog.h"

#include "accountpaths.h"
#include "callhistorydialogmanager.h"
#include "contactsheets.h"
#include "displaytext.h"
#include "mbutton.h"
#include "mlabel.h"
#include "phonenumbers.h"

#include <QGraphicsLinearLayout>

AddMergeDialog::AddMergeDialog(const QString &accountPath, const QString &remoteUid)
    : m_accountPath(accountPath), m_remoteUid(remoteUid), m_numberLabel(new MLabel)
{
    if (m_accountPath != cellularAccountPath()) {
        const QString number = phoneNumberFromAddress(m_remoteUid);
        if (!number.isEmpty()) {
            m_accountPath = cellularAccountPath();
            m_remoteUid = number;
        }
    }
    auto *central = new QGraphicsWidget;
    auto *layout = new QGraphicsLinearLayout(Qt::Vertical, central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The number first: it is what the question is about.
    m_numberLabel->setStyleName(QStringLiteral("AddMergeDialogNumber"));
    m_numberLabel->setTextFormat(Qt::PlainText);
    m_numberLabel->setTextElide(true);
    m_numberLabel->setText(
        decodeSipUri(remoteForDisplay(m_remoteUid, m_accountPath == cellularAccountPath())));
    layout->addItem(m_numberLabel);
    auto *question = new MLabel(qtTrId("qtn_call_add_contact_question"));
    question->setStyleName(QStringLiteral("CommonBodyTextInverted"));
    question->setWordWrap(true);
    layout->addItem(question);
    setCentralWidget(central);
    // The title after the central widget: MDialog places a central widget set while the
    // (hidden) dialog has a title above the title.
    setTitle(qtTrId("qtn_call_save_number"));
    connect(addButton(qtTrId("qtn_call_add_contact")), &MButton::clicked, this,
            [this]() { choose(NewContact); });
    connect(addButton(qtTrId("qtn_call_merge_contact")), &MButton::clicked, this,
            [this]() { choose(ExistingContact); });
}

void AddMergeDialog::choose(Choice choice)
{
    // One answer: a second tap before the caller has closed the dialog asks nothing more.
    if (m_chosen)
        return;
    m_chosen = true;
    Q_EMIT chosen(choice);
}

AddMergeDialog *AddMergeDialog::openFor(const QString &accountPath, const QString &remoteUid)
{
    auto *dialog = new AddMergeDialog(accountPath, remoteUid);
    // Queued, as taps are: the editor or picker opens outside the button's event, and the
    // question closes once it is answered rather than wait under the sheet.
    connect(
        dialog, &AddMergeDialog::chosen, dialog,
        [dialog](Choice choice) {
            if (choice == NewContact)
                addToContacts(dialog->accountPath(), dialog->remoteUid());
            else
                mergeWithContact(dialog->accountPath(), dialog->remoteUid());
            dialog->accept();
        },
        Qt::QueuedConnection);
    CallHistoryDialogManager::instance()->addDialog(dialog);
    dialog->appear(MSceneWindow::DestroyWhenDone);
    return dialog;
}
