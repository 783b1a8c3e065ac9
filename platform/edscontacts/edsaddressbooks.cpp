#include "edsaddressbooks.h"

#include <libebook/libebook.h>

#include <QCoreApplication>
#include <QPointer>
#include <QVector>

namespace {

const char registryName[] = "org.gnome.evolution.dataserver.Sources5";
const int longestRetryDelay = 60000;
// A source that leaves the registry is taken for removed only if it is still gone this much
// later while the registry answers: when EDS stops, its sources leave before its name does.
const int removalCheckDelay = 500;
// A source the registry has just told of (added, enabled) is opened this much later.
const int sourceSettleDelay = 1000;
// A book not open and watched within this is closed and opened again later.
const int openTimeout = 15000;
// Codes of libedata-book's EBookSqliteError (E_BOOK_SQLITE_ERROR_CONSTRAINT, _CONTACT_NOT_FOUND).
const int storeConstraint = 1;
const int storeContactNotFound = 2;

QString messageOf(GError *error)
{
    if (!error)
        return QString();
    g_dbus_error_strip_remote_error(error);
    return QString::fromUtf8(error->message);
}

EdsAddressBooks::Failure failureOf(const GError *error)
{
    if (!error)
        return EdsAddressBooks::NoFailure;
    if (error->domain == E_BOOK_CLIENT_ERROR) {
        switch (error->code) {
        case E_BOOK_CLIENT_ERROR_CONTACT_NOT_FOUND:
            return EdsAddressBooks::NotFound;
        case E_BOOK_CLIENT_ERROR_CONTACT_ID_ALREADY_EXISTS:
            return EdsAddressBooks::Exists;
        case E_BOOK_CLIENT_ERROR_NO_SUCH_BOOK:
        case E_BOOK_CLIENT_ERROR_NO_SUCH_SOURCE:
            return EdsAddressBooks::Unavailable;
        default:
            return EdsAddressBooks::Refused;
        }
    }
    if (error->domain == E_CLIENT_ERROR) {
        switch (error->code) {
        case E_CLIENT_ERROR_DBUS_ERROR:
        case E_CLIENT_ERROR_NOT_OPENED:
        case E_CLIENT_ERROR_CANCELLED:
        case E_CLIENT_ERROR_SOURCE_NOT_LOADED:
            return EdsAddressBooks::Unavailable;
        default:
            return EdsAddressBooks::Refused;
        }
    }
    // The local book answers from its SQLite store, in that store's error domain.
    static const GQuark storeErrors =
        g_quark_from_static_string("e-book-backend-sqlite-error-quark");
    if (error->domain == storeErrors && error->code == storeContactNotFound)
        return EdsAddressBooks::NotFound;
    if (error->domain == storeErrors && error->code == storeConstraint)
        return EdsAddressBooks::Exists;
    if (error->domain == G_IO_ERROR || error->domain == G_DBUS_ERROR)
        return EdsAddressBooks::Unavailable;
    return EdsAddressBooks::Refused;
}

EdsAddressBooks::Outcome outcomeOf(GError *error)
{
    EdsAddressBooks::Outcome outcome;
    outcome.failure = failureOf(error);
    if (error) {
        g_dbus_error_strip_remote_error(error);
        outcome.message = QString::fromUtf8(error->message);
        g_error_free(error);
    }
    return outcome;
}

EdsAddressBooks::Card cardOf(EContact *contact)
{
    EdsAddressBooks::Card card;
    card.uid =
        QString::fromUtf8(static_cast<const char *>(e_contact_get_const(contact, E_CONTACT_UID)));
    card.revision =
        QString::fromUtf8(static_cast<const char *>(e_contact_get_const(contact, E_CONTACT_REV)));
    gchar *text = e_vcard_to_string(E_VCARD(contact), EVC_FORMAT_VCARD_30);
    card.vcard = QByteArray(text);
    g_free(text);
    return card;
}

bool isCancelled(const GError *error)
{
    return g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
}

} // namespace

struct EdsAddressBooks::Book
{
    QString uid;
    QString name;
    quint64 serial = 0;
    ESource *source = nullptr;
    EBookClient *client = nullptr;
    EBookClientView *view = nullptr;
    GCancellable *cancellable = nullptr;
    EdsAddressBooks *owner = nullptr;
    bool listed = false;
};

