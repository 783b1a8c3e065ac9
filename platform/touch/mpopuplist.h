#pragma once

#include "mdialog.h"

#include <QPersistentModelIndex>
#include <QPointer>

class MButton;
class QAbstractItemModel;

// A dialog listing the rows of a small model (one entry per row, its display text); the current
// row is marked. A tap on an entry makes it current, emits clicked() with its index and closes
// the list.
class MPopupList : public MDialog
{
    Q_OBJECT
public:
    explicit MPopupList(QGraphicsItem *parent = nullptr);

    void setItemModel(QAbstractItemModel *model);
    QAbstractItemModel *itemModel() const { return m_model; }
    void setCurrentIndex(const QModelIndex &index);
    QModelIndex currentIndex() const { return m_current; }
    QList<MButton *> entries() const { return m_entries; }
    // Taps entry row as the user would.
    void click(int row);

Q_SIGNALS:
    void clicked(const QModelIndex &index);
    void currentIndexChanged(const QModelIndex &index);

private:
    void rebuild();

    QPointer<QAbstractItemModel> m_model;
    QPersistentModelIndex m_current;
    QList<MButton *> m_entries;
};
