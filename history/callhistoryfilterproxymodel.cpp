#include "callhistoryfilterproxymodel.h"

#include "eventmodel.h"
#include "mcommonlabelhighlighter.h"

CallHistoryFilterProxyModel::CallHistoryFilterProxyModel(QAbstractItemModel *source,
                                                         QObject *parent)
    : QSortFilterProxyModel(parent)
{
    qRegisterMetaType<QPointer<MCommonLabelHighlighter>>("QPointer<MCommonLabelHighlighter>");
    setSourceModel(source);
}

void CallHistoryFilterProxyModel::setSourceModel(QAbstractItemModel *source)
{
    m_events = qobject_cast<CommHistory::EventModel *>(source);
    // Connected before the base class connects: the keys follow each change before the base
    // class filters the rows it touched.
    followSource(source);
    QSortFilterProxyModel::setSourceModel(source);
}

void CallHistoryFilterProxyModel::followSource(QAbstractItemModel *source)
{
    for (const QMetaObject::Connection &c : qAsConst(m_sourceConnections))
        disconnect(c);
    m_sourceConnections.clear();
    m_keys.forgetAll();
    if (!source)
        return;
    // Rows moved or sorted anew are read again; while searching, all of them.
    auto forgetAll = [this] {
        m_keys.forgetAll();
        if (m_searching)
            m_keys.setRowCount(sourceModel()->rowCount());
    };
    m_sourceConnections << connect(source, &QAbstractItemModel::rowsInserted, this,
                                   [this](const QModelIndex &parent, int first, int last) {
                                       if (!parent.isValid())
                                           m_keys.insertRows(first, last - first + 1);
                                   })
                        << connect(source, &QAbstractItemModel::rowsRemoved, this,
                                   [this](const QModelIndex &parent, int first, int last) {
                                       if (!parent.isValid())
                                           m_keys.removeRows(first, last - first + 1);
                                   })
                        << connect(
                               source, &QAbstractItemModel::dataChanged, this,
                               [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                                   if (!topLeft.parent().isValid())
                                       m_keys.forgetRows(topLeft.row(), bottomRight.row());
                               })
                        << connect(source, &QAbstractItemModel::rowsMoved, this, forgetAll)
                        << connect(source, &QAbstractItemModel::layoutChanged, this, forgetAll)
                        << connect(source, &QAbstractItemModel::modelReset, this, forgetAll);
}

CallHistoryFilterProxyModel::~CallHistoryFilterProxyModel()
{
    delete m_highlighter.data();
}

QString CallHistoryFilterProxyModel::buildSearchPattern(const QString &text)
{
    return CallSearchPattern(text).regExpPattern();
}

void CallHistoryFilterProxyModel::setFilterText(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        if (m_searching)
            applySearch(nullptr, CallSearchPattern());
        Q_EMIT filterChanged(QPointer<MCommonLabelHighlighter>());
        return;
    }

    // The shared model loads only the newest calls by itself; a search covers them all.
    if (m_events)
        m_events->fetchAll();

    const CallSearchPattern pattern(trimmed);
    const QRegExp regexp(pattern.regExpPattern(), Qt::CaseInsensitive, QRegExp::RegExp);
    if (m_highlighter && m_highlighter->regexp() == regexp)
        return;
    applySearch(new MCommonLabelHighlighter(regexp), pattern);
    Q_EMIT filterChanged(m_highlighter);
}

void CallHistoryFilterProxyModel::releaseUnusedMemory()
{
    // The base class drops its mapping on its own reset and builds it again when asked.
    beginResetModel();
    m_keys.forgetAll();
    if (m_searching)
        m_keys.setRowCount(sourceModel() ? sourceModel()->rowCount() : 0);
    endResetModel();
}

void CallHistoryFilterProxyModel::applySearch(MCommonLabelHighlighter *highlighter,
                                              const CallSearchPattern &pattern)
{
    beginResetModel();
    delete m_highlighter.data();
    m_highlighter = highlighter;
    m_searching = highlighter != nullptr;
    // Without a search the answers stay: the next search may still narrow the last one.
    if (m_searching) {
        m_keys.setRowCount(sourceModel() ? sourceModel()->rowCount() : 0);
        m_keys.setPattern(pattern);
    }
    m_pattern = pattern;
    endResetModel();
}

CommHistory::Event CallHistoryFilterProxyModel::sourceEvent(int sourceRow,
                                                            const QModelIndex &sourceParent) const
{
    const QModelIndex index = sourceModel()->index(sourceRow, 0, sourceParent);
    if (m_events)
        return m_events->event(index);
    const QVariant value = index.data(Qt::UserRole);
    if (value.userType() == qMetaTypeId<CommHistory::Event>())
        return *static_cast<const CommHistory::Event *>(value.constData());
    return CommHistory::Event();
}

bool CallHistoryFilterProxyModel::filterAcceptsRow(int sourceRow,
                                                   const QModelIndex &sourceParent) const
{
    auto read = [&](int row) { return sourceEvent(row, sourceParent); };
    if (sourceParent.isValid()) {
        // Only the top level of a list is prepared; anything below is tested as it is.
        const CommHistory::Event event = read(sourceRow);
        if (!event.isValid() || event.type() != CommHistory::Event::CallEvent)
            return false;
        if (!m_searching)
            return true;
        const QList<CommHistory::Event::Contact> contacts = event.contacts();
        return m_pattern.matches(event.remoteUid()) ||
               (contacts.size() == 1 && m_pattern.matches(contacts.first().second));
    }
    if (!m_searching)
        return m_keys.isCall(sourceRow, read);
    return m_keys.found(sourceRow, read);
}
