#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusVariant>

namespace ContextProvider {

class Property;

// The bus face of one context property (see Property).
class PropertyAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.velto.Context.Property")
    Q_PROPERTY(QString Key READ key)
    Q_PROPERTY(bool IsSet READ isSet)
    Q_PROPERTY(QDBusVariant Value READ value)
public:
    explicit PropertyAdaptor(Property *property);

    QString key() const;
    bool isSet() const;
    QDBusVariant value() const;

private:
    Property *m_property;
};

} // namespace ContextProvider
