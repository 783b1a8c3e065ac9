#include "callhistorycacheitem.h"

#include "callhistorycache.h"

CallHistoryCacheItem::CallHistoryCacheItem(int eventId, CallHistoryCache *cache)
    : eventId(eventId), m_cache(cache)
{
}

void CallHistoryCacheItem::onContactUpdated()
{
    CallHistoryContact *contact = qobject_cast<CallHistoryContact *>(sender());
    if (m_cache && contact)
        m_cache->fillFromContact(this, contact);
}
