#include "contactchangerelay.h"

using namespace QtContacts;

ContactChangeRelay::ContactChangeRelay(QContactManager *manager, QObject *parent) : QObject(parent)
{
    ContactsEngine::ensureRegistered();
    if (!manager)
        return;
    connect(manager, &QContactManager::contactsAdded, this, [this](const QList<QContactId> &ids) {
        const QList<QContactLocalId> local = ownIds(ids);
        if (!local.isEmpty())
            Q_EMIT contactsAdded(local);
    });
    connect(manager, &QContactManager::contactsChanged, this,
            [this](const QList<QContactId> &ids, const QList<QContactDetail::DetailType> &) {
                const QList<QContactLocalId> local = ownIds(ids);
                if (!local.isEmpty())
                    Q_EMIT contactsChanged(local);
            });
    connect(manager, &QContactManager::contactsRemoved, this, [this](const QList<QContactId> &ids) {
        const QList<QContactLocalId> local = ownIds(ids);
        if (!local.isEmpty())
            Q_EMIT contactsRemoved(local);
    });
}

QList<QContactLocalId> ContactChangeRelay::ownIds(const QList<QContactId> &ids)
{
    QList<QContactLocalId> local;
    for (const QContactId &id : ids) {
        const QContactLocalId localId = ContactsEngine::toLocalId(id);
        if (localId != 0)
            local.append(localId);
    }
    return local;
}
