#include "edsmirror.h"

#include "contactsengine.h"

#include <QtContacts/QContactGuid>

#include <QFileInfo>
#include <QPointer>
#include <QUuid>

using namespace QtContacts;
using ContactsEngine::AddressBookChangeBus;
using ContactsEngine::AddressBookDatabase;

EdsMirror::EdsMirror(EdsAddressBooks *books, const QString &mirrorFile,
                     const QString &pictureFolder, QObject *parent)
    : QObject(parent), m_books(books), m_file(mirrorFile), m_converter(pictureFolder)
{
    connect(books, &EdsAddressBooks::bookOpened, this, &EdsMirror::onBookOpened);
    connect(books, &EdsAddressBooks::contactsChanged, this, &EdsMirror::onContactsChanged);
    connect(books, &EdsAddressBooks::contactsRemoved, this, &EdsMirror::onContactsRemoved);
    connect(books, &EdsAddressBooks::bookListed, this, &EdsMirror::onBookListed);
    connect(books, &EdsAddressBooks::bookClosed, this, &EdsMirror::onBookClosed);
    connect(books, &EdsAddressBooks::availabilityChanged, this, [this] {
        if (isIdle())
            Q_EMIT idle();
    });
}

EdsMirror::~EdsMirror()
{
    if (m_database)
        AddressBookChangeBus::unsubscribe(this);
}

bool EdsMirror::open()
{
    QScopedPointer<AddressBookDatabase> database(new AddressBookDatabase(m_file));
    if (!database->open(AddressBookDatabase::ReadWrite)) {
        m_error = database->errorString();
        return false;
    }
    m_database.swap(database);
    // Engines announce changes under the file's canonical name.
    const QString canonical = QFileInfo(m_file).canonicalFilePath();
    if (!canonical.isEmpty())
        m_file = canonical;
    AddressBookChangeBus::subscribe(this, m_file);
    return true;
}

bool EdsMirror::isIdle() const
{
    return !m_busy && m_jobs.isEmpty() && m_books->isSettled();
}

bool EdsMirror::fail()
{
    m_error = m_database->errorString();
    if (m_database->inTransaction())
        m_database->rollbackTransaction();
    return false;
}

void EdsMirror::announce(const QList<QContactLocalId> &added, const QList<QContactLocalId> &changed,
                         const QList<QContactLocalId> &removed)
{
    AddressBookChangeBus::publish(this, m_file, added, changed, removed);
}

bool EdsMirror::contact(QContactLocalId id, QContact *contact)
{
    QList<QContact> found;
    if (!m_database->contacts({id}, &found))
        return fail();
    if (found.isEmpty())
        return false;
    *contact = found.first();
    return true;
}

bool EdsMirror::link(QContactLocalId id, Link *link)
{
    bool found = false;
    if (!m_database->link(id, link, &found))
        return fail();
    return found;
}

QList<EdsMirror::Link> EdsMirror::linksOf(const QString &book)
{
    QList<Link> all, result;
    if (!m_database->links(&all)) {
        fail();
        return result;
    }
    for (const Link &link : qAsConst(all)) {
        if (link.book == book)
            result.append(link);
    }
    return result;
}

bool EdsMirror::sameCard(const QByteArray &a, const QByteArray &b)
{
    return a == b || EdsContactConverter::changedProperties(a, b).isEmpty();
}

QString EdsMirror::nameOf(const QContact &contact) const
{
    return ContactsEngine::synthesizedContactDisplayLabel(contact);
}

// --- what EDS reports ---

void EdsMirror::onBookOpened(const QString &book)
{
    m_listing.insert(book, QSet<QString>());
}

void EdsMirror::onContactsChanged(const QString &book, const QStringList &uids,
                                  const QStringList &revisions, bool modified)
{
    auto listing = m_listing.find(book);
    QStringList changed;
    for (int i = 0; i < uids.size(); ++i) {
        if (listing != m_listing.end())
            listing->insert(uids.at(i));
        Link known;
        bool found = false;
        if (!m_database->link(book, uids.at(i), &known, &found)) {
            fail();
            return;
        }
        // A listed contact whose revision is the one written here has not changed since.
        if (modified || !found || known.revision != revisions.value(i))
            changed << uids.at(i);
    }
    for (int start = 0; start < changed.size(); start += FetchBatch)
        enqueue({Job::Fetch, book, changed.mid(start, FetchBatch), 0});
}

void EdsMirror::onContactsRemoved(const QString &book, const QStringList &uids)
{
    QList<Link> gone;
    for (const QString &uid : uids) {
        Link known;
        bool found = false;
        if (!m_database->link(book, uid, &known, &found)) {
            fail();
            return;
        }
        if (found)
            gone << known;
        if (m_listing.contains(book))
            m_listing[book].remove(uid);
    }
    drop(gone);
}

