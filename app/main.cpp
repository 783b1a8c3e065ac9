#include "callhistoryapplicationservice.h"
#include "callhistorylocale.h"
#include "callhistoryvoicemail.h"
#include "dbusadaptor.h"
#include "mapplication.h"
#include "mapplicationwindow.h"
#include "mcomponentcache.h"
#include "mlocale.h"
#include "pagemanager.h"

int main(int argc, char **argv)
{
    auto *service =
        new CallHistoryApplicationService(QStringLiteral("com.velto.telephony.callhistory"));
    MApplication *app =
        MComponentCache::mApplication(argc, argv, QStringLiteral("call-history"), service);
    if (app->arguments().contains(QStringLiteral("-show-margins")))
        MApplication::setShowMargins(true);
    app->setPrestartMode(M::LazyShutdown);

    MLocale *locale = CallHistoryLocale::instance()->locale();
    locale->installTrCatalog(QStringLiteral("telephony"));
    MLocale::setDefault(*locale);

    MApplicationWindow *window = MComponentCache::mApplicationWindow();
    PageManager::instance()->setWindow(window);
    CallHistoryVoicemail::instance();

    if (!MApplication::isPrestarted()) {
        PageManager::instance()->showDefault();
        window->show();
    }

    new DBusAdaptor(app);

    const int result = app->exec();
    delete window;
    delete app;
    return result;
}
