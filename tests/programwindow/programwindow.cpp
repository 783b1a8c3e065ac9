#include "programwindow.h"

#include "callhistorylocale.h"
#include "mapplicationwindow.h"
#include "mlocale.h"
#include "pagemanager.h"

#include <QTest>

MApplicationWindow *TestSupport::showProgramWindow()
{
    MLocale *locale = CallHistoryLocale::instance()->locale();
    locale->installTrCatalog(QStringLiteral("telephony"));
    MLocale::setDefault(*locale);
    auto *window = new MApplicationWindow;
    window->resize(480, 854);
    PageManager::instance()->setWindow(window);
    window->show();
    if (!QTest::qWaitForWindowExposed(window)) {
        delete window;
        return nullptr;
    }
    return window;
}
