#include "contactmanagersignals.h"

using namespace QtContacts;

ContactManagerSignals *ContactManagerSignals::of(QContactManager *manager)
{
    if (!manager)
        return nullptr;
    auto *repeater =
        manager->findChild<ContactManagerSignals *>(QString(), Qt::FindDirectChildrenOnly);
    return repeater ? repeater : new ContactManagerSignals(manager);
}

ContactManagerSignals::ContactManagerSignals(QContactManager *manager) : QObject(manager)
{
    connect(manager, &QContactManager::contactsAdded, this, &ContactManagerSignals::contactsAdded);
    connect(manager, &QContactManager::contactsChanged, this,
            &ContactManagerSignals::contactsChanged);
    connect(manager, &QContactManager::contactsRemoved, this,
            &ContactManagerSignals::contactsRemoved);
    connect(manager, &QContactManager::dataChanged, this, &ContactManagerSignals::dataChanged);
}
