#include "historypagestate.h"

#include "benchchild.h"
#include "callhistorypage.h"
#include "callmodel.h"
#include "mapplicationwindow.h"
#include "mlist.h"
#include "modelmanager.h"
#include "pagemanager.h"

namespace HistoryPageState {

CallHistoryPage *page()
{
    return PageManager::instance()->callHistoryPage();
}

bool listShown()
{
    PageManager *pm = PageManager::instance();
    CallHistoryPage *history = pm->callHistoryPage();
    MApplicationWindow *window = pm->window();
    return history && window && window->isVisible() &&
           window->currentPage() == history->scenePage() &&
           history->viewState() == CallHistoryPage::List &&
           !history->list()->visibleCells().isEmpty();
}

bool waitForLoaded(int timeoutMs)
{
    return BenchChild::spinUntil(
        [] {
            CallHistoryPage *history = page();
            CommHistory::CallModel *model = ModelManager::instance()->model();
            return history && history->viewState() == CallHistoryPage::List &&
                   (model->isReady() || model->rowCount() >= model->loadLimit());
        },
        timeoutMs);
}

} // namespace HistoryPageState
