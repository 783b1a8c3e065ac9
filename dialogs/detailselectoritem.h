#pragma once

#include "detailentry.h"
#include "mlistitem.h"

#include <QPointer>

class CallHistoryAccountsManager;
class MImageWidget;
class MLabel;

// One row of the detail selector: the row's icon, a first line with the kind of number or the
// account's name (and its balance, for rows that show credits) followed by a presence icon, and
// the number or address below. Every text comes from outside and is shown as plain text.
//
// Limits: the balance is read when the entry is set; a later balance change shows on the next
// refill. Without an accounts manager no balance is shown.
class DetailSelectorItem : public MListItem
{
    Q_OBJECT
public:
    explicit DetailSelectorItem(QGraphicsItem *parent = nullptr);

    // Where balances come from (not owned).
    void setAccountsManager(CallHistoryAccountsManager *accounts);
    void setEntry(const DetailEntry &entry);
    DetailEntry entry() const { return m_entry; }

    MImageWidget *icon() const { return m_icon; }
    MLabel *typeLabel() const { return m_typeLabel; }
    MLabel *addressLabel() const { return m_addressLabel; }
    MImageWidget *presenceIcon() const { return m_presenceIcon; }

protected:
    void changeEvent(QEvent *event) override;

private:
    MImageWidget *m_icon;
    MLabel *m_typeLabel;
    MLabel *m_addressLabel;
    MImageWidget *m_presenceIcon;
    QPointer<CallHistoryAccountsManager> m_accounts;
    DetailEntry m_entry;
    bool m_hasEntry = false;
};
