#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QMap>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <functional>

namespace Cellular {

// The modems that ModemManager ("org.freedesktop.ModemManager1", 1.x D-Bus API) publishes on a
// bus, each with its interfaces and their properties, as its object manager
// ("/org/freedesktop/ModemManager1", org.freedesktop.DBus.ObjectManager) lists them and its
// InterfacesAdded, InterfacesRemoved and PropertiesChanged signals change them.
//
// Only asynchronous calls; the service is never started by a question (no auto-start). The
// owner of the name is followed: when ModemManager goes away every modem is removed (modemRemoved
// for each, then ownerChanged); when it (re)starts the modems are listed again. listed() tells
// that a listing is complete, also when there is no ModemManager at all, so that a user can
// settle what it kept from earlier.
//
// A change that ModemManager signals while a listing is on its way cannot be applied (its modem
// is not known yet), and the listing's answer may predate it: Qt may hand over a reply after
// signals that came later. So such a listing is asked for again, up to MaxRelists times, and
// listed() tells of one that nothing was signalled against.
//
// Everything from the bus is checked: only the current owner's signals count, signatures must
// be the documented ones, modem paths must lie under /org/freedesktop/ModemManager1/Modem/ and be
// at most BusLimits::MaxObjectPathLength long, and
// at most MaxModems modems and MaxInterfaces interfaces each are kept; anything else is ignored.
class ModemManagerObjects : public QObject
{
    Q_OBJECT
public:
    // Interface name to its properties.
    typedef QMap<QString, QVariantMap> Interfaces;
    enum { MaxModems = 16, MaxInterfaces = 32, MaxRelists = 4 };

    explicit ModemManagerObjects(const QDBusConnection &bus, QObject *parent = nullptr);

    static QString service();
    static QString managerPath();
    static QString modemInterface();
    static QString voiceInterface();
    static QString callInterface();
    static QString simInterface();

    QDBusConnection bus() const { return m_bus; }
    // Unique bus name of the running ModemManager; empty while there is none (or not known yet).
    QString owner() const { return m_owner; }
    // Whether the modems of the current owner (or the lack of one) are known.
    bool isListed() const { return m_listed; }
    QStringList modems() const { return m_modems.keys(); }
    Interfaces interfaces(const QString &modem) const { return m_modems.value(modem); }
    QVariant property(const QString &modem, const QString &interface, const QString &name) const;

    // Whether message comes from the current ModemManager (a signal or a reply).
    bool isFromOwner(const QDBusMessage &message) const;
    // Calls a method of the current ModemManager asynchronously (by its unique name). onReply
    // always runs, later: with the reply, or with an error when there is no ModemManager or it
    // changed owner before it answered.
    void call(const QString &path, const QString &interface, const QString &method,
              const QVariantList &arguments,
              const std::function<void(const QDBusMessage &)> &onReply);

    // Reads "ao" and "as" values as D-Bus hands them over (as they are, or marshalled).
    static QStringList objectPaths(const QVariant &value);
    static QStringList strings(const QVariant &value);

Q_SIGNALS:
    void ownerChanged(const QString &oldOwner, const QString &newOwner);
    void modemAdded(const QString &path);
    // An interface came or went, or a property changed.
    void modemChanged(const QString &path);
    void modemRemoved(const QString &path);
    void listed();

private Q_SLOTS:
    void onOwnerChanged(const QString &name, const QString &oldOwner, const QString &newOwner);
    void onInterfacesAdded(const QDBusMessage &message);
    void onInterfacesRemoved(const QDBusMessage &message);
    void onPropertiesChanged(const QDBusMessage &message);

private:
    void setOwner(const QString &owner);
    void list();
    void onManagedObjects(const QDBusMessage &reply);
    void addInterfaces(const QString &path, const Interfaces &added);
    void removeModem(const QString &path);
    static bool isModemPath(const QString &path);
    // Whether message is the current ModemManager's; one while the listing is on its way marks
    // that listing as stale.
    bool isFromListedOwner(const QDBusMessage &message);

    QDBusConnection m_bus;
    QString m_owner;
    bool m_listed = false;
    bool m_ownerKnown = false;
    // A change was signalled while the listing was on its way.
    bool m_changedWhileListing = false;
    int m_relists = 0;
    QMap<QString, Interfaces> m_modems;
    // Counts owner changes; replies carry the count of their question.
    int m_generation = 0;
};

} // namespace Cellular
