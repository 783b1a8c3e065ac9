#include "accountselectorcellcreator.h"

#include "mimagewidget.h"
#include "mlabel.h"
#include "subtitlelabel.h"

void AccountSelectorCellCreator::updateCell(const QModelIndex &index, MWidget *cell) const
{
    auto *item = qobject_cast<AccountSelectorItem *>(cell);
    if (!item)
        return;
    item->titleLabel()->setText(index.data(Qt::DisplayRole).toString());
    item->subtitleLabel()->setText(index.data(Qt::UserRole).toString());
    item->icon()->setImage(index.data(Qt::DecorationRole).toString());
    item->setCurrent(index.data(Qt::CheckStateRole).toInt() == Qt::Checked);
}