// One asynchronous call of a book: whose, and what to do with the outcome. The owner and the book
// (by its serial) are checked when it ends, as both may be gone by then.
struct EdsCall
{
    QPointer<EdsAddressBooks> owner;
    QString book;
    quint64 serial = 0;
    QString uid; // the contact a modification writes
    EdsAddressBooks::Done done;
};

struct EdsAddressBooksCallbacks
{
    typedef EdsAddressBooks::Book Book;

    static Book *liveBook(EdsCall *call)
    {
        if (!call->owner)
            return nullptr;
        Book *book = call->owner->m_books.value(call->book);
        return book && book->serial == call->serial ? book : nullptr;
    }

    static void registryReady(GObject *, GAsyncResult *result, gpointer data)
    {
        GError *error = nullptr;
        ESourceRegistry *registry = e_source_registry_new_finish(result, &error);
        if (isCancelled(error)) {
            g_error_free(error);
            return;
        }
        auto *self = static_cast<EdsAddressBooks *>(data);
        const QString message = messageOf(error);
        g_clear_error(&error);
        self->registryReady(registry, message);
    }

    static void nameAppeared(GDBusConnection *, const gchar *, const gchar *, gpointer data)
    {
        auto *self = static_cast<EdsAddressBooks *>(data);
        if (!self->m_registry && !self->m_connecting) {
            self->m_retry.stop();
            self->connectRegistry();
        }
    }

    static void nameVanished(GDBusConnection *, const gchar *, gpointer data)
    {
        static_cast<EdsAddressBooks *>(data)->registryLost();
    }

    static bool isAddressBook(ESource *source)
    {
        return e_source_has_extension(source, E_SOURCE_EXTENSION_ADDRESS_BOOK);
    }

    static void sourceAppeared(ESourceRegistry *registry, ESource *source, gpointer data)
    {
        auto *self = static_cast<EdsAddressBooks *>(data);
        if (registry != self->m_registry || !isAddressBook(source) ||
            !e_source_registry_check_enabled(registry, source))
            return;
        // EDS's factory learns of the source through a registry of its own: a connect made at
        // once may wait for good.
        ESource *ref = E_SOURCE(g_object_ref(source));
        QTimer::singleShot(sourceSettleDelay, self, [self, ref] {
            if (self->m_registry)
                self->openBook(ref);
            g_object_unref(ref);
        });
    }

    static void sourceLeft(ESourceRegistry *, ESource *source, gpointer data)
    {
        auto *self = static_cast<EdsAddressBooks *>(data);
        if (isAddressBook(source))
            self->checkSourceGone(QString::fromUtf8(e_source_get_uid(source)));
    }

    static void connected(GObject *, GAsyncResult *result, gpointer data)
    {
        auto *call = static_cast<EdsCall *>(data);
        GError *error = nullptr;
        EClient *client = e_book_client_connect_finish(result, &error);
        Book *book = liveBook(call);
        if (!book) {
            if (client)
                g_object_unref(client);
            g_clear_error(&error);
            delete call;
            return;
        }
        EdsAddressBooks *self = call->owner;
        if (!client) {
            self->m_error =
                QStringLiteral("cannot open address book %1: %2").arg(book->name, messageOf(error));
            g_clear_error(&error);
            delete call;
            self->closeBook(QString(book->uid), false);
            self->scheduleRetry();
            return;
        }
        book->client = E_BOOK_CLIENT(client);
        g_signal_connect(client, "backend-died", G_CALLBACK(backendDied), book);
        EBookQuery *query = e_book_query_any_field_contains("");
        gchar *sexp = e_book_query_to_string(query);
        e_book_query_unref(query);
        e_book_client_get_view(book->client, sexp, book->cancellable, viewReady, call);
        g_free(sexp);
    }

