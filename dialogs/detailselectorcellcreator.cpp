#include "detailselectorcellcreator.h"

#include "callhistoryaccountsmanager.h"
#include "detailselectormodel.h"

DetailSelectorCellCreator::DetailSelectorCellCreator(CallHistoryAccountsManager *accounts)
    : m_accounts(accounts)
{
}

void DetailSelectorCellCreator::updateCell(const QModelIndex &index, MWidget *cell) const
{
    auto *item = qobject_cast<DetailSelectorItem *>(cell);
    if (!item)
        return;
    item->setAccountsManager(m_accounts);
    item->setEntry(DetailEntry::fromMap(index.data(DetailSelectorModel::EntryRole).toMap()));
}
