#include "edstestsession.h"

#include "testsupport.h"

#include <libebook/libebook.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <signal.h>

const char EdsTestSession::registryName[] = "org.gnome.evolution.dataserver.Sources5";
const char EdsTestSession::factoryName[] = "org.gnome.evolution.dataserver.AddressBook10";

namespace {

// EDS under load on a shared machine can take seconds to start a backend; a call that takes
// longer than this is cancelled and reported.
const guint callTimeoutMs = 30000;
const int batchSize = 250;
const char busNamePrefix[] = "org.gnome.evolution.dataserver.";
const char settingsServiceName[] = "ca.desrt.dconf";
// What EDS is given of its own: its home and the folders of its data, settings and caches.
const char *const folderVariables[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME",
                                       "XDG_CACHE_HOME"};

// Makes the session's context the thread's default while a call runs, so that the callbacks of
// the calls it starts are dispatched there.
class ContextScope
{
public:
    explicit ContextScope(GMainContext *context) : m_context(context)
    {
        g_main_context_push_thread_default(m_context);
    }
    ~ContextScope() { g_main_context_pop_thread_default(m_context); }

private:
    GMainContext *m_context;
};

void storeResult(GObject *, GAsyncResult *result, gpointer data)
{
    *static_cast<GAsyncResult **>(data) = G_ASYNC_RESULT(g_object_ref(result));
}

// Starts an asynchronous call and iterates context until it has finished (cancelled past the
// time-out); the caller finishes the returned result and unrefs it.
template <typename Start> GAsyncResult *awaitCall(GMainContext *context, Start start)
{
    ContextScope scope(context);
    GCancellable *cancellable = g_cancellable_new();
    GAsyncResult *result = nullptr;
    bool timedOut = false;
    GSource *timer = g_timeout_source_new(callTimeoutMs);
    g_source_set_callback(
        timer,
        [](gpointer data) -> gboolean {
            *static_cast<bool *>(data) = true;
            return G_SOURCE_REMOVE;
        },
        &timedOut, nullptr);
    g_source_attach(timer, context);
    start(cancellable, &storeResult, &result);
    while (!result) {
        if (timedOut)
            g_cancellable_cancel(cancellable);
        g_main_context_iteration(context, TRUE);
    }
    g_source_destroy(timer);
    g_source_unref(timer);
    g_object_unref(cancellable);
    return result;
}

QString takeError(GError *error)
{
    const QString message = error ? QString::fromUtf8(error->message) : QString();
    g_clear_error(&error);
    return message;
}

// Holds a GObject reference for the length of a scope.
template <typename T> struct Ref
{
    explicit Ref(T *object = nullptr) : object(object) {}
    ~Ref()
    {
        if (object)
            g_object_unref(object);
    }
    Ref(const Ref &) = delete;
    Ref &operator=(const Ref &) = delete;
    T *object;
};

QDBusConnectionInterface *bus()
{
    return QDBusConnection::sessionBus().interface();
}

} // namespace

EdsTestSession::EdsTestSession() : m_context(g_main_context_new()) {}

EdsTestSession::~EdsTestSession()
{
    stop();
    g_main_context_unref(m_context);
    if (m_privateEnvironment)
        setActivationEnvironment(m_sharedEnvironment);
}

bool EdsTestSession::setActivationEnvironment(const QMap<QString, QString> &variables)
{
    qDBusRegisterMetaType<QMap<QString, QString>>();
    QDBusMessage update = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("UpdateActivationEnvironment"));
    update << QVariant::fromValue(variables);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(update);
    return reply.type() != QDBusMessage::ErrorMessage ||
           fail(QStringLiteral("cannot set the environment of EDS"), reply.errorMessage());
}

bool EdsTestSession::usePrivateFolders()
{
    // The settings service is shared with the test: started first, it keeps the test's folders.
    if (bus()->activatableServiceNames().value().contains(QLatin1String(settingsServiceName)))
        QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
            QLatin1String(settingsServiceName), QStringLiteral("/"),
            QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")));
    QMap<QString, QString> folders;
    for (const char *name : folderVariables) {
        const QString variable = QString::fromLatin1(name);
        m_sharedEnvironment.insert(variable, qEnvironmentVariable(name));
        const QString folder = m_home.filePath(variable.toLower());
        if (!QDir().mkpath(folder))
            return fail(QStringLiteral("cannot make %1").arg(folder));
        folders.insert(variable, folder);
    }
    // Unset variables go back as empty ones, which GLib ignores as it ignores unset ones.
    if (!setActivationEnvironment(folders))
        return false;
    m_privateEnvironment = true;
    return true;
}

bool EdsTestSession::fail(const QString &what, const QString &detail)
{
    m_error = detail.isEmpty() ? what : QStringLiteral("%1: %2").arg(what, detail);
    return false;
}