    static void viewReady(GObject *source, GAsyncResult *result, gpointer data)
    {
        auto *call = static_cast<EdsCall *>(data);
        EBookClientView *view = nullptr;
        GError *error = nullptr;
        const bool ok = e_book_client_get_view_finish(E_BOOK_CLIENT(source), result, &view, &error);
        Book *book = liveBook(call);
        delete call;
        if (!book) {
            if (view)
                g_object_unref(view);
            g_clear_error(&error);
            return;
        }
        EdsAddressBooks *self = book->owner;
        if (!ok) {
            self->m_error = QStringLiteral("cannot watch address book %1: %2")
                                .arg(book->name, messageOf(error));
            g_clear_error(&error);
            self->closeBook(QString(book->uid), false);
            self->scheduleRetry();
            return;
        }
        book->view = view;
        // The view sends what tells a change apart; the cards themselves are fetched for the
        // contacts that changed, so an unchanged book is not read whole at every start.
        GSList *fields = nullptr;
        fields = g_slist_append(fields, const_cast<char *>(e_contact_field_name(E_CONTACT_UID)));
        fields = g_slist_append(fields, const_cast<char *>(e_contact_field_name(E_CONTACT_REV)));
        e_book_client_view_set_fields_of_interest(view, fields, nullptr);
        g_slist_free(fields);
        g_signal_connect(view, "objects-added", G_CALLBACK(objectsAdded), book);
        g_signal_connect(view, "objects-modified", G_CALLBACK(objectsModified), book);
        g_signal_connect(view, "objects-removed", G_CALLBACK(objectsRemoved), book);
        g_signal_connect(view, "complete", G_CALLBACK(viewComplete), book);
        const QString uid = book->uid;
        Q_EMIT self->bookOpened(uid);
        if (!self->m_books.contains(uid))
            return;
        e_book_client_view_start(view, &error);
        if (error) {
            self->m_error = QStringLiteral("cannot watch address book %1: %2")
                                .arg(book->name, messageOf(error));
            g_clear_error(&error);
            self->closeBook(uid, false);
            self->scheduleRetry();
        }
    }

    static void objectsAdded(EBookClientView *, const GSList *contacts, gpointer data)
    {
        objectsChanged(static_cast<Book *>(data), contacts, false);
    }

    static void objectsModified(EBookClientView *, const GSList *contacts, gpointer data)
    {
        objectsChanged(static_cast<Book *>(data), contacts, true);
    }

    static void objectsChanged(Book *book, const GSList *contacts, bool modified)
    {
        QStringList uids, revisions;
        for (const GSList *l = contacts; l; l = l->next) {
            auto *contact = static_cast<EContact *>(l->data);
            const auto *uid =
                static_cast<const char *>(e_contact_get_const(contact, E_CONTACT_UID));
            if (!uid)
                continue;
            uids << QString::fromUtf8(uid);
            revisions << QString::fromUtf8(
                static_cast<const char *>(e_contact_get_const(contact, E_CONTACT_REV)));
        }
        if (!uids.isEmpty())
            Q_EMIT book->owner->contactsChanged(book->uid, uids, revisions, modified);
    }

    static void objectsRemoved(EBookClientView *, const GSList *ids, gpointer data)
    {
        auto *book = static_cast<Book *>(data);
        QStringList uids;
        for (const GSList *l = ids; l; l = l->next)
            uids << QString::fromUtf8(static_cast<const char *>(l->data));
        if (!uids.isEmpty())
            Q_EMIT book->owner->contactsRemoved(book->uid, uids);
    }

    static void viewComplete(EBookClientView *, const GError *, gpointer data)
    {
        auto *book = static_cast<Book *>(data);
        book->listed = true;
        Q_EMIT book->owner->bookListed(book->uid);
    }

    static void backendDied(EClient *, gpointer data)
    {
        auto *book = static_cast<Book *>(data);
        EdsAddressBooks *self = book->owner;
        // Closed after this signal's emission: the handler's data goes with the book.
        const QString uid = book->uid;
        QMetaObject::invokeMethod(
            self,
            [self, uid] {
                self->closeBook(uid, false);
                self->scheduleRetry();
            },
            Qt::QueuedConnection);
    }

    static void added(GObject *source, GAsyncResult *result, gpointer data)
    {
        auto *call = static_cast<EdsCall *>(data);
        gchar *uid = nullptr;
        GError *error = nullptr;
        e_book_client_add_contact_finish(E_BOOK_CLIENT(source), result, &uid, &error);
        const QString added = QString::fromUtf8(uid);
        g_free(uid);
        thenFetch(call, added, error);
    }

