#include "dialerpage.h"

#include "callhistorypage.h"
#include "pagemanager.h"
#include "placeholderapplicationpage.h"

DialerPage::DialerPage(QObject *parent)
    : Page(parent), m_page(new PlaceholderApplicationPage(qtTrId("qtn_call_tab_dialer")))
{
    setNumber(QString());
}

DialerPage::~DialerPage()
{
    delete m_page;
}

MApplicationPage *DialerPage::scenePage()
{
    return m_page;
}

void DialerPage::appendDigits(const QString &digits)
{
    setNumber((m_number + digits).left(MaxNumberLength));
}

void DialerPage::setNumber(const QString &number)
{
    m_number = number;
    m_page->setText(number.isEmpty() ? qtTrId("qtn_call_page_coming") : number);
}

void DialerPage::enterPage()
{
    if (CallHistoryPage *history = PageManager::instance()->callHistoryPage())
        history->requestSearchReset();
}

void DialerPage::leavePage() {}

void DialerPage::resetPage() {}

void DialerPage::restorePrestart()
{
    setNumber(QString());
    refreshCall();
}
