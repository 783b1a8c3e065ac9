#pragma once

class MApplication;
class MApplicationService;
class MApplicationWindow;
class QString;

// Hands out the application object and its main window. On a handset these come ready-made
// from a booster process; here they are made on request, once each.
class MComponentCache
{
public:
    static MApplication *mApplication(int &argc, char **argv, const QString &appIdentifier,
                                      MApplicationService *service = nullptr);
    static MApplicationWindow *mApplicationWindow();
};
