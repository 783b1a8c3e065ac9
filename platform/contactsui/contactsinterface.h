#pragma once

#include "contactsengine.h"

#include <QObject>
#include <QPointer>

class ContactCardSheet;

// The client of the address book's card service: opens a contact's card over the active window.
// The card lists the contact's numbers and addresses; a tap on one is handed on through
// callRequested(), for the application to place the call (this library places no calls).
class ContactsInterface : public QObject
{
    Q_OBJECT
public:
    // serviceName is kept for callers that name a card service; the card is shown in-process.
    explicit ContactsInterface(const QString &serviceName = QString(), QObject *parent = nullptr);

    // The card last opened, while it is shown.
    ContactCardSheet *currentCard() const;

public Q_SLOTS:
    void openContactCardSheet(QContactLocalId contactId);

Q_SIGNALS:
    void callRequested(const QString &accountPath, const QString &address,
                       QContactLocalId contactId, const QString &name);

private:
    QPointer<ContactCardSheet> m_card;
};
