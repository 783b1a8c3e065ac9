#include "accountselector.h"

#include "accountselectorcellcreator.h"
#include "accountselectoritem.h"
#include "callhistoryaccount.h"
#include "callhistoryaccountsmanager.h"
#include "callhistorydialogmanager.h"
#include "mdialog.h"
#include "mlist.h"

#include <QStandardItemModel>

AccountSelector::AccountSelector(bool telOnly, bool includeCellular,
                                 CallHistoryAccountsManager *accounts)
    : m_accounts(accounts ? accounts : CallHistoryAccountsManager::instance()), m_telOnly(telOnly),
      m_includeCellular(includeCellular)
{
    connect(m_accounts, &CallHistoryAccountsManager::accountsChanged, this, &AccountSelector::reset,
            Qt::QueuedConnection);
    connect(m_accounts, &CallHistoryAccountsManager::creditsChanged, this,
            &AccountSelector::onCreditsChanged, Qt::QueuedConnection);
    reset();
}

AccountSelector::~AccountSelector()
{
    if (m_accountDialog)
        m_accountDialog->disappear();
}

QList<CallHistoryAccount *> AccountSelector::selectable() const
{
    return m_accounts->accounts(true, m_telOnly, m_includeCellular);
}

bool AccountSelector::isCellularSelected()
{
    return m_currentAccountPath == CallHistoryAccountsManager::cellularPath();
}

void AccountSelector::setCurrentAccount(const QString &path)
{
    m_currentAccountPath = path;
    const bool hasChoice = m_accounts->hasAccounts(true, m_telOnly, m_includeCellular, true);
    if (m_accounts->isCellularEntry(path)) {
        Q_EMIT accountChanged(true, hasChoice, qtTrId("qtn_call_mobile"), QString(), QString(),
                              QString(), QString());
        return;
    }
    // The account goes by one name: on the keypad as in the list.
    QString name = m_accounts->accountName(path);
    const QList<CallHistoryAccount *> list = selectable();
    for (int i = 0; i < list.size(); ++i) {
        if (list.at(i)->path() == path)
            name = label(list, i);
    }
    Q_EMIT accountChanged(false, hasChoice, m_accounts->accountServiceName(path), name,
                          m_accounts->accountCredits(path), m_accounts->accountLogo(path),
                          m_accounts->accountBackgroundColor(path));
}

void AccountSelector::setDefault()
{
    setCurrentAccount(m_accounts->defaultAccountPath(true, m_telOnly, m_includeCellular));
}

void AccountSelector::reset()
{
    if (!m_currentAccountPath.isEmpty()) {
        for (CallHistoryAccount *account : selectable()) {
            if (account->path() == m_currentAccountPath) {
                setCurrentAccount(m_currentAccountPath);
                return;
            }
        }
    }
    setDefault();
}

void AccountSelector::onCreditsChanged(QString accountPath, QString credits)
{
    if (accountPath == m_currentAccountPath)
        Q_EMIT creditsChanged(credits);
}

QString AccountSelector::label(const QList<CallHistoryAccount *> &list, int i) const
{
    const CallHistoryAccount *account = list.at(i);
    // The cellular account's name in the language now in use.
    if (m_accounts->isCellularEntry(account->path()))
        return qtTrId("qtn_call_mobile");
    // Service names are stored as logical ids of the accounts catalogue: shown
    // translated, never as the id.
    const QString service = m_accounts->accountServiceName(account->path());
    for (int j = 0; j < list.size(); ++j) {
        if (j != i && !m_accounts->isCellularEntry(list.at(j)->path()) &&
            list.at(j)->serviceName() == account->serviceName())
            return QStringLiteral("%1 (%2)").arg(account->displayName(), service);
    }
    return service;
}

void AccountSelector::showAccountList()
{
    if (m_accountDialog)
        return;
    auto *dialog = new MDialog;
    m_accountDialog = dialog;

    // The model lives as long as the list that shows it.
    m_model = new QStandardItemModel(dialog);
    const QList<CallHistoryAccount *> list = selectable();
    int selected = 0;
    for (int i = 0; i < list.size(); ++i) {
        CallHistoryAccount *account = list.at(i);
        auto *item = new QStandardItem(label(list, i));
        item->setData(account->iconName(), Qt::DecorationRole);
        item->setData(account->creditsText(), Qt::UserRole);
        const bool current = account->path() == m_currentAccountPath;
        item->setData(current ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
        item->setEditable(false);
        m_model->appendRow(item);
        if (current)
            selected = i;
    }

    auto *accountList = new MList;
    dialog->setCentralWidget(accountList);
    // The title after the list: MDialog places a list set before the dialog is shown above a
    // title that is already there.
    dialog->setTitle(qtTrId("qtn_call_select_type"));
    accountList->setItemModel(m_model);
    accountList->setCellCreator(new AccountSelectorCellCreator);
    if (m_model->rowCount() > 0)
        accountList->scrollTo(m_model->index(selected, 0));

    // Queued: the list has finished with the tap before the dialog closes under it.
    connect(accountList, &MList::itemClicked, this, &AccountSelector::onCurrentIndexChanged,
            Qt::QueuedConnection);
    connect(m_accounts, &CallHistoryAccountsManager::accountsChanged, dialog, &MDialog::disappear);
    connect(dialog, &MDialog::finished, this, &AccountSelector::onDialogDisappeared);
    connect(dialog, &MSceneWindow::disappeared, this, &AccountSelector::onDialogDisappeared);

    CallHistoryDialogManager::instance()->addDialog(dialog);
    dialog->appear(MSceneWindow::DestroyWhenDone);
}

void AccountSelector::onCurrentIndexChanged(QModelIndex index)
{
    if (m_accountDialog)
        m_accountDialog->accept();
    const QList<CallHistoryAccount *> list = selectable();
    if (index.isValid() && index.row() >= 0 && index.row() < list.size())
        setCurrentAccount(list.at(index.row())->path());
}

void AccountSelector::onDialogDisappeared()
{
    m_accountDialog = nullptr;
}
