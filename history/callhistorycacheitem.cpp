#include "callhistorycacheitem.h"

#include "callhistorycache.h"

CallHistoryCacheItem::CallHistoryCacheItem(int eventId, CallHistoryCache *cache)
    : eventId(eventId), m_cache(cache)
{
}

void CallHistoryCacheItem::onContactUpdated()
{
    if (m_cache && sender())
        m_cache->fillFromContact(this, sender());
}
