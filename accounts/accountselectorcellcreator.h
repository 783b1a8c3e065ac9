#pragma once

#include "accountselectoritem.h"
#include "mabstractcellcreator.h"

// Makes and fills the rows of the dialer's account list from its model: the label
// (Qt::DisplayRole), the icon id (Qt::DecorationRole), the credits (Qt::UserRole) and the
// current account's mark (Qt::CheckStateRole).
class AccountSelectorCellCreator : public MAbstractCellCreator<AccountSelectorItem>
{
public:
    void updateCell(const QModelIndex &index, MWidget *cell) const override;
};
