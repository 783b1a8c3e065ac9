#pragma once

#include "mcellcreator.h"

// Makes the contact picker's rows (ContactListRow: avatar and plain-text name) from the picker
// model's contact indexes, taking a recycled row where the list has one.
class ContactPickerCellCreator : public MCellCreator
{
public:
    MWidget *createCell(const QModelIndex &index, MWidgetRecycler &recycler) const override;
    void updateCell(const QModelIndex &index, MWidget *cell) const override;
    QSizeF cellSize() const override;

private:
    mutable QSizeF m_size;
};
