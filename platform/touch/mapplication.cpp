#include "mapplication.h"

#include "mapplicationservice.h"
#include "mapplicationwindow.h"
#include "mwindow.h"

#include <QTimer>

namespace {
QList<MWindow *> s_windows;
bool s_showMargins = false;
int s_languageGeneration = 0;
} // namespace

MApplication::MApplication(int &argc, char **argv, const QString &appIdentifier,
                           MApplicationService *service)
    : QApplication(argc, argv), m_appId(appIdentifier), m_service(service)
{
    setApplicationName(appIdentifier);
    // Graphics widgets take the application's direction only when made: tell the scenes.
    connect(this, &QGuiApplication::layoutDirectionChanged, this, []() {
        for (MWindow *w : qAsConst(s_windows))
            w->followLayoutDirection();
    });
    setQuitOnLastWindowClosed(true);
    const QStringList args = arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QLatin1String("-prestart"))
            m_prestarted = true;
        else if (!a.startsWith(QLatin1Char('-')))
            m_parameters << a;
    }
    if (m_service) {
        m_service->setParent(this);
        if (!m_service->registerService())
            m_service->handleServiceRegistrationFailure();
        // Parameters given to the first instance are handled like a later launch request,
        // once the program has set itself up and the event loop runs.
        if (!m_parameters.isEmpty() && !m_prestarted) {
            QTimer::singleShot(0, this, [this]() {
                if (m_service)
                    m_service->launch(m_parameters);
            });
        }
    }
}

MApplication::~MApplication() = default;

bool MApplication::event(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ++s_languageGeneration;
        for (MWindow *w : qAsConst(s_windows))
            w->retranslate();
    }
    return QApplication::event(event);
}

int MApplication::languageGeneration()
{
    return s_languageGeneration;
}

MApplication *MApplication::instance()
{
    return qobject_cast<MApplication *>(QCoreApplication::instance());
}

void MApplication::setPrestartMode(M::PrestartMode mode)
{
    m_prestartMode = mode;
    // Hidden windows must not end a process that waits to be shown again.
    setQuitOnLastWindowClosed(mode != M::LazyShutdown);
}

bool MApplication::isPrestarted()
{
    MApplication *app = instance();
    return app && app->m_prestarted;
}

void MApplication::setPrestarted(bool prestarted)
{
    MApplication *app = instance();
    if (!app || app->m_prestarted == prestarted)
        return;
    app->m_prestarted = prestarted;
    if (prestarted) {
        for (MWindow *w : qAsConst(s_windows))
            w->hide();
        Q_EMIT app->prestartRestored();
    } else {
        Q_EMIT app->prestartReleased();
    }
}

bool MApplication::showMargins()
{
    return s_showMargins;
}

void MApplication::setShowMargins(bool show)
{
    s_showMargins = show;
}

MWindow *MApplication::activeWindow()
{
    if (auto *w = qobject_cast<MWindow *>(QApplication::activeWindow()))
        return w;
    return s_windows.isEmpty() ? nullptr : s_windows.first();
}

MApplicationWindow *MApplication::activeApplicationWindow()
{
    if (auto *w = qobject_cast<MApplicationWindow *>(activeWindow()))
        return w;
    for (MWindow *w : qAsConst(s_windows)) {
        if (auto *aw = qobject_cast<MApplicationWindow *>(w))
            return aw;
    }
    return nullptr;
}

QList<MWindow *> MApplication::windows()
{
    return s_windows;
}

void MApplication::registerWindow(MWindow *window)
{
    if (!s_windows.contains(window))
        s_windows.append(window);
}

void MApplication::unregisterWindow(MWindow *window)
{
    s_windows.removeAll(window);
}
