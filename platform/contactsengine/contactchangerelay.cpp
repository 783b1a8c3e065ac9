#include "contactchangerelay.h"

#include "contactmanagersignals.h"

using namespace QtContacts;

ContactChangeRelay::ContactChangeRelay(QContactManager *manager, QObject *parent) : QObject(parent)
{
    ContactsEngine::ensureRegistered();
    if (!manager)
        return;
    ContactManagerSignals *changes = ContactManagerSignals::of(manager);
    connect(changes, &ContactManagerSignals::contactsAdded, this,
            [this](const QList<QContactId> &ids) {
                const QList<QContactLocalId> local = ownIds(ids);
                if (!local.isEmpty())
                    Q_EMIT contactsAdded(local);
            });
    connect(changes, &ContactManagerSignals::contactsChanged, this,
            [this](const QList<QContactId> &ids, const QList<QContactDetail::DetailType> &) {
                const QList<QContactLocalId> local = ownIds(ids);
                if (!local.isEmpty())
                    Q_EMIT contactsChanged(local);
            });
    connect(changes, &ContactManagerSignals::contactsRemoved, this,
            [this](const QList<QContactId> &ids) {
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