void EdsMirror::onBookListed(const QString &book)
{
    if (!m_listing.contains(book))
        return;
    const QSet<QString> seen = m_listing.take(book);
    // What this book no longer has was removed while no one watched; what differs from its base,
    // or was never confirmed, waits to be written.
    QList<Link> gone;
    for (const Link &link : linksOf(book)) {
        if (!seen.contains(link.uid) && !link.revision.isEmpty())
            gone << link;
        else
            queuePush(link.contactId);
    }
    drop(gone);
    if (book == m_books->bookForNewContacts()) {
        QList<QContactLocalId> ids;
        QList<Link> links;
        if (!m_database->contactIds(&ids) || !m_database->links(&links)) {
            fail();
            return;
        }
        QSet<QContactLocalId> linked;
        for (const Link &link : qAsConst(links))
            linked.insert(link.contactId);
        for (QContactLocalId id : qAsConst(ids)) {
            if (!linked.contains(id))
                queuePush(id);
        }
    }
    const QSet<QContactLocalId> waiting = m_waiting;
    m_waiting.clear();
    for (QContactLocalId id : waiting)
        queuePush(id);
    if (isIdle())
        Q_EMIT idle();
}

void EdsMirror::onBookClosed(const QString &book, bool removed)
{
    m_listing.remove(book);
    // A book that EDS merely stopped serving keeps its contacts until it is back.
    if (removed)
        drop(linksOf(book));
}

void EdsMirror::drop(const QList<Link> &links)
{
    if (links.isEmpty())
        return;
    if (!m_database->beginTransaction()) {
        fail();
        return;
    }
    QList<QContactLocalId> ids, removed;
    QStringList lostChanges;
    for (const Link &link : links) {
        ids << link.contactId;
        // A change of ours that EDS never got goes with the contact: the person is told.
        QContact current;
        if (contact(link.contactId, &current) &&
            !sameCard(EdsContactConverter::toVCard(current), link.base))
            lostChanges << nameOf(current);
    }
    QMap<int, QContactManager::Error> errors; // contacts removed here already
    if (!m_database->remove(ids, &removed, &errors)) {
        fail();
        return;
    }
    for (QContactLocalId id : qAsConst(ids)) {
        if (!m_database->removeLink(id)) {
            fail();
            return;
        }
    }
    if (!m_database->commitTransaction()) {
        fail();
        return;
    }
    announce({}, {}, removed);
    EdsAddressBooks::Outcome gone;
    gone.failure = EdsAddressBooks::NotFound;
    gone.message = QStringLiteral("the contact was removed from the address book");
    for (const QString &name : qAsConst(lostChanges))
        refused(name, gone);
}

void EdsMirror::apply(const QString &book, const QList<EdsAddressBooks::Card> &cards)
{
    if (cards.isEmpty())
        return;
    if (!m_database->beginTransaction()) {
        fail();
        return;
    }
    QList<QContactLocalId> added, changed;
    QList<QContactLocalId> ourChanges;
    for (const EdsAddressBooks::Card &card : cards) {
        Link link;
        bool linked = false;
        if (!m_database->link(book, card.uid, &link, &linked)) {
            fail();
            return;
        }
        QContact incoming;
        QString unreadable;
        if (!m_converter.toContact(card.vcard, &incoming, &unreadable))
            continue;
        if (linked) {
            QContact existing;
            bool exists = false;
            {
                QList<QContact> found;
                if (!m_database->contacts({link.contactId}, &found)) {
                    fail();
                    return;
                }
                exists = !found.isEmpty();
                if (exists)
                    existing = found.first();
            }
            if (!exists)
                continue; // removed here; the removal is on its way to EDS
            if (!sameCard(EdsContactConverter::toVCard(existing), link.base)) {
                ourChanges << link.contactId; // merged into EDS's card, then read back
                continue;
            }
            if (sameCard(EdsContactConverter::toVCard(incoming), link.base)) {
                // Nothing new (our own write coming back, or a card rewritten alike).
                if (link.revision != card.revision) {
                    link.revision = card.revision;
                    if (!m_database->setLink(link)) {
                        fail();
                        return;
                    }
                }
                continue;
            }
            incoming.setId(existing.id());
        }
        QList<QContact> saving{incoming};
        QList<QContactLocalId> newIds, changedIds;
        QMap<int, QContactManager::Error> errors;
        if (!m_database->save(&saving, &newIds, &changedIds, &errors)) {
            fail();
            return;
        }
        if (!errors.isEmpty())
            continue;
        const QContactLocalId id = ContactsEngine::toLocalId(saving.first().id());
        QContact stored;
        if (!contact(id, &stored))
            return;
        link.contactId = id;
        link.book = book;
        link.uid = card.uid;
        link.revision = card.revision;
        link.base = EdsContactConverter::toVCard(stored);
        if (!m_database->setLink(link)) {
            fail();
            return;
        }
        added += newIds;
        changed += changedIds;
    }
    if (!m_database->commitTransaction()) {
        fail();
        return;
    }
    announce(added, changed, {});
    for (QContactLocalId id : qAsConst(ourChanges))
        queuePush(id);
}

