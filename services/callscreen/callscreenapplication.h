#pragma once

#include <QString>

class QCoreApplication;

// The application object of a call service that shows the call screen. With somewhere to show
// windows (a display, or a platform plugin chosen in QT_QPA_PLATFORM) it is the touch layer's
// application, with the program's translations and locale, which does not quit when the call
// screen's window is closed (the calls go on; the screen comes back with the next one). Without,
// it is a plain core application: the service follows and records calls with no screen, as a
// service started before the desktop (or by a bus with no display in its environment) must.
class CallScreenApplication
{
public:
    // Whether this process's environment names somewhere to show windows.
    static bool hasScreen();
    // The application object (owned by the caller) for a service named `name`.
    static QCoreApplication *create(int &argc, char **argv, const QString &name);
};
