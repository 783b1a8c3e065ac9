#include "contactsheets.h"

#include "contactforaddress.h"
#include "pagemanager.h"

void openContactCard(QContactLocalId localContactId)
{
    PageManager::instance()->openContactCard(localContactId);
}

void addToContacts(const QString &accountPath, const QString &address)
{
    PageManager::instance()->editContact(contactForAddress(address, accountPath));
}

void mergeWithContact(const QString &accountPath, const QString &address)
{
    PageManager::instance()->mergeContact(contactForAddress(address, accountPath));
}
