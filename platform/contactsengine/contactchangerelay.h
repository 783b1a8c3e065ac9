#ifndef CONTACTCHANGERELAY_H
#define CONTACTCHANGERELAY_H

#include "contactsengine.h"

#include <QtContacts/QContactManager>

#include <QList>
#include <QObject>
#include <QPointer>

// Repeats a QContactManager's change signals with local ids, the form the call history works
// with: contactsChanged(QList<QContactLocalId>) and its added/removed companions. Ids of other
// managers are left out; a signal left without ids is not repeated.
//
// Limits: follows one manager, which it does not own; it goes quiet when that manager is
// destroyed. Whole-book changes (dataChanged) are not repeated.
class ContactChangeRelay : public QObject
{
    Q_OBJECT
public:
    explicit ContactChangeRelay(QtContacts::QContactManager *manager, QObject *parent = nullptr);

Q_SIGNALS:
    void contactsAdded(const QList<QContactLocalId> &contactIds);
    void contactsChanged(const QList<QContactLocalId> &contactIds);
    void contactsRemoved(const QList<QContactLocalId> &contactIds);

private:
    static QList<QContactLocalId> ownIds(const QList<QtContacts::QContactId> &ids);
};

#endif // CONTACTCHANGERELAY_H
