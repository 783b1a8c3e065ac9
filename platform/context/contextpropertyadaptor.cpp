#include "contextpropertyadaptor.h"

#include "contextproperty.h"

namespace ContextProvider {

PropertyAdaptor::PropertyAdaptor(Property *property)
    : QDBusAbstractAdaptor(property), m_property(property)
{
}

QString PropertyAdaptor::key() const
{
    return m_property->key();
}

bool PropertyAdaptor::isSet() const
{
    return m_property->isSet();
}

QDBusVariant PropertyAdaptor::value() const
{
    return QDBusVariant(m_property->isSet() ? m_property->value() : QVariant(QString()));
}

} // namespace ContextProvider
