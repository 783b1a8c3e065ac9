#include "eventfilter.h"

namespace CommHistory {

EventFilter::EventFilter(int callKind, const QDateTime &since)
    : m_callKind(callKind >= AnyKind && callKind <= Received ? callKind : AnyKind),
      m_hasSince(since.isValid()), m_since(since.isValid() ? since.toSecsSinceEpoch() : 0)
{
}

bool EventFilter::matches(const Event &event) const
{
    if (event.type() != Event::CallEvent)
        return false;
    if (m_callKind != AnyKind && kindOf(event) != m_callKind)
        return false;
    return !m_hasSince || event.endTimeT() >= m_since;
}

int EventFilter::kindOf(const Event &event)
{
    if (event.direction() == Event::Outbound)
        return Dialled;
    if (event.direction() == Event::Inbound && event.isMissedCall())
        return Missed;
    return Received;
}

} // namespace CommHistory
