#include "multicontactssheet.h"

#include "contactlistwidget.h"
#include "contactsinterface.h"
#include "mbutton.h"

#include <QGraphicsLinearLayout>

MultiContactsSheet::MultiContactsSheet(const QString &title, QGraphicsItem *parent)
    : ContactsSheet(title, parent), m_list(new ContactListWidget)
{
    cancelButton()->setText(qtTrId("qtn_comm_close"));
    balanceHeader();
    bodyLayout()->addItem(m_list);
    bodyLayout()->setStretchFactor(m_list, 1);
    connect(m_list, &ContactListWidget::contactPicked, this, &MultiContactsSheet::onContactPicked);
}

void MultiContactsSheet::setContactsInterface(ContactsInterface *contacts)
{
    m_contacts = contacts;
}

void MultiContactsSheet::beginUpdate()
{
    m_pending.clear();
}

void MultiContactsSheet::addContact(unsigned int localId, const QString &name)
{
    m_pending << qMakePair(QContactLocalId(localId), name);
}

void MultiContactsSheet::endUpdate()
{
    m_list->setContacts(m_pending);
    m_pending.clear();
}

void MultiContactsSheet::onContactPicked(QContactLocalId id)
{
    if (m_contacts)
        m_contacts->openContactCardSheet(id);
    Q_EMIT contactPicked(id);
    dismiss();
}
