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

bool ContactSavingSheet::startSave(const QContact &contact,
                                   const QList<QContactDetail::DetailType> &typeMask)
{
    if (m_save)
        return false;
    auto *request = new QContactSaveRequest(this);
    request->setManager(ContactsAddressBook::manager());
    request->setContact(contact);
    request->setTypeMask(typeMask);
    m_save = request;
    connect(request, &QContactSaveRequest::stateChanged, this,
            &ContactSavingSheet::onSaveStateChanged);
    if (!request->start()) {
        m_save.clear();
        request->deleteLater();
        failSave();
        return false;
    }
    return true;
}

void ContactSavingSheet::onSaveStateChanged()
{
    if (!m_save || !m_save->isFinished())
        return;
    QContactSaveRequest *request = m_save;
    m_save.clear();
    request->deleteLater();
    const bool ok = request->error() == QContactManager::NoError && !request->contacts().isEmpty();
    if (!ok) {
        failSave();
        return;
    }
    Q_EMIT saveFinished(true);
    if (m_handle)
        m_handle->finish(true);
    dismiss();
}

void ContactSavingSheet::failSave()
{
    m_notice->setText(qtTrId("qtn_cont_not_saved"));
    m_notice->show();
    Q_EMIT saveFinished(false);
}
