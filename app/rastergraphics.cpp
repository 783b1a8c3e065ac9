#include "rastergraphics.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace {
const char NoDecorations[] = "QT_WAYLAND_DISABLE_WINDOWDECORATION";
bool s_setDecorations = false;

// Waits for the first exposure of a window, which comes after the platform plugin made and
// showed the native window (and read the environment for it).
class FirstExposureWatch : public QObject
{
public:
    explicit FirstExposureWatch(QWidget *window) : QObject(window)
    {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (event->type() == QEvent::Show && widget && widget->windowHandle() && !m_handleWatched) {
            m_handleWatched = true;
            widget->windowHandle()->installEventFilter(this);
        } else if (event->type() == QEvent::Expose && watched != parent()) {
            RasterGraphics::forget();
            deleteLater();
        }
        return false;
    }

private:
    bool m_handleWatched = false;
};
} // namespace

void RasterGraphics::prepare()
{
    QCoreApplication::setAttribute(Qt::AA_ForceRasterWidgets);
    if (!qEnvironmentVariableIsSet(NoDecorations)) {
        qputenv(NoDecorations, "1");
        s_setDecorations = true;
    }
}

void RasterGraphics::forgetAfterShown(QWidget *window)
{
    if (s_setDecorations && window)
        new FirstExposureWatch(window);
}

void RasterGraphics::forget()
{
    if (!s_setDecorations)
        return;
    qunsetenv(NoDecorations);
    s_setDecorations = false;
}
