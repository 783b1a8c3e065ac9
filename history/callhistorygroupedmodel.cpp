#include "callhistorygroupedmodel.h"

#include "callhistorycache.h"
#include "callhistoryfilterproxymodel.h"
#include "callhistorylocale.h"
#include "event.h"
#include "eventmodel.h"

#include <QAbstractProxyModel>

namespace {

// The end time of an event that has none, as Event::endTimeT() reports it.
qint64 noTime()
{
    static const qint64 none = CommHistory::Event().endTimeT();
    return none;
}

} // namespace

CallHistoryGroupedModel::CallHistoryGroupedModel(QAbstractItemModel *source, QObject *parent)
    : CallHistoryGroupedModel(CallHistoryLocale::instance(), source, parent)
{
}

CallHistoryGroupedModel::CallHistoryGroupedModel(CallHistoryLocale *locale,
                                                 QAbstractItemModel *source, QObject *parent)
    : MAbstractItemModel(parent), m_source(source), m_locale(locale)
{
    connect(m_locale->locale(), SIGNAL(settingsChanged()), this, SLOT(resetHeaders()));
    connect(m_locale, SIGNAL(timeSettingsChanged()), this, SLOT(resetHeaders()));
    connect(m_locale, SIGNAL(dayBreakOccured()), this, SLOT(resetHeaders()));

    findEventModel();
    if (m_filter)
        connect(m_filter, &QAbstractProxyModel::sourceModelChanged, this,
                &CallHistoryGroupedModel::findEventModel);
    buildHeaderDefinitions();
    populateHeaders();

    connect(m_source, SIGNAL(rowsInserted(const QModelIndex &, int, int)), this,
            SLOT(onRowsInserted(const QModelIndex &, int, int)));
    connect(m_source, SIGNAL(rowsAboutToBeRemoved(const QModelIndex &, int, int)), this,
            SLOT(onRowsAboutToBeDeleted(const QModelIndex &, int, int)));
    connect(m_source, SIGNAL(rowsRemoved(const QModelIndex &, int, int)), this,
            SLOT(onRowsDeleted(const QModelIndex &, int, int)));
    connect(m_source, SIGNAL(dataChanged(const QModelIndex &, const QModelIndex &)), this,
            SLOT(onDataChanged(const QModelIndex &, const QModelIndex &)));
    connect(m_source, SIGNAL(layoutAboutToBeChanged()), this, SLOT(onLayoutAboutToBeChanged()));
    connect(m_source, SIGNAL(layoutChanged()), this, SLOT(rebuildHeaders()));
    // Moved rows may change groups: regroup as after a layout change (the persistent indexes of
    // the source carry them over).
    connect(m_source,
            SIGNAL(rowsAboutToBeMoved(const QModelIndex &, int, int, const QModelIndex &, int)),
            this, SLOT(onLayoutAboutToBeChanged()));
    connect(m_source, SIGNAL(rowsMoved(const QModelIndex &, int, int, const QModelIndex &, int)),
            this, SLOT(rebuildHeaders()));
    connect(m_source, SIGNAL(modelAboutToBeReset()), this, SLOT(onModelAboutToBeReset()));
    connect(m_source, SIGNAL(modelReset()), this, SLOT(onModelReset()));
}

CallHistoryGroupedModel::~CallHistoryGroupedModel()
{
    qDeleteAll(m_headers);
}

// Definitions and counting

void CallHistoryGroupedModel::appendDefinition(const QDate &day, bool older, const QString &title)
{
    HeaderDefinition definition;
    definition.boundary = day.startOfDay(Qt::LocalTime);
    definition.older = older;
    definition.title = title;
    definition.boundarySecs = definition.boundary.toSecsSinceEpoch();
    m_definitions.append(definition);
}

