#include "callscreenapplication.h"

#include "mapplication.h"
#include "mlocale.h"

bool CallScreenApplication::hasScreen()
{
    for (const char *variable : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY"}) {
        if (!qEnvironmentVariableIsEmpty(variable))
            return true;
    }
    return false;
}

QCoreApplication *CallScreenApplication::create(int &argc, char **argv, const QString &name)
{
    if (!hasScreen()) {
        auto *app = new QCoreApplication(argc, argv);
        app->setApplicationName(name);
        return app;
    }
    // No single-instance service: the call service's own bus name keeps it single.
    auto *app = new MApplication(argc, argv, name);
    app->setQuitOnLastWindowClosed(false);
    MLocale locale;
    locale.connectSettings();
    locale.installTrCatalog(QStringLiteral("telephony"));
    MLocale::setDefault(locale);
    return app;
}
