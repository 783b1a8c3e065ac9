#include "contactfiltercache.h"

namespace {
int rowCount(const QVector<SortedContactList::Group> &groups)
{
    int rows = 0;
    for (const SortedContactList::Group &g : groups)
        rows += g.rows.size();
    return rows;
}
} // namespace

ContactFilterCache::ContactFilterCache(int capacity) : m_capacity(qMax(1, capacity)) {}

QVector<SortedContactList::Group>
ContactFilterCache::filtered(const QSharedPointer<const SortedContactList> &list,
                             const QString &text)
{
    if (!list)
        return {};
    const QString needle = text.trimmed();
    if (needle.isEmpty())
        return list->groups();
    if (list != m_list) {
        m_list = list;
        m_results.clear();
    }
    // The text itself, else the narrowest result of a text it contains: a name that contains
    // the text contains that one too.
    int narrowest = -1;
    for (int i = 0; i < m_results.size(); ++i) {
        const Result &r = m_results.at(i);
        if (r.text == needle) {
            m_results.prepend(m_results.takeAt(i));
            return m_results.first().groups;
        }
        if (needle.contains(r.text, Qt::CaseInsensitive) &&
            (narrowest < 0 || r.rows < m_results.at(narrowest).rows))
            narrowest = i;
    }
    Result result{needle, {}, 0};
    // Testing names one by one costs about twice as much per name as the search over all of
    // them: worth it for a result of half the list or less.
    if (narrowest >= 0 && m_results.at(narrowest).rows * 2 <= list->entries().size()) {
        const Result &within = m_results.at(narrowest);
        m_tested += within.rows;
        result.groups = list->filtered(needle, within.groups);
    } else {
        m_tested += list->entries().size();
        result.groups = list->filtered(needle);
    }
    result.rows = rowCount(result.groups);
    m_results.prepend(result);
    if (m_results.size() > m_capacity)
        m_results.removeLast();
    return result.groups;
}