void CallHistoryGroupedModel::buildHeaderDefinitions()
{
    m_definitions.clear();
    QDate day = m_locale->currentDateTime().date();
    appendDefinition(day, false, qtTrId("qtn_comm_time_today"));

    const int firstDay = m_locale->calendar()->firstDayOfWeek();
    if (day.dayOfWeek() != firstDay) {
        day = day.addDays(-1);
        appendDefinition(day, false, qtTrId("qtn_comm_time_yesterday"));
    }
    while (day.dayOfWeek() != firstDay) {
        day = day.addDays(-1);
        appendDefinition(day, false,
                         m_locale->locale()->weekdayName(*m_locale->calendar(), day.dayOfWeek()));
    }
    day = day.addDays(-7);
    appendDefinition(day, false, qtTrId("qtn_comm_time_last_week"));
    appendDefinition(day, true, qtTrId("qtn_comm_older"));
}

int CallHistoryGroupedModel::definitionFor(qint64 endSecs) const
{
    for (int i = 0; i < m_definitions.size(); ++i)
        if (m_definitions.at(i).contains(endSecs))
            return i;
    return -1;
}

int CallHistoryGroupedModel::insertHeader(int position, const HeaderDefinition &definition,
                                          int *next)
{
    GroupHeader *header = new GroupHeader;
    static_cast<HeaderDefinition &>(*header) = definition;
    m_headers.insert(position, header);
    if (*next >= position)
        ++*next;
    return position;
}

// The header for a call that ended at endSecs and comes after the rows of header `current`
// (-1: at the top) and before those of header `next` (-1: at the end). A header is inserted
// when its group is missing. The result is never before `current` nor after `next`, so the
// headers keep covering consecutive rows even when the source is out of order.
int CallHistoryGroupedModel::headerIndexFor(qint64 endSecs, int current, int *next)
{
    const int d = definitionFor(endSecs);
    if (d < 0)
        return current >= 0 ? current : todayHeaderAtTop(next);
    const HeaderDefinition &definition = m_definitions.at(d);

    int position = 0;
    for (; position < m_headers.size(); ++position) {
        const GroupHeader *header = m_headers.at(position);
        if (header->older || (!definition.older && header->boundarySecs <= definition.boundarySecs))
            break;
    }
    if (current >= 0 && position <= current)
        return current;
    if (*next >= 0 && position > *next)
        return *next;
    if (position < m_headers.size() && m_headers.at(position)->isSameGroup(definition))
        return position;
    return insertHeader(position, definition, next);
}

int CallHistoryGroupedModel::todayHeaderAtTop(int *next)
{
    if (!m_headers.isEmpty() && m_headers.first()->isSameGroup(m_definitions.first()))
        return 0;
    return insertHeader(0, m_definitions.first(), next);
}

// Counts the source rows first..end-1, which are not counted yet and come right after the
// counted rows before `first`.
void CallHistoryGroupedModel::addSourceRows(int first, int end)
{
    int current = first > 0 ? headerOfSourceRow(first - 1) : -1;
    int next = headerOfSourceRow(first);
    // Inserted inside a group: the rows after them are of that group, so are they.
    bool locked = current >= 0 && current == next;
    const qint64 none = noTime();

    for (int row = first; row < end; ++row) {
        if (!locked) {
            const qint64 t = endTimeOf(row);
            int target;
            if (t == none)
                target = current >= 0 ? current : todayHeaderAtTop(&next);
            else if (current >= 0 && m_headers.at(current)->contains(t))
                target = current;
            else
                target = headerIndexFor(t, current, &next);
            locked = target == next;
            current = target;
        }
        ++m_headers.at(current)->count;
    }
}

void CallHistoryGroupedModel::populateHeaders()
{
    const int rows = m_source->rowCount();
    if (m_events)
        countOrderedRows(rows);
    else
        addSourceRows(0, rows);
}

// The event model keeps its rows newest first by end time, calls without one last (their end
// time is the smallest there is), and the search filter keeps that order: each group is a run of
// rows whose end is found by a binary search, as reading every row would group them.
void CallHistoryGroupedModel::countOrderedRows(int rows)
{
    // The first row in [from, end) that ended before secs.
    auto firstBefore = [this](int from, int end, qint64 secs) {
        while (from < end) {
            const int middle = from + (end - from) / 2;
            if (endTimeOf(middle) >= secs)
                from = middle + 1;
            else
                end = middle;
        }
        return from;
    };
    const qint64 none = noTime();
    const int timed = firstBefore(0, rows, none + 1);
    auto append = [this](const HeaderDefinition &definition, int count) {
        int noNext = -1;
        m_headers.at(insertHeader(m_headers.size(), definition, &noNext))->count = count;
    };
    int start = 0;
    for (const HeaderDefinition &definition : qAsConst(m_definitions)) {
        const int end =
            definition.older ? timed : firstBefore(start, timed, definition.boundarySecs);
        if (end > start)
            append(definition, end - start);
        start = end;
    }
    // Calls without an end time join the group above them, today's at the top.
    if (rows > timed) {
        if (m_headers.isEmpty())
            append(m_definitions.first(), 0);
        m_headers.last()->count += rows - timed;
    }
}

