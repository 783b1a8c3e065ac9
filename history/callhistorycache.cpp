#include "callhistorycache.h"

// Before mlist.h, which needs the complete type.
#include "mpannableviewport.h"

#include "callhistorycontactsmanager.h"
#include "callhistorylocale.h"
#include "callmodel.h"
#include "mapplication.h"
#include "mlist.h"
#include "modelmanager.h"

#include <QCoreApplication>
#include <QVector>

#include <algorithm>

namespace {
QPointer<CallHistoryCache> s_instance;
}

CallHistoryCache *CallHistoryCache::instance()
{
    if (!s_instance)
        s_instance = new CallHistoryCache(
            ModelManager::instance()->model(), CallHistoryLocale::instance(),
            CallHistoryContactsManager::instance(), QCoreApplication::instance());
    return s_instance;
}

bool CallHistoryCache::exists()
{
    return !s_instance.isNull();
}

CallHistoryCache::CallHistoryCache(CommHistory::EventModel *model, CallHistoryLocale *locale,
                                   CallHistoryContactsManager *contacts, QObject *parent)
    : QObject(parent), m_model(model), m_locale(locale), m_contacts(contacts)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, SIGNAL(timeout()), this, SLOT(onPopulateTimeout()));
    connect(m_model, SIGNAL(modelReady(bool)), this, SLOT(clear()));
    connect(m_model, SIGNAL(dataChanged(const QModelIndex &, const QModelIndex &)), this,
            SLOT(clear()));
    connect(m_model, SIGNAL(rowsRemoved(const QModelIndex &, int, int)), this, SLOT(clear()));
    connect(m_model, SIGNAL(eventsCommitted(const QList<CommHistory::Event> &, bool)), this,
            SLOT(clear()));
    restartFill();
}

CallHistoryCache::~CallHistoryCache()
{
    const QList<int> pending = m_pending.keys();
    for (int id : pending)
        dropPending(id);
}

int CallHistoryCache::tickInterval() const
{
    return MApplication::isPrestarted() ? PrestartedTickMs : TickMs;
}

void CallHistoryCache::startTimer()
{
    if (!m_paused && m_position >= 0)
        m_timer.start(tickInterval());
}

void CallHistoryCache::restartFill()
{
    m_position = 0;
    startTimer();
}

CommHistory::Event CallHistoryCache::eventById(int eventId) const
{
    return m_model->event(m_model->findEvent(eventId));
}

QSharedPointer<CallHistoryCacheItem> CallHistoryCache::buildItem(const CommHistory::Event &event)
{
    const QDateTime start = event.startTime();
    QString text;
    if (start.isValid())
        text = start.date() == m_locale->currentDateTime().date() ? m_locale->formatTime(start)
                                                                  : m_locale->formatDateTime(start);

    Entry &entry = m_items[event.id()];
    if (!entry.item)
        entry.item.reset(new CallHistoryCacheItem(event.id(), this));
    entry.item->text = text;
    entry.lastUse = ++m_uses;
    const QSharedPointer<CallHistoryCacheItem> item = entry.item;
    trim();
    return item;
}

void CallHistoryCache::trim()
{
    const int held = m_items.size();
    if (held <= m_maxItems + m_maxItems / 4)
        return;
    // The uses of the items that may go; those used after the n-th oldest stay.
    QVector<quint64> uses;
    uses.reserve(held);
    for (auto it = m_items.cbegin(); it != m_items.cend(); ++it) {
        if (!m_pending.contains(it.key()))
            uses.append(it->lastUse);
    }
    const int going = qMin(held - m_maxItems, uses.size());
    if (going <= 0)
        return;
    std::nth_element(uses.begin(), uses.begin() + (going - 1), uses.end());
    const quint64 newestGoing = uses.at(going - 1);
    for (auto it = m_items.begin(); it != m_items.end();) {
        if (it->lastUse <= newestGoing && !m_pending.contains(it.key()))
            it = m_items.erase(it);
        else
            ++it;
    }
    m_items.squeeze();
}

