#pragma once

#include "addressbookchangebus.h"
#include "addressbookdatabase.h"
#include "edsaddressbooks.h"
#include "edscontactconverter.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QScopedPointer>
#include <QSet>

// Keeps the mirror of EDS's address books (a file of our own engine's format, see
// ContactsSource::mirrorDatabasePath()) equal to them, both ways:
// - what EDS's views report (a contact added, changed or removed in any enabled book, by GNOME
//   Contacts or any other program) is written to the mirror and announced to every engine on it,
//   so the program follows within the moment the view takes;
// - what is written to the mirror through our engine, by this or any other process, is written
//   to EDS: a new contact to the book for new contacts, a change as a merge into EDS's current card
//   (only the properties that changed here are replaced), a removal as a removal.
//
// Each mirrored contact has a link (AddressBookDatabase::Link) naming its book, its UID, the
// revision last seen and its card as last written from or to EDS. A contact whose card differs
// from that base has a change of ours not yet in EDS; the link of a contact removed here stays
// until EDS has removed it too. Every step is one transaction of the mirror, so nothing is
// written twice or lost when the program stops half-way or EDS goes away: what waits is written
// when its book is open again (its listing compares every link). The link and the contact are
// written together, before EDS is asked to add it, so a contact is never added to EDS twice.
//
// When EDS disagrees: a change made here to a contact that EDS changed too keeps EDS's other
// properties; a contact removed in EDS goes from the mirror even if it had a change of ours not
// yet written, and the person is told (writeRefused()), as for a change EDS refuses. A
// write that EDS refuses (read-only or offline book, full disk, ...) is reported through
// writeRefused(); the contact keeps what the person wrote and is written again when its book is
// next opened. A refused removal brings the contact back from EDS. While EDS is away, nothing is
// reported: the mirror keeps what it has and the writes wait.
//
// Limits: one mirror per file and session (EdsContactsService holds a lock for it). Lives in the
// thread of its EdsAddressBooks. A card EDS sends that is not a person (a contact list) or cannot
// be read is left out.
class EdsMirror : public QObject, public ContactsEngine::AddressBookChangeBus::Listener
{
    Q_OBJECT
public:
    enum { FetchBatch = 100 };

    EdsMirror(EdsAddressBooks *books, const QString &mirrorFile, const QString &pictureFolder,
              QObject *parent = nullptr);
    ~EdsMirror() override;

    // Opens the mirror and starts following it; false with errorString() when it cannot be
    // opened (a damaged or foreign file is left untouched).
    bool open();
    QString errorString() const { return m_error; }
    QString file() const { return m_file; }

    // Nothing is being read or written, and every enabled book is open and listed.
    bool isIdle() const;

    // AddressBookChangeBus::Listener
    QObject *listenerObject() override { return this; }
    void externalChange(const QList<QContactLocalId> &added, const QList<QContactLocalId> &changed,
                        const QList<QContactLocalId> &removed) override;

Q_SIGNALS:
    // EDS refused to store what the person wrote to the contact named contactName.
    void writeRefused(const QString &contactName, const QString &reason);
    // The work there was is done (see isIdle()).
    void idle();

private Q_SLOTS:
    void onBusChanged(const QString &databaseFile, const QString &origin, const QList<uint> &added,
                      const QList<uint> &changed, const QList<uint> &removed);
    void onBookOpened(const QString &book);
    void onContactsChanged(const QString &book, const QStringList &uids,
                           const QStringList &revisions, bool modified);
    void onContactsRemoved(const QString &book, const QStringList &uids);
    void onBookListed(const QString &book);
    void onBookClosed(const QString &book, bool removed);

private:
    typedef ContactsEngine::AddressBookDatabase::Link Link;
    struct Job
    {
        enum Kind { Fetch, Push } kind;
        QString book;
        QStringList uids;
        QContactLocalId contactId = 0;
    };

    void enqueue(const Job &job);
    void queuePush(QContactLocalId id);
    void runNext();
    void finishJob();
    void push(QContactLocalId id);
    void pushNew(QContactLocalId id, const QtContacts::QContact &contact, const QString &book,
                 const QString &uid);
    void pushRemoval(const Link &link);
    void pushChange(const Link &link, const QByteArray &ours);
    void pushed(QContactLocalId id, const EdsAddressBooks::Card &card, const QByteArray &ours);
    void refused(const QString &name, const EdsAddressBooks::Outcome &outcome);

    // Writes EDS's cards to the mirror.
    void apply(const QString &book, const QList<EdsAddressBooks::Card> &cards);
    // Removes the contacts of these links from the mirror (EDS no longer has them).
    void drop(const QList<Link> &links);

    // Reads of the mirror; false when the contact or link is not there (or the file failed).
    bool contact(QContactLocalId id, QtContacts::QContact *contact);
    bool link(QContactLocalId id, Link *link);
    QList<Link> linksOf(const QString &book);
    QString nameOf(const QtContacts::QContact &contact) const;
    // Whether two cards this program wrote hold the same (UID and revision aside).
    static bool sameCard(const QByteArray &a, const QByteArray &b);
    bool fail();
    void announce(const QList<QContactLocalId> &added, const QList<QContactLocalId> &changed,
                  const QList<QContactLocalId> &removed);

    EdsAddressBooks *m_books;
    QString m_file;
    EdsContactConverter m_converter;
    QScopedPointer<ContactsEngine::AddressBookDatabase> m_database;
    QString m_error;
    // Books opened but not listed yet, with the UIDs their listing has shown so far.
    QHash<QString, QSet<QString>> m_listing;
    QList<Job> m_jobs;
    QSet<QContactLocalId> m_queuedPushes;
    // Contacts of ours that wait for a book to take them.
    QSet<QContactLocalId> m_waiting;
    bool m_busy = false;
    bool m_running = false;
};
