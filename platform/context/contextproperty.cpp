#include "contextproperty.h"

#include "contextpropertyadaptor.h"
#include "contextservice.h"

#include <QDBusMessage>

namespace ContextProvider {

Property::Property(Service &service, const QString &key, QObject *parent)
    : QObject(parent), m_service(&service), m_key(key), m_path(pathForKey(key))
{
    new PropertyAdaptor(this);
    QDBusConnection bus = service.connection();
    if (bus.isConnected())
        m_registered = bus.registerObject(m_path, this, QDBusConnection::ExportAdaptors);
}

Property::~Property()
{
    if (m_registered && m_service)
        m_service->connection().unregisterObject(m_path);
}

QString Property::pathForKey(const QString &key)
{
    QString path = QStringLiteral("/ContextProperty");
    const QStringList parts = key.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        QString clean;
        for (const QChar c : part)
            clean += (c.isLetterOrNumber() && c.unicode() < 128) || c == QLatin1Char('_')
                         ? c
                         : QLatin1Char('_');
        path += QLatin1Char('/') + clean;
    }
    return path;
}

QVariant Property::value(const QVariant &defaultValue) const
{
    return isSet() ? m_value : defaultValue;
}

void Property::setValue(const QVariant &value)
{
    if (!value.isValid()) {
        unsetValue();
        return;
    }
    if (isSet() && m_value == value && m_value.userType() == value.userType())
        return;
    m_value = value;
    announce();
}

void Property::unsetValue()
{
    if (!isSet())
        return;
    m_value = QVariant();
    announce();
}

void Property::announce()
{
    Q_EMIT valueChanged(m_value);
    if (!m_registered || !m_service)
        return;
    QVariantMap changed;
    changed.insert(QStringLiteral("IsSet"), isSet());
    changed.insert(QStringLiteral("Value"), isSet() ? m_value : QVariant(QString()));
    QDBusMessage signal =
        QDBusMessage::createSignal(m_path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << QStringLiteral("com.velto.Context.Property") << changed << QStringList();
    m_service->connection().send(signal);
}

} // namespace ContextProvider