    static void modified(GObject *source, GAsyncResult *result, gpointer data)
    {
        auto *call = static_cast<EdsCall *>(data);
        GError *error = nullptr;
        e_book_client_modify_contact_finish(E_BOOK_CLIENT(source), result, &error);
        thenFetch(call, QString(), error);
    }

    // After a write: the card as EDS stored it.
    static void thenFetch(EdsCall *call, const QString &uid, GError *error)
    {
        if (!call->owner) {
            g_clear_error(&error);
            delete call;
            return;
        }
        if (error) {
            call->done(outcomeOf(error));
            delete call;
            return;
        }
        call->owner->fetchContacts(call->book, {uid.isEmpty() ? call->uid : uid}, call->done);
        delete call;
    }

    static void removed(GObject *source, GAsyncResult *result, gpointer data)
    {
        auto *call = static_cast<EdsCall *>(data);
        GError *error = nullptr;
        e_book_client_remove_contact_by_uid_finish(E_BOOK_CLIENT(source), result, &error);
        if (call->owner)
            call->done(outcomeOf(error));
        else
            g_clear_error(&error);
        delete call;
    }

    static void fetched(GObject *source, GAsyncResult *result, gpointer data)
    {
        auto *call = static_cast<EdsCall *>(data);
        GSList *contacts = nullptr;
        GError *error = nullptr;
        e_book_client_get_contacts_finish(E_BOOK_CLIENT(source), result, &contacts, &error);
        if (call->owner) {
            EdsAddressBooks::Outcome outcome = outcomeOf(error);
            for (GSList *l = contacts; l; l = l->next)
                outcome.cards.append(cardOf(static_cast<EContact *>(l->data)));
            call->done(outcome);
        } else {
            g_clear_error(&error);
        }
        g_slist_free_full(contacts, g_object_unref);
        delete call;
    }
};

EdsAddressBooks::EdsAddressBooks(QObject *parent)
    : QObject(parent), m_cancellable(g_cancellable_new())
{
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, [this] {
        if (m_registry)
            openEnabledBooks();
        else
            connectRegistry();
    });
}

EdsAddressBooks::~EdsAddressBooks()
{
    if (m_nameWatch)
        g_bus_unwatch_name(m_nameWatch);
    g_cancellable_cancel(m_cancellable);
    const QStringList books = m_books.keys();
    for (const QString &book : books)
        closeBook(book, false);
    if (m_registry) {
        g_signal_handlers_disconnect_by_data(m_registry, this);
        g_object_unref(m_registry);
    }
    g_object_unref(m_cancellable);
}

bool EdsAddressBooks::start()
{
    // libebook reports to the context that is the thread's default when a call starts; Qt's GLib
    // event dispatcher makes its own the default of every QThread it runs.
    if (!g_main_context_get_thread_default() &&
        thread() != QCoreApplication::instance()->thread()) {
        m_error = QStringLiteral("this thread runs no GLib main context");
        return false;
    }
    if (!m_nameWatch)
        m_nameWatch =
            g_bus_watch_name(G_BUS_TYPE_SESSION, registryName, G_BUS_NAME_WATCHER_FLAGS_NONE,
                             EdsAddressBooksCallbacks::nameAppeared,
                             EdsAddressBooksCallbacks::nameVanished, this, nullptr);
    connectRegistry();
    return true;
}

void EdsAddressBooks::connectRegistry()
{
    if (m_registry || m_connecting)
        return;
    m_connecting = true;
    e_source_registry_new(m_cancellable, EdsAddressBooksCallbacks::registryReady, this);
}

