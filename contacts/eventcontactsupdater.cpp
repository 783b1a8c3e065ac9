#include "eventcontactsupdater.h"

#include "callhistorycontactsmanager.h"
#include "contactchangerelay.h"
#include "contactsengine.h"
#include "eventmodel.h"

#include <QCoreApplication>

EventContactsUpdater *EventContactsUpdater::instance()
{
    static QPointer<EventContactsUpdater> updater;
    if (!updater)
        updater = new EventContactsUpdater(CallHistoryContactsManager::instance()->contactManager(),
                                           QCoreApplication::instance());
    return updater;
}

EventContactsUpdater::EventContactsUpdater(QtContacts::QContactManager *addressBook,
                                           QObject *parent, int debounce)
    : QObject(parent),
      m_resolver(std::make_shared<AddressBookContactResolver>(ContactsEngine::databasePath(
          addressBook ? addressBook->managerParameters() : QMap<QString, QString>())))
{
    m_debounce.setSingleShot(true);
    m_debounce.setInterval(debounce);
    connect(&m_debounce, &QTimer::timeout, this, &EventContactsUpdater::refreshModels);
    if (addressBook) {
        auto *relay = new ContactChangeRelay(addressBook, this);
        connect(relay, &ContactChangeRelay::contactsAdded, this,
                &EventContactsUpdater::onAddressBookChanged);
        connect(relay, &ContactChangeRelay::contactsChanged, this,
                &EventContactsUpdater::onAddressBookChanged);
        connect(relay, &ContactChangeRelay::contactsRemoved, this,
                &EventContactsUpdater::onAddressBookChanged);
    }
}

EventContactsUpdater::~EventContactsUpdater() = default;

void EventContactsUpdater::attach(CommHistory::EventModel *model)
{
    if (!model || m_models.contains(model))
        return;
    m_models.removeAll(nullptr);
    m_models.append(model);
    model->setContactResolver(m_resolver);
}

void EventContactsUpdater::onAddressBookChanged()
{
    m_debounce.start();
}

void EventContactsUpdater::refreshModels()
{
    m_models.removeAll(nullptr);
    for (const QPointer<CommHistory::EventModel> &model : qAsConst(m_models))
        model->refreshContacts();
}
