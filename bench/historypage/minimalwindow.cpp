// The baseline of the call history page's start-up figures: the least a Qt program with a
// graphics view window of the program's size (a few rows of rectangles and text) needs to show
// its first frame, linked against Qt Widgets only. Prints, as the page benchmark's children do:
//  - baseline_main, baseline_spawn: from main() and from the parent's spawn to the end of the
//    first paint;
//  - baseline_show: a second window, made and left hidden, from show() to its first paint, the
//    least a launch of a process waiting in the background costs.

#include "benchchild.h"
#include "firstframewatch.h"
#include "minimalview.h"

#include <QApplication>
#include <QGraphicsView>

using namespace BenchChild;

int main(int argc, char **argv)
{
    const double mainStartMs = FirstFrameWatch::monotonicMs();
    // Raster only, as the program draws (see its start-up): no OpenGL stack loaded.
    QCoreApplication::setAttribute(Qt::AA_ForceRasterWidgets);
    if (!qEnvironmentVariableIsSet("QT_WAYLAND_DISABLE_WINDOWDECORATION"))
        qputenv("QT_WAYLAND_DISABLE_WINDOWDECORATION", "1");
    QApplication app(argc, argv);
    QGraphicsView *first = makeMinimalView();
    FirstFrameWatch firstFrame(first->viewport(), [] { return true; });
    first->show();
    if (!spinUntil([&] { return firstFrame.hasPainted(); }, 30000))
        return fail(QStringLiteral("baseline: the minimal window did not paint within 30 s"));
    figure("baseline_main", firstFrame.paintedAtMs() - mainStartMs);
    if (spawnMs() > 0)
        figure("baseline_spawn", firstFrame.paintedAtMs() - spawnMs());

    first->hide();
    QGraphicsView *second = makeMinimalView();
    FirstFrameWatch secondFrame(second->viewport(), [] { return true; });
    settle(300);
    const double showAt = FirstFrameWatch::monotonicMs();
    second->show();
    if (!spinUntil([&] { return secondFrame.hasPainted(); }, 30000))
        return fail(QStringLiteral("baseline: the hidden window did not paint within 30 s"));
    figure("baseline_show", secondFrame.paintedAtMs() - showAt);
    delete second;
    delete first;
    return 0;
}
