#include "callhistorystartup.h"

#include "addressbooksync.h"
#include "callhistoryapplicationservice.h"
#include "callhistorylocale.h"
#include "callhistorypage.h"
#include "callhistoryvoicemail.h"
#include "callmodel.h"
#include "dbusadaptor.h"
#include "mapplication.h"
#include "mapplicationwindow.h"
#include "mcomponentcache.h"
#include "mlist.h"
#include "mlocale.h"
#include "modelmanager.h"
#include "pagemanager.h"
#include "rastergraphics.h"
#include "startupdeferral.h"
#include "windowrehearsal.h"

namespace {
// The window shows what the start meant to: the call history once it knows its rows (or that
// there are none), any other page as soon as it is painted.
bool firstPageShown()
{
    PageManager *pages = PageManager::instance();
    if (pages->currentPageType() != PageManager::CallHistory)
        return pages->currentPageType() != PageManager::None;
    CallHistoryPage *history = pages->callHistoryPage();
    return history && history->viewState() != CallHistoryPage::Loading;
}

// The hidden window of a prestarted process has the frame a launch will show: the call history
// on its window with its rows (or its empty text).
bool hiddenPageReady(MApplicationWindow *window)
{
    CallHistoryPage *history = PageManager::instance()->callHistoryPage();
    return history && window->currentPage() == history->scenePage() &&
           history->viewState() != CallHistoryPage::Loading;
}
} // namespace

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

    // The store reads the calls the call history shows first (all of them) in its thread while
    // this one builds the window; the page finds the load begun.
    CommHistory::CallModel *model = ModelManager::instance()->model();
    model->setFilter(CommHistory::CallModel::SortByContact, CommHistory::CallModel::AllCalls);
    model->getEvents();
    step("load");

    MLocale *locale = CallHistoryLocale::instance()->locale();
    locale->installTrCatalog(QStringLiteral("telephony"));
    MLocale::setDefault(*locale);
    step("locale");

    m_window = MComponentCache::mApplicationWindow();
    RasterGraphics::forgetAfterShown(m_window);
    step("window");
    // What the first frame does not show waits for it: the dialer and contacts pages (with the
    // accounts, Telepathy and the contact picker's address book) and the voicemail service. A
    // launch or a bus call that needs them earlier has the page manager make them.
    auto *deferral = new StartupDeferral(m_window->viewport(), firstPageShown, m_app);
    PageManager::instance()->setWindow(m_window, PageManager::CallHistoryFirst);
    // The first frame shows the rows in view only: those a screen further are made after it.
    QPointer<MList> list = PageManager::instance()->callHistoryPage()->list();
    list->setPreloading(false);
    deferral->defer([list]() {
        if (list)
            list->setPreloading(true);
    });
    deferral->defer([]() { PageManager::instance()->completePages(); });
    deferral->defer([]() { CallHistoryVoicemail::instance(); });
    // The desktop's address book, when it is the chosen one, is followed from then on.
    deferral->defer([]() { AddressBookSync::instance(); });
    step("pages");

    if (!MApplication::isPrestarted()) {
        PageManager::instance()->showDefault();
        m_window->show();
        step("show");
    } else {
        // Nothing is painted: the rest is made in the background at once, and the call history
        // lays itself out in the hidden window for the launch.
        deferral->releaseAtNextTurn();
        PageManager::instance()->prepareDefaultPage();
        // Its first frame is painted once out of sight as soon as it has its rows, so that a
        // launch finds the icons, texts and glyphs ready.
        auto *rehearsal = new WindowRehearsal(
            m_window, [window = m_window] { return hiddenPageReady(window); }, m_app);
        QObject::connect(ModelManager::instance(), &ModelManager::modelChanged, rehearsal,
                         &WindowRehearsal::request, Qt::QueuedConnection);
        rehearsal->request();
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
