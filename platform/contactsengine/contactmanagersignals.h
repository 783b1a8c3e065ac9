#pragma once

#include <QtContacts/QContactManager>

#include <QObject>

// The change signals of one QContactManager, repeated by an object of its own that lives as long
// as the manager (its child, made on first use). Objects that come and go connect here, never to
// the manager itself: QContactManager's disconnectNotify() asks whether a signal is still
// connected, which takes Qt's signal lock of the manager, and when a receiver is destroyed Qt
// calls it with the receiver's lock held. Qt shares a small pool of such locks between all
// objects, so by chance of address both are one lock and the destructor deadlocks.
class ContactManagerSignals : public QObject
{
    Q_OBJECT
public:
    // The repeater of `manager` (never null for a manager).
    static ContactManagerSignals *of(QtContacts::QContactManager *manager);

Q_SIGNALS:
    void contactsAdded(const QList<QtContacts::QContactId> &contactIds);
    void contactsChanged(const QList<QtContacts::QContactId> &contactIds,
                         const QList<QtContacts::QContactDetail::DetailType> &typesChanged);
    void contactsRemoved(const QList<QtContacts::QContactId> &contactIds);
    void dataChanged();

private:
    explicit ContactManagerSignals(QtContacts::QContactManager *manager);
};
