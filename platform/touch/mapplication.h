#pragma once

#include <QApplication>
#include <QList>
#include <QPointer>
#include <QStringList>

class MApplicationService;
class MApplicationWindow;
class MWindow;

namespace M {
// How a prestarted process behaves: not at all; shown once then a normal process; closed
// windows end the process; closed windows return it to the prestarted state (lazy shutdown).
enum PrestartMode { NoPrestart = 0, Prestart = 1, TerminateOnClose = 2, LazyShutdown = 3 };
} // namespace M

// The application object of the touch layer. Registers the application's single-instance
// service on the session bus (a second start hands its launch parameters to the running process
// and exits), knows its windows, and keeps the prestart state: a process started with
// "-prestart" stays hidden until a launch releases it (prestartReleased()), and in lazy-shutdown
// mode returns to hiding when its window is closed (prestartRestored()).
//
// Launch parameters are the command-line arguments that are not options (do not start with '-').
// Without a session bus the process cannot be single-instance: it says so on stderr and exits 1.
class MApplication : public QApplication
{
    Q_OBJECT
public:
    MApplication(int &argc, char **argv, const QString &appIdentifier,
                 MApplicationService *service = nullptr);
    ~MApplication() override;

    static MApplication *instance();
    QString appIdentifier() const { return m_appId; }
    MApplicationService *applicationService() const { return m_service; }
    // Launch parameters given on this process's command line.
    QStringList launchParameters() const { return m_parameters; }

    M::PrestartMode prestartMode() const { return m_prestartMode; }
    void setPrestartMode(M::PrestartMode mode);
    void setPrestartMode(int mode) { setPrestartMode(M::PrestartMode(mode)); }
    static bool isPrestarted();
    // Leaves (false) or returns to (true) the prestarted state; emits the matching signal.
    static void setPrestarted(bool prestarted);

    static bool showMargins();
    static void setShowMargins(bool show);

    static MWindow *activeWindow();
    static MApplicationWindow *activeApplicationWindow();
    static QList<MWindow *> windows();
    static void registerWindow(MWindow *window);
    static void unregisterWindow(MWindow *window);
    // Counts the language changes so far: a scene window that missed one while it was out of
    // every window catches up when it appears.
    static int languageGeneration();

Q_SIGNALS:
    void prestartReleased();
    void prestartRestored();

protected:
    // A language change reaches every widget of every window's scene at once.
    bool event(QEvent *event) override;

private:
    QString m_appId;
    MApplicationService *m_service;
    QStringList m_parameters;
    M::PrestartMode m_prestartMode = M::NoPrestart;
    bool m_prestarted = false;
};
