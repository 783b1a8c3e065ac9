#include "mcomponentcache.h"

#include "mapplication.h"
#include "mapplicationwindow.h"

MApplication *MComponentCache::mApplication(int &argc, char **argv, const QString &appIdentifier,
                                            MApplicationService *service)
{
    if (MApplication *app = MApplication::instance())
        return app;
    return new MApplication(argc, argv, appIdentifier, service);
}

MApplicationWindow *MComponentCache::mApplicationWindow()
{
    if (MApplicationWindow *w = MApplication::activeApplicationWindow())
        return w;
    return new MApplicationWindow;
}