QSharedPointer<CallHistoryCacheItem> CallHistoryCache::cacheItem(int eventId)
{
    const auto found = m_items.find(eventId);
    if (found != m_items.end()) {
        found->lastUse = ++m_uses;
        return found->item;
    }
    const CommHistory::Event event = eventById(eventId);
    if (!event.isValid())
        return QSharedPointer<CallHistoryCacheItem>();
    return buildItem(event);
}

void CallHistoryCache::setContactInfo(int eventId, CallHistoryContact::NumberType numberType,
                                      CallHistoryContact::PresenceCode presence, int numberCount)
{
    const QSharedPointer<CallHistoryCacheItem> item = cacheItem(eventId);
    if (!item)
        return;
    item->numberType = numberType;
    item->presence = presence;
    item->numberCount = numberCount;
    item->contactInfoSet = true;
}

void CallHistoryCache::setMaxItems(int items)
{
    m_maxItems = qMax(items, int(BatchSize));
    trim();
}

int CallHistoryCache::fillEnd() const
{
    return qMin(m_model->rowCount(), m_maxItems);
}

void CallHistoryCache::watchList(MList *list)
{
    connect(list, SIGNAL(panningStarted()), this, SLOT(onListPanningStarted()));
    connect(list, SIGNAL(panningStopped()), this, SLOT(onListPanningStopped()));
}

void CallHistoryCache::clear(int id)
{
    if (id == -1) {
        const QList<int> pending = m_pending.keys();
        for (int eventId : pending)
            dropPending(eventId);
        m_items.clear();
    } else {
        dropPending(id);
        m_items.remove(id);
    }
    restartFill();
}

void CallHistoryCache::onListPanningStarted()
{
    m_paused = true;
    m_timer.stop();
}

void CallHistoryCache::onListPanningStopped()
{
    m_paused = false;
    startTimer();
}

void CallHistoryCache::onPopulateTimeout()
{
    m_timer.stop(); // when called directly, this is the tick
    if (m_position < 0 || m_position >= fillEnd()) {
        m_position = -1;
        return;
    }
    for (int n = 0; n < BatchSize; ++n) {
        const CommHistory::Event event = m_model->event(m_model->index(m_position, 0));
        if (!event.isValid()) {
            m_position = -1;
            break;
        }
        QSharedPointer<CallHistoryCacheItem> item = m_items.value(event.id()).item;
        if (!item)
            item = buildItem(event);

        const QList<CommHistory::Event::Contact> contacts = event.contacts();
        if (m_contacts && contacts.size() == 1 && !item->contactInfoSet &&
            !m_pending.contains(event.id())) {
            CallHistoryContact *contact = m_contacts->acquireContact(contacts.first().first);
            if (contact->isResolved()) {
                fillFromContact(item.data(), contact);
            } else {
                m_pending.insert(event.id(), item);
                m_pendingContacts.insert(event.id(), contact);
                connect(contact, SIGNAL(updated()), item.data(), SLOT(onContactUpdated()));
            }
        }

        if (++m_position >= fillEnd()) {
            m_position = -1;
            break;
        }
    }
    startTimer();
}

void CallHistoryCache::fillFromContact(CallHistoryCacheItem *item, CallHistoryContact *contact)
{
    const int eventId = item->eventId;
    const CommHistory::Event event = eventById(eventId);
    if (event.isValid())
        setContactInfo(eventId, contact->numberType(event.remoteUid()),
                       contact->presence(event.localUid()), contact->phoneNumberCount());
    releaseContact(item, contact);
    m_pendingContacts.remove(eventId);
    if (m_pending.remove(eventId) && m_pending.isEmpty())
        startTimer();
}

void CallHistoryCache::releaseContact(CallHistoryCacheItem *item, CallHistoryContact *contact)
{
    disconnect(contact, nullptr, item, nullptr);
    contact->release();
}

void CallHistoryCache::dropPending(int eventId)
{
    const QSharedPointer<CallHistoryCacheItem> item = m_pending.take(eventId);
    const QPointer<CallHistoryContact> contact = m_pendingContacts.take(eventId);
    if (item && contact)
        releaseContact(item.data(), contact);
}
