#include "addressbookenginefactory.h"

#include "addressbookengine.h"
#include "contactsengine.h"

using namespace QtContacts;

QContactManagerEngine *AddressBookEngineFactory::engine(const QMap<QString, QString> &parameters,
                                                        QContactManager::Error *error)
{
    auto *engine = new ContactsEngine::AddressBookEngine(parameters);
    *error = engine->openError();
    return engine;
}

QString AddressBookEngineFactory::managerName() const
{
    return QString::fromLatin1(ContactsEngine::managerName);
}
