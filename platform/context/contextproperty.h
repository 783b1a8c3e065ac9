#pragma once

#include <QObject>
#include <QPointer>
#include <QVariant>

namespace ContextProvider {

class Service;

// One published context property, such as "CallHistory.Inbox". It is an object of its service
// at "/ContextProperty/" + the key with dots turned into slashes ("/ContextProperty/CallHistory/
// Inbox"), with the interface "com.velto.Context.Property": properties Key (s), IsSet (b) and
// Value (v: the value, or an empty string while unset). Changes are announced with
// org.freedesktop.DBus.Properties.PropertiesChanged, so another process can both read and watch
// it. A property starts unset.
class Property : public QObject
{
    Q_OBJECT
public:
    Property(Service &service, const QString &key, QObject *parent = nullptr);
    ~Property() override;

    QString key() const { return m_key; }
    QString objectPath() const { return m_path; }
    QVariant value() const { return m_value; }
    QVariant value(const QVariant &defaultValue) const;
    bool isSet() const { return m_value.isValid(); }
    void setValue(const QVariant &value);
    void unsetValue();

    static QString pathForKey(const QString &key);

Q_SIGNALS:
    void valueChanged(const QVariant &value);

private:
    void announce();

    QPointer<Service> m_service;
    QString m_key;
    QString m_path;
    QVariant m_value;
    bool m_registered = false;
};

} // namespace ContextProvider