bool EdsTestSession::ensureServicesFound()
{
    const auto activatable = [] {
        const QStringList names = bus()->activatableServiceNames().value();
        return names.contains(QLatin1String(registryName)) &&
               names.contains(QLatin1String(factoryName));
    };
    if (activatable())
        return true;
    // The bus reads service files from $XDG_DATA_DIRS/dbus-1/services; when those folders do not
    // hold the package's files, copies in the test's own data folder (always read) do.
    QStringList dataDirs =
        qEnvironmentVariable("XDG_DATA_DIRS").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    dataDirs << QStringLiteral("/usr/local/share") << QStringLiteral("/usr/share");
    const QString target = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           QStringLiteral("/dbus-1/services");
    QDir().mkpath(target);
    for (const char *name : {registryName, factoryName}) {
        const QString file = QString::fromLatin1(name) + QStringLiteral(".service");
        for (const QString &dir : qAsConst(dataDirs)) {
            if (QFile::copy(dir + QStringLiteral("/dbus-1/services/") + file,
                            target + QLatin1Char('/') + file))
                break;
        }
    }
    QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ReloadConfig")));
    return activatable() ||
           fail(QStringLiteral("the bus cannot start EDS (no service files for %1)")
                    .arg(QLatin1String(registryName)));
}

bool EdsTestSession::start()
{
    if (m_registry)
        return true;
    m_error.clear();
    if (!bus())
        return fail(QStringLiteral("no session bus"));
    if (!m_home.isValid())
        return fail(QStringLiteral("no private home folder"));
    if (!ensureServicesFound())
        return false;
    if (!m_privateEnvironment && !usePrivateFolders())
        return false;
    GAsyncResult *result =
        awaitCall(m_context, [](GCancellable *c, GAsyncReadyCallback cb, gpointer data) {
            e_source_registry_new(c, cb, data);
        });
    GError *error = nullptr;
    m_registry = e_source_registry_new_finish(result, &error);
    g_object_unref(result);
    if (!m_registry)
        return fail(QStringLiteral("the source registry did not start"), takeError(error));
    return client(QString()) != nullptr;
}

bool EdsTestSession::stop()
{
    {
        ContextScope scope(m_context);
        for (EBookClient *client : qAsConst(m_clients))
            g_object_unref(client);
        m_clients.clear();
        m_connectedBooks.clear();
        if (m_registry)
            g_object_unref(m_registry);
        m_registry = nullptr;
        while (g_main_context_iteration(m_context, FALSE)) {
        }
    }
    if (!bus())
        return true;
    // Every process the bus started for EDS (registry, factory and its backend subprocesses).
    QStringList names;
    for (const QString &name : bus()->registeredServiceNames().value()) {
        if (name.startsWith(QLatin1String(busNamePrefix)))
            names << name;
    }
    for (const QString &name : qAsConst(names)) {
        const uint pid = bus()->servicePid(name).value();
        if (pid > 0)
            ::kill(pid_t(pid), SIGTERM);
    }
    bool gone = true;
    for (const QString &name : qAsConst(names)) {
        if (!TestSupport::waitForBusNameGone(name, 10000))
            gone = fail(QStringLiteral("%1 did not end").arg(name));
    }
    return gone;
}

EBookClient *EdsTestSession::client(const QString &book)
{
    if (!m_registry) {
        fail(QStringLiteral("EDS is not started"));
        return nullptr;
    }
    const int known = m_connectedBooks.indexOf(book);
    if (known >= 0)
        return m_clients.at(known);
    Ref<ESource> source(book.isEmpty()
                            ? e_source_registry_ref_builtin_address_book(m_registry)
                            : e_source_registry_ref_source(m_registry, book.toUtf8().constData()));
    if (!source.object) {
        fail(QStringLiteral("no address book %1").arg(book));
        return nullptr;
    }
    ESource *s = source.object;
    // Connected without waiting for the book to go online: a local book never reports it, and
    // a connect that waits for it waits its whole time-out.
    GAsyncResult *result =
        awaitCall(m_context, [s](GCancellable *c, GAsyncReadyCallback cb, gpointer data) {
            e_book_client_connect(s, 0, c, cb, data);
        });
    GError *error = nullptr;
    EClient *connected = e_book_client_connect_finish(result, &error);
    g_object_unref(result);
    if (!connected) {
        fail(QStringLiteral("cannot open address book %1").arg(book), takeError(error));
        return nullptr;
    }
    m_connectedBooks << book;
    m_clients << E_BOOK_CLIENT(connected);
    return E_BOOK_CLIENT(connected);
}

QString EdsTestSession::addContact(const QString &vcard, const QString &book)
{
    return addContacts({vcard}, book).value(0);
}

