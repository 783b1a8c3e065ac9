#include "callmodel.h"

namespace CommHistory {

CallModel::CallModel(QObject *parent) : EventModel(parent)
{
    setQuery(EventFilter(), true);
}

bool CallModel::setFilter(int sorting, int callType, const QDateTime &referenceTime)
{
    m_sorting = sorting == SortByTime ? SortByTime : SortByContact;
    m_callType = callType >= AllCalls && callType <= ReceivedCalls ? callType : AllCalls;
    m_referenceTime = referenceTime;
    setQuery(EventFilter(m_callType, referenceTime), m_sorting == SortByContact);
    return true;
}

bool CallModel::deleteAll()
{
    return deleteAllEvents();
}

} // namespace CommHistory
