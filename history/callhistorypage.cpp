#include "callhistorypage.h"

#include "callhistorycontextprovider.h"
#include "callhistorydialogmanager.h"
#include "placeholderapplicationpage.h"

CallHistoryPage::CallHistoryPage(QObject *parent)
    : Page(parent), m_page(new PlaceholderApplicationPage(qtTrId("qtn_call_tab_history")))
{
    m_page->setText(qtTrId("qtn_call_page_coming"));
    CallHistoryContextProvider::instance()->setInbox(false);
}

CallHistoryPage::~CallHistoryPage()
{
    delete m_page;
}

MApplicationPage *CallHistoryPage::scenePage()
{
    return m_page;
}

void CallHistoryPage::enterPage()
{
    CallHistoryContextProvider::instance()->setInbox(true);
    if (m_searchResetPending)
        resetSearch();
}

void CallHistoryPage::leavePage()
{
    CallHistoryContextProvider::instance()->setInbox(false);
}

void CallHistoryPage::resetPage()
{
    resetSearch();
}

void CallHistoryPage::restorePrestart()
{
    CallHistoryDialogManager::instance()->dismissAll();
    resetPage();
}

void CallHistoryPage::resetSearch()
{
    m_searchResetPending = false;
}
