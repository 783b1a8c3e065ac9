#include "contactsinterface.h"

#include "contactcardsheet.h"

ContactsInterface::ContactsInterface(const QString &, QObject *parent) : QObject(parent) {}

ContactCardSheet *ContactsInterface::currentCard() const
{
    return m_card;
}

void ContactsInterface::openContactCardSheet(QContactLocalId contactId)
{
    if (m_card)
        m_card->dismiss();
    auto *card = new ContactCardSheet(contactId);
    connect(card, &ContactCardSheet::addressActivated, this, &ContactsInterface::callRequested);
    m_card = card;
    card->appear(MSceneWindow::DestroyWhenDone);
    if (!card->sceneManager())
        delete card;
}
