#include "contactpickerpage.h"

#include "callhistorypage.h"
#include "pagemanager.h"
#include "placeholderapplicationpage.h"

ContactPickerPage::ContactPickerPage(QObject *parent)
    : Page(parent), m_page(new PlaceholderApplicationPage(qtTrId("qtn_call_tab_contacts")))
{
    m_page->setText(qtTrId("qtn_call_page_coming"));
}

ContactPickerPage::~ContactPickerPage()
{
    delete m_page;
}

MApplicationPage *ContactPickerPage::scenePage()
{
    return m_page;
}

void ContactPickerPage::setFilter(const QString &text)
{
    m_filter = text;
}

void ContactPickerPage::scrollToTop() {}

void ContactPickerPage::showVoicemailDetails() {}

void ContactPickerPage::enterPage()
{
    if (CallHistoryPage *history = PageManager::instance()->callHistoryPage())
        history->requestSearchReset();
}

void ContactPickerPage::leavePage() {}

void ContactPickerPage::resetPage() {}

void ContactPickerPage::restorePrestart() {}
