// The baseline of the memory benchmark: the minimal graphics view window (see minimalview.h)
// shown, painted once and left on screen for a moment, then its memory printed as the
// benchmark's children print it ("figure NAME VALUE", KiB). Options:
//  --hidden: the window is made but never shown, as a process waiting in the background;
//  --qt-default-graphics: Qt's own choices (under X11 and Wayland it loads the OpenGL stack),
//    instead of the raster-only drawing the program chooses.

#include "benchchild.h"
#include "firstframewatch.h"
#include "minimalview.h"
#include "processmemory.h"

#include <QApplication>
#include <QGraphicsView>

using namespace BenchChild;

int main(int argc, char **argv)
{
    bool hidden = false;
    bool qtDefault = false;
    for (int i = 1; i < argc; ++i) {
        hidden = hidden || qstrcmp(argv[i], "--hidden") == 0;
        qtDefault = qtDefault || qstrcmp(argv[i], "--qt-default-graphics") == 0;
    }
    if (!qtDefault) {
        QCoreApplication::setAttribute(Qt::AA_ForceRasterWidgets);
        if (!qEnvironmentVariableIsSet("QT_WAYLAND_DISABLE_WINDOWDECORATION"))
            qputenv("QT_WAYLAND_DISABLE_WINDOWDECORATION", "1");
    }
    QApplication app(argc, argv);
    QGraphicsView *view = makeMinimalView();
    FirstFrameWatch frame(view->viewport(), [] { return true; });
    if (!hidden) {
        view->show();
        if (!spinUntil([&] { return frame.hasPainted(); }, 30000))
            return fail(QStringLiteral("the minimal window did not paint within 30 s"));
    }
    settle(1000);
    const ProcessMemory m = ProcessMemory::current();
    figure("rss", m.rss);
    figure("pss", m.pss);
    figure("private_dirty", m.privateDirty);
    figure("peak_rss", m.peakRss);
    for (const ProcessMemory::Part &part : ProcessMemory::breakdown())
        figure("part:" + QByteArray(part.kind).replace(' ', '_'), part.rss);
    delete view;
    return 0;
}
