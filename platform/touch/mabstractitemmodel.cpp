#include "mabstractitemmodel.h"

MAbstractItemModel::MAbstractItemModel(QObject *parent) : QAbstractItemModel(parent) {}

void MAbstractItemModel::beginRemoveRows(const QModelIndex &parent, int first, int last,
                                         bool animated)
{
    m_animated = animated;
    QAbstractItemModel::beginRemoveRows(parent, first, last);
}

void MAbstractItemModel::endRemoveRows()
{
    QAbstractItemModel::endRemoveRows();
    m_animated = false;
}
