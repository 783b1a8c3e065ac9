#pragma once

#include "dialeraccountselector.h"

#include <QModelIndex>
#include <QPointer>

#include "mdialog.h"

#include <QStandardItemModel>

class CallHistoryAccount;
class CallHistoryAccountsManager;

// The dialer's choice of calling account, backed by the accounts registry: it keeps the
// current account's path, announces it (and every change of its data or credits) to the
// keypad, and opens the list of selectable accounts, each with its credits and the current one
// marked. Selectable: enabled accounts, only those that call numbers ("tel:") when telOnly,
// and the cellular account when includeCellular.
//
// When the registry changes, the current account is announced again with fresh data, or, when
// it has gone, the default account (the cellular one when included) takes its place. An open
// list closes on any registry change, so a row always stands for the account it shows.
class AccountSelector : public Dialer::DialerAccountSelector
{
    Q_OBJECT
public:
    // `accounts` is the registry to follow (not owned); null means the application's.
    AccountSelector(bool telOnly, bool includeCellular,
                    CallHistoryAccountsManager *accounts = nullptr);
    ~AccountSelector() override;

    void setCurrentAccount(const QString &path);
    QString currentAccountPath() const { return m_currentAccountPath; }
    // The open account list, or null.
    MDialog *accountDialog() const { return m_accountDialog; }
    // The open list's model (labels, icons, credits, current mark), or null.
    QStandardItemModel *accountModel() const { return m_model; }

public Q_SLOTS:
    bool isCellularSelected() override;
    void reset();
    void setDefault();
    void showAccountList() override;
    void onCreditsChanged(QString accountPath, QString credits);

private Q_SLOTS:
    void onCurrentIndexChanged(QModelIndex index);
    void onDialogDisappeared();

private:
    QList<CallHistoryAccount *> selectable() const;
    // The label of the i-th selectable account in the list.
    QString label(const QList<CallHistoryAccount *> &list, int i) const;

    CallHistoryAccountsManager *m_accounts;
    QPointer<MDialog> m_accountDialog;
    QString m_currentAccountPath;
    bool m_telOnly;
    bool m_includeCellular;
    QPointer<QStandardItemModel> m_model;
};