void CallHistoryGroupedModel::clearHeaders()
{
    qDeleteAll(m_headers);
    m_headers.clear();
}

void CallHistoryGroupedModel::findEventModel()
{
    m_filter = qobject_cast<CallHistoryFilterProxyModel *>(m_source);
    m_events =
        qobject_cast<CommHistory::EventModel *>(m_filter ? m_filter->sourceModel() : m_source);
}

qint64 CallHistoryGroupedModel::endTimeOf(int sourceRow) const
{
    // Straight from the event model where possible: no variant is made for each row.
    if (m_events) {
        const QModelIndex index = m_filter ? m_filter->mapToSource(m_filter->index(sourceRow, 0))
                                           : m_events->index(sourceRow, 0);
        return m_events->event(index).endTimeT();
    }
    const QVariant value = m_source->index(sourceRow, 0).data(Qt::UserRole);
    if (value.userType() != qMetaTypeId<CommHistory::Event>())
        return noTime();
    return static_cast<const CommHistory::Event *>(value.constData())->endTimeT();
}

int CallHistoryGroupedModel::headerStart(int header) const
{
    int start = 0;
    for (int i = 0; i < header; ++i)
        start += m_headers.at(i)->count;
    return start;
}

int CallHistoryGroupedModel::headerOfSourceRow(int sourceRow, int *start) const
{
    if (sourceRow < 0)
        return -1;
    int s = 0;
    for (int i = 0; i < m_headers.size(); ++i) {
        const int count = m_headers.at(i)->count;
        if (sourceRow < s + count) {
            if (start)
                *start = s;
            return i;
        }
        s += count;
    }
    return -1;
}

int CallHistoryGroupedModel::headerPosition(const QModelIndex &child) const
{
    if (!child.isValid() || child.model() != this || !child.internalPointer())
        return -1;
    return m_headers.indexOf(static_cast<GroupHeader *>(child.internalPointer()));
}

QModelIndex CallHistoryGroupedModel::indexOfSourceRow(int sourceRow, int column) const
{
    int start = 0;
    const int header = headerOfSourceRow(sourceRow, &start);
    if (header < 0 || column < 0 || column >= m_source->columnCount())
        return QModelIndex();
    return createIndex(sourceRow - start, column, m_headers.at(header));
}

CommHistory::EventModel *CallHistoryGroupedModel::eventModel() const
{
    QAbstractItemModel *model = m_source;
    while (QAbstractProxyModel *proxy = qobject_cast<QAbstractProxyModel *>(model))
        model = proxy->sourceModel();
    return qobject_cast<CommHistory::EventModel *>(model);
}

// Layout changes

void CallHistoryGroupedModel::beginLayoutChange(bool throughSource)
{
    Q_EMIT layoutAboutToBeChanged();
    m_savedIndexes = persistentIndexList();
    m_saved.clear();
    m_saved.reserve(m_savedIndexes.size());
    for (const QModelIndex &index : qAsConst(m_savedIndexes)) {
        SavedIndex saved;
        saved.column = index.column();
        if (!index.internalPointer()) {
            saved.header = true;
            if (index.row() < m_headers.size())
                saved.group = *m_headers.at(index.row());
        } else {
            const int header = headerPosition(index);
            if (header >= 0) {
                saved.sourceRow = headerStart(header) + index.row();
                if (throughSource)
                    saved.source = QPersistentModelIndex(m_source->index(saved.sourceRow, 0));
            }
        }
        m_saved.append(saved);
    }
}