QStringList EdsTestSession::addContacts(const QStringList &vcards, const QString &book)
{
    EBookClient *c = client(book);
    if (!c)
        return {};
    QStringList uids;
    for (int start = 0; start < vcards.size(); start += batchSize) {
        GSList *contacts = nullptr;
        for (int i = qMin(vcards.size(), start + batchSize) - 1; i >= start; --i)
            contacts = g_slist_prepend(contacts,
                                       e_contact_new_from_vcard(vcards.at(i).toUtf8().constData()));
        GAsyncResult *result = awaitCall(
            m_context, [c, contacts](GCancellable *cancel, GAsyncReadyCallback cb, gpointer data) {
                e_book_client_add_contacts(c, contacts, E_BOOK_OPERATION_FLAG_NONE, cancel, cb,
                                           data);
            });
        g_slist_free_full(contacts, g_object_unref);
        GSList *added = nullptr;
        GError *error = nullptr;
        const bool ok = e_book_client_add_contacts_finish(c, result, &added, &error);
        g_object_unref(result);
        if (!ok) {
            fail(QStringLiteral("EDS did not add the contacts"), takeError(error));
            return {};
        }
        for (GSList *l = added; l; l = l->next)
            uids << QString::fromUtf8(static_cast<const char *>(l->data));
        g_slist_free_full(added, g_free);
    }
    return uids;
}

bool EdsTestSession::modifyContact(const QString &vcard, const QString &book)
{
    EBookClient *c = client(book);
    if (!c)
        return false;
    Ref<EContact> contact(e_contact_new_from_vcard(vcard.toUtf8().constData()));
    EContact *e = contact.object;
    GAsyncResult *result =
        awaitCall(m_context, [c, e](GCancellable *cancel, GAsyncReadyCallback cb, gpointer data) {
            e_book_client_modify_contact(c, e, E_BOOK_OPERATION_FLAG_NONE, cancel, cb, data);
        });
    GError *error = nullptr;
    const bool ok = e_book_client_modify_contact_finish(c, result, &error);
    g_object_unref(result);
    return ok || fail(QStringLiteral("EDS did not change the contact"), takeError(error));
}

bool EdsTestSession::removeContact(const QString &uid, const QString &book)
{
    EBookClient *c = client(book);
    if (!c)
        return false;
    const QByteArray id = uid.toUtf8();
    GAsyncResult *result =
        awaitCall(m_context, [c, &id](GCancellable *cancel, GAsyncReadyCallback cb, gpointer data) {
            e_book_client_remove_contact_by_uid(c, id.constData(), E_BOOK_OPERATION_FLAG_NONE,
                                                cancel, cb, data);
        });
    GError *error = nullptr;
    const bool ok = e_book_client_remove_contact_by_uid_finish(c, result, &error);
    g_object_unref(result);
    return ok || fail(QStringLiteral("EDS did not remove the contact"), takeError(error));
}

QString EdsTestSession::contactVCard(const QString &uid, const QString &book)
{
    EBookClient *c = client(book);
    if (!c)
        return QString();
    const QByteArray id = uid.toUtf8();
    GAsyncResult *result =
        awaitCall(m_context, [c, &id](GCancellable *cancel, GAsyncReadyCallback cb, gpointer data) {
            e_book_client_get_contact(c, id.constData(), cancel, cb, data);
        });
    EContact *contact = nullptr;
    GError *error = nullptr;
    const bool ok = e_book_client_get_contact_finish(c, result, &contact, &error);
    g_object_unref(result);
    if (!ok) {
        fail(QStringLiteral("no contact %1").arg(uid), takeError(error));
        return QString();
    }
    gchar *text = e_vcard_to_string(E_VCARD(contact), EVC_FORMAT_VCARD_30);
    const QString vcard = QString::fromUtf8(text);
    g_free(text);
    g_object_unref(contact);
    return vcard;
}

static QStringList uidsOfQuery(GMainContext *context, EBookClient *c, const QByteArray &sexp,
                               QString *error)
{
    GAsyncResult *result =
        awaitCall(context, [c, &sexp](GCancellable *cancel, GAsyncReadyCallback cb, gpointer data) {
            e_book_client_get_contacts_uids(c, sexp.constData(), cancel, cb, data);
        });
    GSList *found = nullptr;
    GError *gerror = nullptr;
    const bool ok = e_book_client_get_contacts_uids_finish(c, result, &found, &gerror);
    g_object_unref(result);
    QStringList uids;
    if (!ok) {
        *error = takeError(gerror);
        return uids;
    }
    for (GSList *l = found; l; l = l->next)
        uids << QString::fromUtf8(static_cast<const char *>(l->data));
    g_slist_free_full(found, g_free);
    uids.sort();
    return uids;
}

