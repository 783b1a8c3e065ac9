#include "addmergedialog.h"

#include "accountpaths.h"
#include "contactsheets.h"
#include "mbutton.h"
#include "mlabel.h"
#include "phonenumbers.h"

AddMergeDialog::AddMergeDialog(const QString &accountPath, const QString &remoteUid)
    : m_accountPath(accountPath), m_remoteUid(remoteUid)
{
    auto *question = new MLabel(qtTrId("qtn_call_add_contact_question"));
    question->setStyleName(QStringLiteral("CommonBodyTextInverted"));
    question->setWordWrap(true);
    setCentralWidget(question);
    // The title after the central widget: MDialog places a central widget set while the
    // (hidden) dialog has a title above the title.
    setTitle(qtTrId("qtn_call_save_number"));
    if (m_accountPath != cellularAccountPath()) {
        const QString number = phoneNumberFromAddress(m_remoteUid);
        if (!number.isEmpty()) {
            m_accountPath = cellularAccountPath();
            m_remoteUid = number;
        }
    }
    connect(addButton(qtTrId("qtn_call_add_contact")), SIGNAL(clicked()), this,
            SLOT(onAddContactClicked()), Qt::QueuedConnection);
    connect(addButton(qtTrId("qtn_call_merge_contact")), SIGNAL(clicked()), this,
            SLOT(onMergeContactClicked()), Qt::QueuedConnection);
}

// The question is answered once the editor or picker is open: the dialog closes rather than
// wait under the sheet for a second answer.
void AddMergeDialog::onAddContactClicked()
{
    addToContacts(m_accountPath, m_remoteUid);
    accept();
}

void AddMergeDialog::onMergeContactClicked()
{
    mergeWithContact(m_accountPath, m_remoteUid);
    accept();
}
