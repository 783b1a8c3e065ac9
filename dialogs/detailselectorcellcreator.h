#pragma once

#include "detailselectoritem.h"
#include "mabstractcellcreator.h"

#include <QPointer>

class CallHistoryAccountsManager;

// Makes and refills the detail selector's rows: each cell shows the entry of its index, with
// balances from the accounts manager it was given.
class DetailSelectorCellCreator : public MAbstractCellCreator<DetailSelectorItem>
{
public:
    explicit DetailSelectorCellCreator(CallHistoryAccountsManager *accounts);

    void updateCell(const QModelIndex &index, MWidget *cell) const override;

private:
    QPointer<CallHistoryAccountsManager> m_accounts;
};
