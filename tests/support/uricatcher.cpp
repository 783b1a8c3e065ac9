#include "uricatcher.h"

#include <QDesktopServices>
#include <QUrl>

UriCatcher::UriCatcher(const QStringList &schemes, QObject *parent)
    : QObject(parent), m_schemes(schemes)
{
    for (const QString &scheme : m_schemes)
        QDesktopServices::setUrlHandler(scheme, this, "open");
}

UriCatcher::~UriCatcher()
{
    for (const QString &scheme : m_schemes)
        QDesktopServices::unsetUrlHandler(scheme);
}

void UriCatcher::open(const QUrl &url)
{
    uris << url.toString(QUrl::FullyEncoded);
}
