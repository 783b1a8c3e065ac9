#include "callhistoryitemcreator.h"

#include "callhistoryitem.h"
#include "mlist.h"
#include "mwidgetrecycler.h"

CallHistoryItemCreator::CallHistoryItemCreator(MList *list,
                                               CallHistoryFilterProxyModel *filterModel,
                                               QObject *parent)
    : QObject(parent), m_list(list), m_filterModel(filterModel)
{
    CallHistoryItem probe(filterModel, nullptr);
    m_size = probe.effectiveSizeHint(Qt::PreferredSize);
}

MWidget *CallHistoryItemCreator::createCell(const QModelIndex &index,
                                            MWidgetRecycler &recycler) const
{
    auto *row = qobject_cast<CallHistoryItem *>(recycler.take(QStringLiteral("CallHistoryItem")));
    if (!row) {
        row = new CallHistoryItem(m_filterModel, m_list);
        connect(m_list, SIGNAL(panningStarted()), row, SLOT(onPanningStarted()));
        connect(m_list, SIGNAL(panningStopped()), row, SLOT(onPanningStopped()));
        Q_EMIT widgetCreated(row);
    }
    updateCell(index, row);
    return row;
}

void CallHistoryItemCreator::updateCell(const QModelIndex &index, MWidget *cell) const
{
    if (auto *row = qobject_cast<CallHistoryItem *>(cell))
        row->fill(index);
}