// --- what is written here ---

void EdsMirror::onBusChanged(const QString &databaseFile, const QString &origin,
                             const QList<uint> &added, const QList<uint> &changed,
                             const QList<uint> &removed)
{
    AddressBookChangeBus::deliverFromBus(this, databaseFile, origin, added, changed, removed);
}

void EdsMirror::externalChange(const QList<QContactLocalId> &added,
                               const QList<QContactLocalId> &changed,
                               const QList<QContactLocalId> &removed)
{
    for (const QList<QContactLocalId> *ids : {&added, &changed, &removed}) {
        for (QContactLocalId id : *ids)
            queuePush(id);
    }
}

void EdsMirror::queuePush(QContactLocalId id)
{
    if (id == 0 || m_queuedPushes.contains(id))
        return;
    m_queuedPushes.insert(id);
    enqueue({Job::Push, QString(), {}, id});
}

void EdsMirror::enqueue(const Job &job)
{
    m_jobs.append(job);
    if (!m_busy)
        runNext();
}

void EdsMirror::finishJob()
{
    m_busy = false;
    // A job may end before the call that ran it returns: the loop of runNext() goes on then.
    if (!m_running)
        runNext();
}

void EdsMirror::runNext()
{
    if (m_running)
        return;
    m_running = true;
    while (!m_busy && !m_jobs.isEmpty()) {
        const Job job = m_jobs.takeFirst();
        m_busy = true;
        if (job.kind == Job::Push) {
            m_queuedPushes.remove(job.contactId);
            push(job.contactId);
        } else {
            const QString book = job.book;
            QPointer<EdsMirror> self(this);
            m_books->fetchContacts(book, job.uids,
                                   [self, book](const EdsAddressBooks::Outcome &outcome) {
                                       if (!self)
                                           return;
                                       // A book that went away is listed again when it is back.
                                       if (outcome.failure == EdsAddressBooks::NoFailure)
                                           self->apply(book, outcome.cards);
                                       self->finishJob();
                                   });
        }
    }
    m_running = false;
    if (!m_busy && isIdle())
        Q_EMIT idle();
}

void EdsMirror::push(QContactLocalId id)
{
    QContact current;
    Link known;
    const bool exists = contact(id, &current);
    const bool linked = link(id, &known);
    if (linked && !exists) {
        pushRemoval(known);
    } else if (exists && (!linked || known.revision.isEmpty())) {
        const QString book = linked ? known.book : m_books->bookForNewContacts();
        if (book.isEmpty() || m_listing.contains(book)) {
            m_waiting.insert(id); // written when a book is listed
            finishJob();
            return;
        }
        QString uid = linked ? known.uid : current.detail<QContactGuid>().guid();
        Link holder;
        bool taken = false;
        if (!uid.isEmpty() && !m_database->link(book, uid, &holder, &taken)) {
            fail();
            finishJob();
            return;
        }
        if (uid.isEmpty() || (taken && holder.contactId != id))
            uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
        pushNew(id, current, book, uid);
    } else if (linked) {
        const QByteArray ours = EdsContactConverter::toVCard(current);
        if (sameCard(ours, known.base)) {
            finishJob();
            return;
        }
        pushChange(known, ours);
    } else {
        finishJob();
    }
}

