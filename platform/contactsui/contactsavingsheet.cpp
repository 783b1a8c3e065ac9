#include "contactsavingsheet.h"

#include "contacteditorhandle.h"
#include "contactsaddressbook.h"
#include "mlabel.h"

#include <QtContacts/QContactSaveRequest>

using namespace QtContacts;

ContactSavingSheet::ContactSavingSheet(const QString &title, QGraphicsItem *parent)
    : ContactsSheet(title, parent), m_notice(new MLabel)
{
    m_notice->setStyleName(QStringLiteral("CommonSubTitle"));
    m_notice->setTextFormat(Qt::PlainText);
    m_notice->hide();
}

void ContactSavingSheet::setHandle(ContactEditorHandle *handle)
{
    m_handle = handle;
}

bool ContactSavingSheet::startSave(const QContact &contact)
{
    if (m_save)
        return false;
    auto *request = new QContactSaveRequest(this);
    request->setManager(ContactsAddressBook::manager());
    request->setContact(contact);
    m_save = request;
    connect(request, &QContactSaveRequest::stateChanged, this,
            &ContactSavingSheet::onSaveStateChanged);
    if (!request->start()) {
        request->deleteLater();
        showNotSaved();
        Q_EMIT saveFinished(false);
        return false;
    }
    return true;
}

void ContactSavingSheet::onSaveStateChanged()
{
    if (!m_save || !m_save->isFinished())
        return;
    const bool ok = m_save->error() == QContactManager::NoError && !m_save->contacts().isEmpty();
    m_save->deleteLater();
    Q_EMIT saveFinished(ok);
    if (!ok) {
        showNotSaved();
        return;
    }
    if (m_handle)
        m_handle->finish(true);
    dismiss();
}

void ContactSavingSheet::showNotSaved()
{
    m_notice->setText(qtTrId("qtn_cont_not_saved"));
    m_notice->show();
}
