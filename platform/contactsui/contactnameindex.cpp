#include "contactnameindex.h"

#include "contactmanagersignals.h"

#include <QtContacts/QContactAvatar>
#include <QtContacts/QContactFetchHint>
#include <QtContacts/QContactFetchRequest>
#include <QtContacts/QContactManager>
#include <QtContacts/QContactPhoneNumber>

#include <QCoreApplication>
#include <QThreadPool>
#include <QTimer>

using namespace QtContacts;

ContactNameIndex *ContactNameIndex::of(QContactManager *manager)
{
    if (!manager)
        return nullptr;
    auto *index = manager->findChild<ContactNameIndex *>(QString(), Qt::FindDirectChildrenOnly);
    return index ? index : new ContactNameIndex(manager);
}

ContactNameIndex::ContactNameIndex(QContactManager *manager)
    : QObject(manager), m_manager(manager), m_refetch(new QTimer(this)),
      m_list(SortedContactList::build({}))
{
    // Bursts of changes (an import, a sync) are read once.
    m_refetch->setSingleShot(true);
    m_refetch->setInterval(100);
    connect(m_refetch, &QTimer::timeout, this, &ContactNameIndex::fetch);
    ContactManagerSignals *changes = ContactManagerSignals::of(manager);
    connect(changes, &ContactManagerSignals::contactsAdded, this, &ContactNameIndex::refresh);
    connect(changes, &ContactManagerSignals::contactsChanged, this, &ContactNameIndex::refresh);
    connect(changes, &ContactManagerSignals::contactsRemoved, this, &ContactNameIndex::refresh);
    connect(changes, &ContactManagerSignals::dataChanged, this, &ContactNameIndex::refresh);
    fetch();
}

void ContactNameIndex::refresh()
{
    m_refetch->start();
}

void ContactNameIndex::fetch()
{
    if (m_busy) {
        m_again = true;
        return;
    }
    auto *request = new QContactFetchRequest(this);
    request->setManager(m_manager);
    // Only what the list shows: the details a contact's shown name may come from, its picture,
    // and its numbers (the filter finds them).
    QContactFetchHint hint;
    hint.setDetailTypesHint({QContactDetail::TypeDisplayLabel, QContactDetail::TypeName,
                             QContactDetail::TypeNickname, QContactDetail::TypePhoneNumber,
                             QContactDetail::TypeOnlineAccount, QContactDetail::TypeAvatar});
    request->setFetchHint(hint);
    m_fetch = request;
    m_busy = true;
    connect(request, &QContactFetchRequest::stateChanged, this,
            &ContactNameIndex::onFetchStateChanged);
    if (!request->start()) {
        request->deleteLater();
        m_busy = false;
    }
}

void ContactNameIndex::onFetchStateChanged()
{
    if (!m_fetch || !m_fetch->isFinished())
        return;
    QContactFetchRequest *request = m_fetch;
    m_fetch.clear();
    request->deleteLater();
    if (request->error() != QContactManager::NoError) {
        publish(QSharedPointer<const SortedContactList>());
        return;
    }
    // Names, pictures and the sorting are made off the GUI thread; the contacts are shared
    // read-only with it meanwhile.
    const QList<QContact> contacts = request->contacts();
    QPointer<ContactNameIndex> self(this);
    QThreadPool::globalInstance()->start([self, contacts]() {
        QVector<SortedContactList::Entry> entries;
        entries.reserve(contacts.size());
        for (const QContact &c : contacts) {
            const QContactLocalId id = ContactsEngine::toLocalId(c.id());
            if (!id)
                continue;
            const QUrl url = c.detail<QContactAvatar>().imageUrl();
            QStringList numbers;
            for (const QContactPhoneNumber &number : c.details<QContactPhoneNumber>())
                numbers << number.number();
            entries.append({id, ContactsEngine::synthesizedContactDisplayLabel(c),
                            url.isLocalFile() ? url.toLocalFile() : QString(), numbers});
        }
        const QSharedPointer<const SortedContactList> list = SortedContactList::build(entries);
        // Back in the index's thread, unless the index is gone by then.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, list]() {
                if (self)
                    self->publish(list);
            },
            Qt::QueuedConnection);
    });
}

void ContactNameIndex::publish(const QSharedPointer<const SortedContactList> &list)
{
    m_busy = false;
    if (list) {
        m_list = list;
        m_ready = true;
        Q_EMIT updated();
    }
    if (m_again) {
        m_again = false;
        fetch();
    }
}
