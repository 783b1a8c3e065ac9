#ifndef ADDRESSBOOKENGINEFACTORY_H
#define ADDRESSBOOKENGINEFACTORY_H

#include <QtContacts/QContactManagerEngineFactory>

// Makes AddressBookEngine instances for QContactManager. Built into the program as a static plugin
// (imported in contactsengine.cpp); it is never loaded from a plugin folder.
//
// It always returns an engine: when the address book cannot be opened the engine answers every
// call with the error, which is also reported here (QtContacts does not cope with a factory that
// returns no engine once another one was made).
class AddressBookEngineFactory : public QtContacts::QContactManagerEngineFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QT_CONTACT_MANAGER_ENGINE_INTERFACE FILE "addressbookenginefactory.json")
public:
    QtContacts::QContactManagerEngine *engine(const QMap<QString, QString> &parameters,
                                              QtContacts::QContactManager::Error *error) override;
    QString managerName() const override;
};

#endif // ADDRESSBOOKENGINEFACTORY_H