QStringList EdsTestSession::contactUids(const QString &book)
{
    EBookClient *c = client(book);
    if (!c)
        return {};
    EBookQuery *query = e_book_query_any_field_contains("");
    gchar *sexp = e_book_query_to_string(query);
    e_book_query_unref(query);
    QString error;
    const QStringList uids = uidsOfQuery(m_context, c, QByteArray(sexp), &error);
    g_free(sexp);
    if (!error.isEmpty())
        fail(QStringLiteral("cannot list the contacts"), error);
    return uids;
}

QStringList EdsTestSession::uidsWithNumberEndingWith(const QString &tail, const QString &book)
{
    EBookClient *c = client(book);
    if (!c)
        return {};
    EBookQuery *query =
        e_book_query_field_test(E_CONTACT_TEL, E_BOOK_QUERY_ENDS_WITH, tail.toUtf8().constData());
    gchar *sexp = e_book_query_to_string(query);
    e_book_query_unref(query);
    QString error;
    const QStringList uids = uidsOfQuery(m_context, c, QByteArray(sexp), &error);
    g_free(sexp);
    if (!error.isEmpty())
        fail(QStringLiteral("the query failed"), error);
    return uids;
}

QString EdsTestSession::createAddressBook(const QString &displayName)
{
    if (!m_registry) {
        fail(QStringLiteral("EDS is not started"));
        return QString();
    }
    GError *error = nullptr;
    Ref<ESource> source(e_source_new(nullptr, nullptr, &error));
    if (!source.object) {
        fail(QStringLiteral("cannot make a source"), takeError(error));
        return QString();
    }
    ESource *s = source.object;
    e_source_set_display_name(s, displayName.toUtf8().constData());
    e_source_set_parent(s, "local-stub");
    e_source_backend_set_backend_name(
        E_SOURCE_BACKEND(e_source_get_extension(s, E_SOURCE_EXTENSION_ADDRESS_BOOK)), "local");
    ESourceRegistry *registry = m_registry;
    GAsyncResult *result = awaitCall(
        m_context, [registry, s](GCancellable *cancel, GAsyncReadyCallback cb, gpointer data) {
            e_source_registry_commit_source(registry, s, cancel, cb, data);
        });
    const bool ok = e_source_registry_commit_source_finish(registry, result, &error);
    g_object_unref(result);
    if (!ok) {
        fail(QStringLiteral("the registry did not take the address book"), takeError(error));
        return QString();
    }
    return QString::fromUtf8(e_source_get_uid(s));
}

bool EdsTestSession::removeAddressBook(const QString &uid)
{
    if (!m_registry)
        return fail(QStringLiteral("EDS is not started"));
    Ref<ESource> source(e_source_registry_ref_source(m_registry, uid.toUtf8().constData()));
    if (!source.object)
        return fail(QStringLiteral("no address book %1").arg(uid));
    ESource *s = source.object;
    const int known = m_connectedBooks.indexOf(uid);
    if (known >= 0) {
        g_object_unref(m_clients.takeAt(known));
        m_connectedBooks.removeAt(known);
    }
    GAsyncResult *result =
        awaitCall(m_context, [s](GCancellable *cancel, GAsyncReadyCallback cb, gpointer data) {
            e_source_remove(s, cancel, cb, data);
        });
    GError *error = nullptr;
    const bool ok = e_source_remove_finish(s, result, &error);
    g_object_unref(result);
    return ok || fail(QStringLiteral("the registry did not remove the book"), takeError(error));
}

bool EdsTestSession::setAddressBookEnabled(const QString &uid, bool enabled)
{
    if (!m_registry)
        return fail(QStringLiteral("EDS is not started"));
    Ref<ESource> source(e_source_registry_ref_source(m_registry, uid.toUtf8().constData()));
    if (!source.object)
        return fail(QStringLiteral("no address book %1").arg(uid));
    ESource *s = source.object;
    e_source_set_enabled(s, enabled);
    GAsyncResult *result =
        awaitCall(m_context, [s](GCancellable *cancel, GAsyncReadyCallback cb, gpointer data) {
            e_source_write(s, cancel, cb, data);
        });
    GError *error = nullptr;
    const bool ok = e_source_write_finish(s, result, &error);
    g_object_unref(result);
    return ok || fail(QStringLiteral("the registry did not take the change"), takeError(error));
}

bool EdsTestSession::setDefaultAddressBook(const QString &uid)
{
    if (!m_registry)
        return fail(QStringLiteral("EDS is not started"));
    Ref<ESource> source(e_source_registry_ref_source(m_registry, uid.toUtf8().constData()));
    if (!source.object)
        return fail(QStringLiteral("no address book %1").arg(uid));
    ContextScope scope(m_context);
    e_source_registry_set_default_address_book(m_registry, source.object);
    return true;
}