void CallHistoryGroupedModel::endLayoutChange(const std::function<int(int)> &newSourceRow)
{
    QModelIndexList to;
    to.reserve(m_saved.size());
    for (const SavedIndex &saved : qAsConst(m_saved)) {
        QModelIndex index;
        if (saved.header) {
            for (int i = 0; i < m_headers.size(); ++i)
                if (m_headers.at(i)->isSameGroup(saved.group)) {
                    index = createIndex(i, saved.column);
                    break;
                }
        } else if (saved.sourceRow >= 0) {
            const int row = saved.source.isValid()
                                ? saved.source.row()
                                : (newSourceRow ? newSourceRow(saved.sourceRow) : -1);
            index = indexOfSourceRow(row, saved.column);
        }
        to.append(index);
    }
    changePersistentIndexList(m_savedIndexes, to);
    m_savedIndexes.clear();
    m_saved.clear();
    Q_EMIT layoutChanged();
}

// Slots

void CallHistoryGroupedModel::onLayoutAboutToBeChanged()
{
    if (m_sourceLayoutChanging)
        return;
    m_sourceLayoutChanging = true;
    beginLayoutChange(true);
}

void CallHistoryGroupedModel::rebuildHeaders()
{
    // After a layout change of the source the rows are found again through its persistent
    // indexes; otherwise the rows stay where they are and only the groups are counted anew.
    const bool throughSource = m_sourceLayoutChanging;
    if (!throughSource)
        beginLayoutChange(false);
    CallHistoryCache::instance()->clear(-1);
    clearHeaders();
    populateHeaders();
    m_sourceLayoutChanging = false;
    endLayoutChange(throughSource ? std::function<int(int)>() : [](int row) { return row; });
}

void CallHistoryGroupedModel::resetHeaders()
{
    beginLayoutChange(false);
    buildHeaderDefinitions();
    clearHeaders();
    populateHeaders();
    endLayoutChange([](int row) { return row; });
}

void CallHistoryGroupedModel::onModelAboutToBeReset()
{
    if (m_resetting)
        return;
    m_resetting = true;
    beginResetModel();
}

void CallHistoryGroupedModel::onModelReset()
{
    if (!m_resetting)
        beginResetModel();
    clearHeaders();
    populateHeaders();
    m_resetting = false;
    m_removingFrom = -1;
    m_sourceLayoutChanging = false;
    endResetModel();
}

void CallHistoryGroupedModel::onRowsInserted(const QModelIndex &parent, int first, int last)
{
    if (parent.isValid() || first > last)
        return;
    const int inserted = last - first + 1;
    beginLayoutChange(false);
    addSourceRows(first, last + 1);
    endLayoutChange([first, inserted](int row) { return row >= first ? row + inserted : row; });
}

void CallHistoryGroupedModel::onRowsAboutToBeDeleted(const QModelIndex &parent, int first, int last)
{
    m_removingFrom = -1;
    if (parent.isValid() || first > last)
        return;
    int start = 0;
    const int header = headerOfSourceRow(first, &start);
    if (header < 0 || last >= start + m_headers.at(header)->count)
        return; // spans groups: a layout change once the rows are gone
    m_removingFrom = header;
    beginRemoveRows(index(header, 0), first - start, last - start, m_animatedRemoval);
}

void CallHistoryGroupedModel::onRowsDeleted(const QModelIndex &parent, int first, int last)
{
    if (parent.isValid() || first > last)
        return;
    const int removed = last - first + 1;

    if (m_removingFrom >= 0) {
        const int header = m_removingFrom;
        m_removingFrom = -1;
        m_headers.at(header)->count -= removed;
        endRemoveRows();
        if (m_headers.at(header)->count <= 0) {
            beginRemoveRows(QModelIndex(), header, header, false);
            delete m_headers.takeAt(header);
            endRemoveRows();
        }
        return;
    }

    beginLayoutChange(false);
    int start = 0;
    for (int i = 0; i < m_headers.size();) {
        GroupHeader *header = m_headers.at(i);
        const int count = header->count;
        const int overlap = qMin(last, start + count - 1) - qMax(first, start) + 1;
        if (overlap > 0)
            header->count -= overlap;
        start += count;
        if (header->count <= 0) {
            delete header;
            m_headers.removeAt(i);
        } else {
            ++i;
        }
    }
    endLayoutChange([first, last, removed](int row) {
        return row < first ? row : row > last ? row - removed : -1;
    });
}

