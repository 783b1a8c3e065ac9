#pragma once

#include <QModelIndex>
#include <QSizeF>

class MWidget;
class MWidgetRecycler;

// What a list asks of whoever makes its cells: a cell for an index (a recycled one where
// possible), the refill of a cell for another index, and the size of a cell.
class MCellCreator
{
public:
    virtual ~MCellCreator() = default;
    virtual MWidget *createCell(const QModelIndex &index, MWidgetRecycler &recycler) const = 0;
    virtual void updateCell(const QModelIndex &index, MWidget *cell) const = 0;
    virtual QSizeF cellSize() const = 0;
};
