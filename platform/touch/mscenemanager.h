#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRectF>

#include "mscenewindow.h"

class MApplicationPage;
class MSceneDimmer;
class MWindow;
class QGraphicsWidget;

// Shows a window's scene windows in layers: one application page at a time in the page area;
// dialogs and sheets above it, over a dimmed page; banners on top. Appearing and disappearing
// are immediate (the "Now" operations); the others are kept as the same for callers that ask for
// animated transitions. Applies each window's deletion policy when it is done.
class MSceneManager : public QObject
{
    Q_OBJECT
public:
    explicit MSceneManager(MWindow *window);
    ~MSceneManager() override;

    void appearSceneWindowNow(MSceneWindow *window,
                              MSceneWindow::DeletionPolicy policy = MSceneWindow::KeepWhenDone);
    void appearSceneWindow(MSceneWindow *window,
                           MSceneWindow::DeletionPolicy policy = MSceneWindow::KeepWhenDone);
    void disappearSceneWindowNow(MSceneWindow *window);
    void disappearSceneWindow(MSceneWindow *window) { disappearSceneWindowNow(window); }
    void dismissSceneWindowNow(MSceneWindow *window);
    void dismissSceneWindow(MSceneWindow *window) { dismissSceneWindowNow(window); }

    MApplicationPage *currentPage() const;
    // Dialogs, sheets and banners now shown, bottom first.
    QList<MSceneWindow *> overlays() const;
    // Lays the shown windows out again (after the window was resized).
    void relayout();
    // Lays one shown window out again (its content changed size).
    void relayoutWindow(MSceneWindow *window);
    // The window's display state changed: tells the current page.
    void setOnDisplay(bool onDisplay);

Q_SIGNALS:
    void currentPageChanged(MApplicationPage *page);

private:
    friend class MSceneWindow;
    friend class MSceneDimmer;
    void forget(MSceneWindow *window);
    void finish(MSceneWindow *window, bool dismissed);
    void layoutWindow(MSceneWindow *window);
    void updateDimmer();
    void dismissTopOverlay();

    MWindow *m_window;
    QGraphicsWidget *m_pageLayer;
    QGraphicsWidget *m_overlayLayer;
    MSceneDimmer *m_dimmer;
    QPointer<MSceneWindow> m_page;
    QList<MSceneWindow *> m_overlays;
};
