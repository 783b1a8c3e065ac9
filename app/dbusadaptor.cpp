#include "dbusadaptor.h"

#include "buslimits.h"
#include "pagemanager.h"

#include <QDBusConnection>
#include <QMetaClassInfo>

DBusAdaptor::DBusAdaptor(QObject *application) : QDBusAbstractAdaptor(application)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/callhistory"), application,
                            QDBusConnection::ExportAdaptors))
        return;
    const QMetaObject *mo = metaObject();
    const QString name =
        QString::fromLatin1(mo->classInfo(mo->indexOfClassInfo("D-Bus Interface")).value());
    if (bus.registerService(name))
        setAutoRelaySignals(true);
}

void DBusAdaptor::callHistory(bool force)
{
    PageManager::instance()->showCallHistory(force, false);
    PageManager::instance()->activateWindow();
}

void DBusAdaptor::callHistory()
{
    callHistory(false);
}

void DBusAdaptor::dialer(const QString &digits)
{
    // More than any number holds: refused whole, before the page takes any of it.
    if (!BusLimits::fits(digits, BusLimits::MaxAddressLength))
        return;
    PageManager::instance()->showDialer(digits);
    PageManager::instance()->activateWindow();
}

void DBusAdaptor::dialer()
{
    dialer(QString());
}

void DBusAdaptor::contacts()
{
    PageManager::instance()->showContacts(true);
    PageManager::instance()->activateWindow();
}

void DBusAdaptor::voicemail()
{
    PageManager::instance()->showVoicemailDetailPicker();
    PageManager::instance()->activateWindow();
}