void CallHistoryGroupedModel::onDataChanged(const QModelIndex &first, const QModelIndex &last)
{
    if (!first.isValid() || !last.isValid() || first.parent().isValid())
        return;
    if (first.row() == 0) {
        if (m_headers.isEmpty())
            return;
        if (m_headers.first()->count >= 1) {
            // The newest call may have moved to another day group.
            const qint64 t = endTimeOf(0);
            const int d = t == noTime() ? 0 : definitionFor(t);
            if (d >= 0 && !m_headers.first()->isSameGroup(m_definitions.at(d)))
                rebuildHeaders();
        }
    }
    int start = 0;
    for (int i = 0; i < m_headers.size(); ++i) {
        const int count = m_headers.at(i)->count;
        if (first.row() < start + count && last.row() >= start) {
            const QModelIndex header = index(i, 0);
            Q_EMIT dataChanged(index(qMax(first.row() - start, 0), 0, header),
                               index(qMin(last.row() - start, count - 1), 0, header));
        }
        start += count;
    }
}

void CallHistoryGroupedModel::removeEvent(int eventId)
{
    CommHistory::EventModel *events = eventModel();
    if (events) {
        m_animatedRemoval = true;
        events->deleteEvent(eventId);
        m_animatedRemoval = false;
    }
    CallHistoryCache::instance()->clear(eventId);
}

// Item model

QModelIndex CallHistoryGroupedModel::index(int row, int column, const QModelIndex &parent) const
{
    if (!hasIndex(row, column, parent))
        return QModelIndex();
    if (!parent.isValid())
        return createIndex(row, column);
    return createIndex(row, column, m_headers.at(parent.row()));
}

QModelIndex CallHistoryGroupedModel::parent(const QModelIndex &child) const
{
    const int header = headerPosition(child);
    return header < 0 ? QModelIndex() : createIndex(header, 0);
}

int CallHistoryGroupedModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return m_headers.size();
    if (parent.model() != this || parent.internalPointer() || parent.row() >= m_headers.size())
        return 0;
    return m_headers.at(parent.row())->count;
}

int CallHistoryGroupedModel::columnCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return 1;
    if (parent.internalPointer())
        return 0;
    return m_source->columnCount();
}

QVariant CallHistoryGroupedModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.model() != this)
        return QVariant();
    if (!index.internalPointer()) {
        if (role == Qt::SizeHintRole || index.row() >= m_headers.size())
            return QVariant();
        return m_headers.at(index.row())->title;
    }
    return m_source->data(mapToSource(index), role);
}

QVariant CallHistoryGroupedModel::headerData(int section, Qt::Orientation orientation,
                                             int role) const
{
    return m_source->headerData(section, orientation, role);
}

QModelIndex CallHistoryGroupedModel::mapToSource(const QModelIndex &index) const
{
    const int header = headerPosition(index);
    if (header < 0)
        return QModelIndex();
    return m_source->index(headerStart(header) + index.row(), index.column());
}

QModelIndex CallHistoryGroupedModel::mapFromSource(const QModelIndex &sourceIndex) const
{
    if (!sourceIndex.isValid() || sourceIndex.model() != m_source || sourceIndex.parent().isValid())
        return QModelIndex();
    return indexOfSourceRow(sourceIndex.row(), sourceIndex.column());
}

// Grouped queries

int CallHistoryGroupedModel::groupCount() const
{
    return m_headers.size();
}

int CallHistoryGroupedModel::rowCountInGroup(int group) const
{
    if (group == -1)
        return m_source->rowCount();
    return group >= 0 && group < m_headers.size() ? m_headers.at(group)->count : 0;
}

QString CallHistoryGroupedModel::groupTitle(int group) const
{
    return group >= 0 && group < m_headers.size() ? m_headers.at(group)->title : QString();
}

QVariant CallHistoryGroupedModel::itemData(int row, int group, int role) const
{
    if (group < 0 || group >= m_headers.size() || row < 0 || row >= m_headers.at(group)->count)
        return QVariant();
    return m_source->data(m_source->index(headerStart(group) + row, 0), role);
}
