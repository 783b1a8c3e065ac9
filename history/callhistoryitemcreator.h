#pragma once

#include "mcellcreator.h"

#include <QObject>

class CallHistoryFilterProxyModel;
class CallHistoryItem;
class MList;

// Makes the call history list's rows: a recycled row where the list has one, else a new one
// (announced with widgetCreated()), filled from the model index.
class CallHistoryItemCreator : public QObject, public MCellCreator
{
    Q_OBJECT
public:
    CallHistoryItemCreator(MList *list, CallHistoryFilterProxyModel *filterModel,
                           QObject *parent = nullptr);

    MWidget *createCell(const QModelIndex &index, MWidgetRecycler &recycler) const override;
    void updateCell(const QModelIndex &index, MWidget *cell) const override;
    QSizeF cellSize() const override { return m_size; }

Q_SIGNALS:
    void widgetCreated(CallHistoryItem *item) const;

private:
    MList *m_list;
    CallHistoryFilterProxyModel *m_filterModel;
    QSizeF m_size{-1, -1};
};