void EdsAddressBooks::registryReady(ESourceRegistry *registry, const QString &error)
{
    m_connecting = false;
    if (!registry) {
        m_error = QStringLiteral("the address books of EDS cannot be reached: %1").arg(error);
        scheduleRetry();
        return;
    }
    m_registry = registry;
    m_retryDelay = 0;
    g_signal_connect(registry, "source-added", G_CALLBACK(EdsAddressBooksCallbacks::sourceAppeared),
                     this);
    g_signal_connect(registry, "source-enabled",
                     G_CALLBACK(EdsAddressBooksCallbacks::sourceAppeared), this);
    // A source enabled again is reported as changed, not always as enabled.
    g_signal_connect(registry, "source-changed",
                     G_CALLBACK(EdsAddressBooksCallbacks::sourceAppeared), this);
    g_signal_connect(registry, "source-removed", G_CALLBACK(EdsAddressBooksCallbacks::sourceLeft),
                     this);
    g_signal_connect(registry, "source-disabled", G_CALLBACK(EdsAddressBooksCallbacks::sourceLeft),
                     this);
    openEnabledBooks();
    Q_EMIT availabilityChanged(true);
}

void EdsAddressBooks::registryLost()
{
    if (!m_registry)
        return;
    const QStringList books = m_books.keys();
    for (const QString &book : books)
        closeBook(book, false);
    g_signal_handlers_disconnect_by_data(m_registry, this);
    g_object_unref(m_registry);
    m_registry = nullptr;
    Q_EMIT availabilityChanged(false);
    scheduleRetry();
}

void EdsAddressBooks::scheduleRetry()
{
    m_retryDelay = m_retryDelay ? qMin(m_retryDelay * 2, longestRetryDelay) : m_firstRetryDelay;
    if (!m_retry.isActive())
        m_retry.start(m_retryDelay);
}

void EdsAddressBooks::openEnabledBooks()
{
    if (!m_registry)
        return;
    GList *sources = e_source_registry_list_enabled(m_registry, E_SOURCE_EXTENSION_ADDRESS_BOOK);
    for (GList *l = sources; l; l = l->next)
        openBook(static_cast<ESource *>(l->data));
    g_list_free_full(sources, g_object_unref);
}

void EdsAddressBooks::openBook(ESource *source)
{
    const QString uid = QString::fromUtf8(e_source_get_uid(source));
    if (m_books.contains(uid))
        return;
    static quint64 serials = 0;
    auto *book = new Book;
    book->uid = uid;
    book->name = QString::fromUtf8(e_source_get_display_name(source));
    book->serial = ++serials;
    book->source = E_SOURCE(g_object_ref(source));
    book->cancellable = g_cancellable_new();
    book->owner = this;
    m_books.insert(uid, book);
    const quint64 serial = book->serial;
    QTimer::singleShot(openTimeout, this, [this, uid, serial] {
        Book *opening = m_books.value(uid);
        if (!opening || opening->serial != serial || opening->view)
            return;
        m_error = QStringLiteral("address book %1 did not open in time").arg(opening->name);
        closeBook(uid, false);
        scheduleRetry();
    });
    auto *call = new EdsCall{this, uid, book->serial, QString(), Done()};
    // Not waiting for the book to go online: a local book never reports it, and a connect that
    // waits for it waits its whole time-out.
    e_book_client_connect(source, 0, book->cancellable, EdsAddressBooksCallbacks::connected, call);
}

void EdsAddressBooks::closeBook(const QString &uid, bool removed)
{
    Book *book = m_books.take(uid);
    if (!book)
        return;
    g_cancellable_cancel(book->cancellable);
    if (book->view) {
        g_signal_handlers_disconnect_by_data(book->view, book);
        e_book_client_view_stop(book->view, nullptr);
        g_object_unref(book->view);
    }
    if (book->client) {
        g_signal_handlers_disconnect_by_data(book->client, book);
        g_object_unref(book->client);
    }
    g_object_unref(book->source);
    g_object_unref(book->cancellable);
    delete book;
    Q_EMIT bookClosed(uid, removed);
}

void EdsAddressBooks::checkSourceGone(const QString &uid)
{
    QTimer::singleShot(removalCheckDelay, this, [this, uid] {
        if (!m_registry || !m_books.contains(uid))
            return;
        ESource *source = e_source_registry_ref_source(m_registry, uid.toUtf8().constData());
        const bool enabled = source && e_source_registry_check_enabled(m_registry, source);
        if (source)
            g_object_unref(source);
        if (!enabled)
            closeBook(uid, true);
    });
}

