#pragma once

#include "mcellcreator.h"
#include "mwidgetrecycler.h"

// A cell creator for cells of one widget class T: takes a recycled T or makes a new one, then
// fills it with updateCell(). The cell size is T's preferred size.
template <typename T> class MAbstractCellCreator : public MCellCreator
{
public:
    MWidget *createCell(const QModelIndex &index, MWidgetRecycler &recycler) const override
    {
        MWidget *cell = recycler.take(QString::fromLatin1(T::staticMetaObject.className()));
        if (!cell)
            cell = new T;
        updateCell(index, cell);
        return cell;
    }
    QSizeF cellSize() const override
    {
        if (!m_size.isValid()) {
            T probe;
            m_size = probe.effectiveSizeHint(Qt::PreferredSize);
        }
        return m_size;
    }

private:
    mutable QSizeF m_size;
};
