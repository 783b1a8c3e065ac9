#include "callhistorymulticontacts.h"

#include "event.h"
#include "eventmodel.h"

CallHistoryMultiContacts::CallHistoryMultiContacts(CommHistory::EventModel *model, int eventId,
                                                   const QString &fallbackName)
    : MultiContactsSheet(fallbackName), m_model(model), m_eventId(eventId),
      m_fallbackName(fallbackName)
{
    updateContacts();
    if (model) {
        connect(model, SIGNAL(dataChanged(QModelIndex, QModelIndex)), this, SLOT(updateContacts()));
        connect(model, SIGNAL(rowsRemoved(QModelIndex, int, int)), this, SLOT(updateContacts()));
        connect(model, SIGNAL(modelReset()), this, SLOT(updateContacts()));
    }
}

void CallHistoryMultiContacts::updateContacts()
{
    const QModelIndex index = m_model ? m_model->findEvent(m_eventId) : QModelIndex();
    const auto contacts = index.isValid()
                              ? index.data(Qt::UserRole).value<CommHistory::Event>().contacts()
                              : QList<CommHistory::Event::Contact>();
    m_hasContacts = contacts.size() >= 2;
    if (!m_hasContacts) {
        // Closes it when shown; the one who would show it asks hasContacts() first.
        dismiss();
        return;
    }
    beginUpdate();
    for (const auto &contact : contacts)
        addContact(contact.first, contact.second.isEmpty() ? m_fallbackName : contact.second);
    endUpdate();
}