void EdsMirror::pushNew(QContactLocalId id, const QContact &contact, const QString &book,
                        const QString &uid)
{
    const QByteArray ours = EdsContactConverter::toVCard(contact, uid);
    // The link first: if the program stops before EDS answers, the next listing finds the
    // contact under its UID instead of adding it again.
    Link link;
    link.contactId = id;
    link.book = book;
    link.uid = uid;
    link.base = ours;
    if (!m_database->setLink(link)) {
        fail();
        finishJob();
        return;
    }
    const QString name = nameOf(contact);
    QPointer<EdsMirror> self(this);
    m_books->addContact(
        book, ours, [self, id, book, uid, ours, name](const EdsAddressBooks::Outcome &outcome) {
            if (!self)
                return;
            switch (outcome.failure) {
            case EdsAddressBooks::NoFailure:
                if (!outcome.cards.isEmpty())
                    self->pushed(id, outcome.cards.first(), ours);
                break;
            case EdsAddressBooks::Exists:
                // Ours from an add whose answer was lost, or another contact under that UID: ours
                // is merged into it as a change.
                self->m_books->fetchContacts(
                    book, {uid}, [self, id, book, ours](const EdsAddressBooks::Outcome &found) {
                        if (!self)
                            return;
                        if (found.failure == EdsAddressBooks::NoFailure && !found.cards.isEmpty()) {
                            Link link;
                            if (self->link(id, &link)) {
                                const EdsAddressBooks::Card &card = found.cards.first();
                                QContact theirs;
                                QString error;
                                link.revision = card.revision;
                                link.base = self->m_converter.toContact(card.vcard, &theirs, &error)
                                                ? EdsContactConverter::toVCard(theirs)
                                                : QByteArray();
                                if (self->m_database->setLink(link))
                                    self->queuePush(id);
                            }
                        }
                        self->finishJob();
                    });
                return;
            case EdsAddressBooks::Unavailable:
                self->m_waiting.insert(id);
                break;
            case EdsAddressBooks::NotFound:
            case EdsAddressBooks::Refused:
                // Kept here as written, without a link: written again at the next listing.
                self->m_database->removeLink(id);
                self->refused(name, outcome);
                break;
            }
            self->finishJob();
        });
}

void EdsMirror::pushRemoval(const Link &link)
{
    QPointer<EdsMirror> self(this);
    m_books->removeContact(link.book, link.uid,
                           [self, link](const EdsAddressBooks::Outcome &outcome) {
                               if (!self)
                                   return;
                               if (outcome.failure == EdsAddressBooks::NoFailure ||
                                   outcome.failure == EdsAddressBooks::NotFound) {
                                   if (!self->m_database->removeLink(link.contactId))
                                       self->fail();
                               } else if (outcome.failure == EdsAddressBooks::Refused) {
                                   QContact removed;
                                   QString error;
                                   self->m_converter.toContact(link.base, &removed, &error);
                                   self->refused(self->nameOf(removed), outcome);
                                   // EDS still has it: it comes back, under a new id, when its card
                                   // is read again.
                                   if (self->m_database->removeLink(link.contactId))
                                       self->enqueue({Job::Fetch, link.book, {link.uid}, 0});
                               }
                               self->finishJob();
                           });
}

void EdsMirror::pushChange(const Link &link, const QByteArray &ours)
{
    QPointer<EdsMirror> self(this);
    const QContactLocalId id = link.contactId;
    m_books->fetchContacts(
        link.book, {link.uid}, [self, link, ours, id](const EdsAddressBooks::Outcome &found) {
            if (!self)
                return;
            QContact mine;
            QString error;
            self->m_converter.toContact(ours, &mine, &error);
            const QString name = self->nameOf(mine);
            if (found.failure == EdsAddressBooks::Unavailable) {
                self->finishJob(); // written at the next listing
                return;
            }
            if (found.failure != EdsAddressBooks::NoFailure || found.cards.isEmpty()) {
                EdsAddressBooks::Outcome gone = found;
                if (gone.message.isEmpty())
                    gone.message = QStringLiteral("the contact was removed from the address book");
                gone.failure = EdsAddressBooks::NotFound;
                self->refused(name, gone);
                self->finishJob();
                return;
            }
            const QByteArray merged =
                EdsContactConverter::merge(found.cards.first().vcard, link.base, ours);
            self->m_books->modifyContact(
                link.book, merged, [self, id, ours, name](const EdsAddressBooks::Outcome &outcome) {
                    if (!self)
                        return;
                    if (outcome.failure == EdsAddressBooks::NoFailure && !outcome.cards.isEmpty())
                        self->pushed(id, outcome.cards.first(), ours);
                    else if (outcome.failure != EdsAddressBooks::Unavailable)
                        self->refused(name, outcome);
                    self->finishJob();
                });
        });
}

void EdsMirror::pushed(QContactLocalId id, const EdsAddressBooks::Card &card,
                       const QByteArray &ours)
{
    // What was written is the new base; EDS's card then replaces the contact unless the person
    // changed it again meanwhile (that change goes out next).
    Link link;
    if (!this->link(id, &link))
        return;
    link.base = ours;
    link.uid = card.uid;
    if (!m_database->setLink(link)) {
        fail();
        return;
    }
    apply(link.book, {card});
}

void EdsMirror::refused(const QString &name, const EdsAddressBooks::Outcome &outcome)
{
    Q_EMIT writeRefused(name, outcome.message);
}
