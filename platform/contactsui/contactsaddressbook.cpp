#include "contactsaddressbook.h"

#include "contactsengine.h"

#include <QCoreApplication>
#include <QPointer>

using namespace QtContacts;

namespace {
QPointer<QContactManager> s_default;
QPointer<QContactManager> s_override;
} // namespace

QContactManager *ContactsAddressBook::manager()
{
    if (s_override)
        return s_override;
    if (!s_default)
        s_default = new QContactManager(ContactsEngine::ensureRegistered(),
                                        QMap<QString, QString>(), QCoreApplication::instance());
    return s_default;
}

void ContactsAddressBook::setManager(QContactManager *manager)
{
    s_override = manager;
}
