#include "informationbanner.h"

#include "mbanner.h"

void showInformationBanner(const QString &text)
{
    auto *banner = new MBanner;
    banner->setStyleName(QStringLiteral("InformationBanner"));
    banner->setTitle(text);
    banner->appear(MSceneWindow::DestroyWhenDone);
    // Not shown (no window): nobody else will delete it.
    if (!banner->sceneManager())
        delete banner;
}
