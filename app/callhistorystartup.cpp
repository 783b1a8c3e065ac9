#include "callhistorystartup.h"

#include "callhistoryapplicationservice.h"
#include "callhistorylocale.h"
#include "callhistoryvoicemail.h"
#include "dbusadaptor.h"
#include "mapplication.h"
#include "mapplicationwindow.h"
#include "mcomponentcache.h"
#include "mlocale.h"
#include "pagemanager.h"
#include "rastergraphics.h"

CallHistoryStartup::CallHistoryStartup(int &argc, char **argv, const StepObserver &observer)
    : m_observer(observer)
{
    RasterGraphics::prepare();
    m_service =
        new CallHistoryApplicationService(QStringLiteral("com.velto.telephony.callhistory"));
    m_app = MComponentCache::mApplication(argc, argv, QStringLiteral("call-history"), m_service);
    if (m_app->arguments().contains(QStringLiteral("-show-margins")))
        MApplication::setShowMargins(true);
    m_app->setPrestartMode(M::LazyShutdown);
    step("application");

    MLocale *locale = CallHistoryLocale::instance()->locale();
    locale->installTrCatalog(QStringLiteral("telephony"));
    MLocale::setDefault(*locale);
    step("locale");

    m_window = MComponentCache::mApplicationWindow();
    RasterGraphics::forgetAfterShown(m_window);
    step("window");
    PageManager::instance()->setWindow(m_window);
    step("pages");
    CallHistoryVoicemail::instance();
    step("voicemail");

    if (!MApplication::isPrestarted()) {
        PageManager::instance()->showDefault();
        m_window->show();
        step("show");
    }

    new DBusAdaptor(m_app);
    step("adaptor");
    m_observer = StepObserver();
}

CallHistoryStartup::~CallHistoryStartup()
{
    delete m_window;
    delete m_app;
}

void CallHistoryStartup::step(const char *name)
{
    if (m_observer)
        m_observer(name, m_window);
}

int CallHistoryStartup::exec()
{
    const int result = m_app->exec();
    delete m_window;
    m_window = nullptr;
    delete m_app;
    m_app = nullptr;
    return result;
}