bool EdsAddressBooks::isSettled() const
{
    if (!m_registry)
        return false;
    for (Book *book : m_books) {
        if (!book->listed)
            return false;
    }
    return true;
}

QStringList EdsAddressBooks::openBooks() const
{
    QStringList books;
    for (Book *book : m_books) {
        if (book->view)
            books << book->uid;
    }
    books.sort();
    return books;
}

QString EdsAddressBooks::displayName(const QString &book) const
{
    Book *found = m_books.value(book);
    return found ? found->name : QString();
}

EdsAddressBooks::Book *EdsAddressBooks::openBook(const QString &uid) const
{
    Book *book = m_books.value(uid);
    return book && book->client ? book : nullptr;
}

QString EdsAddressBooks::bookForNewContacts() const
{
    if (!m_registry)
        return QString();
    QStringList candidates;
    for (ESource *source : {e_source_registry_ref_default_address_book(m_registry),
                            e_source_registry_ref_builtin_address_book(m_registry)}) {
        if (source) {
            candidates << QString::fromUtf8(e_source_get_uid(source));
            g_object_unref(source);
        }
    }
    candidates += openBooks();
    for (const QString &candidate : qAsConst(candidates)) {
        if (openBook(candidate))
            return candidate;
    }
    return QString();
}

bool EdsAddressBooks::withBook(const QString &uid, const Done &done, Book **found)
{
    *found = openBook(uid);
    if (*found)
        return true;
    Outcome outcome;
    outcome.failure = Unavailable;
    outcome.message = QStringLiteral("the address book is not open");
    done(outcome);
    return false;
}

void EdsAddressBooks::addContact(const QString &book, const QByteArray &vcard, const Done &done)
{
    Book *b = nullptr;
    if (!withBook(book, done, &b))
        return;
    EContact *contact = e_contact_new_from_vcard(vcard.constData());
    auto *call = new EdsCall{this, book, b->serial, QString(), done};
    e_book_client_add_contact(b->client, contact, E_BOOK_OPERATION_FLAG_NONE, b->cancellable,
                              EdsAddressBooksCallbacks::added, call);
    g_object_unref(contact);
}

void EdsAddressBooks::modifyContact(const QString &book, const QByteArray &vcard, const Done &done)
{
    Book *b = nullptr;
    if (!withBook(book, done, &b))
        return;
    EContact *contact = e_contact_new_from_vcard(vcard.constData());
    const QString uid =
        QString::fromUtf8(static_cast<const char *>(e_contact_get_const(contact, E_CONTACT_UID)));
    auto *call = new EdsCall{this, book, b->serial, uid, done};
    e_book_client_modify_contact(b->client, contact, E_BOOK_OPERATION_FLAG_NONE, b->cancellable,
                                 EdsAddressBooksCallbacks::modified, call);
    g_object_unref(contact);
}

void EdsAddressBooks::removeContact(const QString &book, const QString &uid, const Done &done)
{
    Book *b = nullptr;
    if (!withBook(book, done, &b))
        return;
    auto *call = new EdsCall{this, book, b->serial, uid, done};
    e_book_client_remove_contact_by_uid(b->client, uid.toUtf8().constData(),
                                        E_BOOK_OPERATION_FLAG_NONE, b->cancellable,
                                        EdsAddressBooksCallbacks::removed, call);
}

void EdsAddressBooks::fetchContacts(const QString &book, const QStringList &uids, const Done &done)
{
    Book *b = nullptr;
    if (!withBook(book, done, &b))
        return;
    if (uids.isEmpty()) {
        done(Outcome());
        return;
    }
    QVector<EBookQuery *> queries;
    for (const QString &uid : uids)
        queries << e_book_query_field_test(E_CONTACT_UID, E_BOOK_QUERY_IS,
                                           uid.toUtf8().constData());
    EBookQuery *query = queries.size() == 1 ? queries.first()
                                            : e_book_query_or(queries.size(), queries.data(), TRUE);
    gchar *sexp = e_book_query_to_string(query);
    e_book_query_unref(query);
    auto *call = new EdsCall{this, book, b->serial, QString(), done};
    e_book_client_get_contacts(b->client, sexp, b->cancellable, EdsAddressBooksCallbacks::fetched,
                               call);
    g_free(sexp);
}
