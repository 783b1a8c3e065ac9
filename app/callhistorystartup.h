#pragma once

#include <functional>

class CallHistoryApplicationService;
class MApplication;
class MApplicationWindow;

// The program's start-up up to its event loop, and its end after the loop: what main() does,
// kept in one place so that the benchmarks measure the program's own start. The steps run in
// the constructor: the application service, the application object (with "-show-margins" and
// the prestart mode), the first load of the call history begun in the store's thread, the
// "telephony" catalogue in the default locale, the window handed to the page manager with the
// call history page, the default page shown unless prestarted, and the bus interface. What the
// first frame does not need (the dialer and contacts pages, the voicemail service) is made in
// the turns of the event loop right after that frame (StartupDeferral), or at once in the
// background when prestarted; whatever asks for it earlier has it made then.
//
// A step observer, when given, hears the name of each step once it is done ("application",
// "load", "locale", "window", "pages", "show" when the window was shown, "adaptor"), so that
// a benchmark can time them or watch the window before it is shown.
class CallHistoryStartup
{
public:
    typedef std::function<void(const char *step, MApplicationWindow *window)> StepObserver;

    // argc is kept by reference by the application object: it must outlive this object.
    CallHistoryStartup(int &argc, char **argv, const StepObserver &observer = StepObserver());
    ~CallHistoryStartup();
    CallHistoryStartup(const CallHistoryStartup &) = delete;
    CallHistoryStartup &operator=(const CallHistoryStartup &) = delete;

    MApplication *application() const { return m_app; }
    MApplicationWindow *window() const { return m_window; }
    CallHistoryApplicationService *service() const { return m_service; }

    // Runs the event loop; then deletes the window and the application object. Returns the
    // loop's exit code.
    int exec();

private:
    void step(const char *name);

    StepObserver m_observer;
    CallHistoryApplicationService *m_service = nullptr;
    MApplication *m_app = nullptr;
    MApplicationWindow *m_window = nullptr;
};
