#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

typedef struct _ESourceRegistry ESourceRegistry;
typedef struct _ESource ESource;
typedef struct _GCancellable GCancellable;

// The enabled address books of Evolution Data Server, as libebook shows them: it follows the
// source registry, opens every enabled address book (asynchronously: a connect that waits for a
// book to go online waits its whole time-out), watches each through a view that sends the UID and
// revision of every contact added or changed and the UIDs of contacts removed, and writes to them.
//
// EDS may be missing, start late, stop or restart: the books close (bookClosed() with removed
// false) and are opened again when the registry answers again (a book that does not open in
// time is closed and tried again: EDS may leave a connect unanswered); the object tries again by
// itself,
// first within a second, then less and less often, and at once when the registry's name appears
// on the bus. A book disabled or removed in the registry closes with removed true.
//
// Limits: lives in a thread whose event loop runs its GLib main context (every QThread with Qt's
// GLib event dispatcher, the default); start() checks it. Writes and fetches report their outcome
// once, through their callback, in this object's thread; none is made after the object is gone.
class EdsAddressBooks : public QObject
{
    Q_OBJECT
public:
    // Why a write or fetch did not succeed.
    enum Failure {
        NoFailure,
        Unavailable, // EDS or the book is not there (now): try again when it is back
        NotFound,    // the contact is not in the book
        Exists,      // a contact with that UID is in the book already
        Refused      // EDS refused it (read-only or offline book, full disk, bad card, ...)
    };

    struct Card
    {
        QString uid;
        QString revision;
        QByteArray vcard;
    };

    struct Outcome
    {
        Failure failure = NoFailure;
        QString message; // EDS's words
        QList<Card> cards;
    };
    typedef std::function<void(const Outcome &)> Done;

    explicit EdsAddressBooks(QObject *parent = nullptr);
    ~EdsAddressBooks() override;

    // Starts following the registry; false (with errorString()) when this thread cannot run
    // GLib's callbacks.
    bool start();
    QString errorString() const { return m_error; }

    // Whether the registry answers.
    bool isAvailable() const { return m_registry != nullptr; }
    // The registry answers and every enabled book is open and listed.
    bool isSettled() const;
    // Books open now, by source UID, and their names.
    QStringList openBooks() const;
    QString displayName(const QString &book) const;
    // The open book that takes new contacts: the registry's default address book, else the
    // personal one, else the first open book; empty when none is open.
    QString bookForNewContacts() const;

    // Writes and fetches. add and modify answer with the card as EDS stored it.
    void addContact(const QString &book, const QByteArray &vcard, const Done &done);
    void modifyContact(const QString &book, const QByteArray &vcard, const Done &done);
    void removeContact(const QString &book, const QString &uid, const Done &done);
    void fetchContacts(const QString &book, const QStringList &uids, const Done &done);

    // How long the first retry waits after EDS went away (tests shorten it).
    void setRetryDelay(int msecs) { m_firstRetryDelay = msecs; }

Q_SIGNALS:
    // A book was opened; its contacts follow as contactsChanged(), then bookListed().
    void bookOpened(const QString &book);
    void bookListed(const QString &book);
    // Contacts listed or added (modified false), or changed: EDS's revisions have a resolution of
    // a second, so a change may keep the revision a contact had.
    void contactsChanged(const QString &book, const QStringList &uids, const QStringList &revisions,
                         bool modified);
    void contactsRemoved(const QString &book, const QStringList &uids);
    // removed: the registry no longer lists it as enabled; else EDS went away.
    void bookClosed(const QString &book, bool removed);
    void availabilityChanged(bool available);

private:
    struct Book;

    void connectRegistry();
    void registryReady(ESourceRegistry *registry, const QString &error);
    void registryLost();
    void scheduleRetry();
    void openEnabledBooks();
    void openBook(ESource *source);
    void closeBook(const QString &uid, bool removed);
    void checkSourceGone(const QString &uid);
    Book *openBook(const QString &uid) const;
    bool withBook(const QString &book, const Done &done, Book **found);

    // Called from GLib callbacks.
    friend struct EdsAddressBooksCallbacks;

    QString m_error;
    ESourceRegistry *m_registry = nullptr;
    GCancellable *m_cancellable = nullptr;
    unsigned m_nameWatch = 0;
    bool m_connecting = false;
    QHash<QString, Book *> m_books;
    QTimer m_retry;
    int m_firstRetryDelay = 1000;
    int m_retryDelay = 0;
};
