#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

typedef struct _GMainContext GMainContext;
typedef struct _ESourceRegistry ESourceRegistry;
typedef struct _EBookClient EBookClient;

// The real Evolution Data Server on the test's private session bus, driven through libebook as
// GNOME Contacts drives it: its source registry and address-book factory are started by D-Bus
// activation from the package's service files, with a HOME and XDG data, settings and cache
// folders of their own (made for each session, dropped with it), so every session starts empty.
// The settings service (dconf) is started first, with the test's folders, so that the test's
// settings stay the test's.
//
// Every call connects or waits asynchronously on a GLib context of the session's own, iterated
// only while the call runs, and gives up after a bounded time; a test thread that owns the
// program's objects keeps its Qt event loop free of GLib work. Calls return false, an empty
// string or list on failure, with errorString() saying why.
//
// Limits: one session per test process, used from one thread. Books are named by their source
// UID; an empty name means the personal (built-in) address book. stop() ends the processes the
// bus started for EDS (by process id); the destructor does it too.
class EdsTestSession
{
public:
    static const char registryName[];
    static const char factoryName[];

    EdsTestSession();
    ~EdsTestSession();
    EdsTestSession(const EdsTestSession &) = delete;
    EdsTestSession &operator=(const EdsTestSession &) = delete;

    // Makes sure the bus can start EDS, starts it and connects to the personal address book.
    bool start();
    // Ends EDS's processes and waits until their bus names are gone.
    bool stop();
    bool isRunning() const { return m_registry != nullptr; }
    QString errorString() const { return m_error; }

    // Contacts, as vCard 3.0 text. addContacts() writes in batches of a few hundred.
    QString addContact(const QString &vcard, const QString &book = QString());
    QStringList addContacts(const QStringList &vcards, const QString &book = QString());
    bool modifyContact(const QString &vcard, const QString &book = QString());
    bool removeContact(const QString &uid, const QString &book = QString());
    QString contactVCard(const QString &uid, const QString &book = QString());
    QStringList contactUids(const QString &book = QString());
    // UIDs of the contacts with a phone number whose text ends with tail (EDS's "ends with" query
    // on the telephone fields, answered from its phone index).
    QStringList uidsWithNumberEndingWith(const QString &tail, const QString &book = QString());

    // Address books: a new local one (its source UID), removed, enabled or disabled, or made the
    // registry's default book for new contacts.
    QString createAddressBook(const QString &displayName);
    bool removeAddressBook(const QString &uid);
    bool setAddressBookEnabled(const QString &uid, bool enabled);
    bool setDefaultAddressBook(const QString &uid);

private:
    bool ensureServicesFound();
    bool usePrivateFolders();
    bool setActivationEnvironment(const QMap<QString, QString> &variables);
    EBookClient *client(const QString &book);
    bool fail(const QString &what, const QString &detail = QString());

    QTemporaryDir m_home;
    GMainContext *m_context = nullptr;
    ESourceRegistry *m_registry = nullptr;
    QString m_error;
    bool m_privateEnvironment = false;
    QMap<QString, QString> m_sharedEnvironment;
    QStringList m_connectedBooks;
    QList<EBookClient *> m_clients;
};
