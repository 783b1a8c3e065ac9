#include "mscenemanager.h"

#include "mapplication.h"
#include "mapplicationpage.h"
#include "mscenedimmer.h"
#include "mwindow.h"

#include <QGraphicsScene>
#include <QGraphicsWidget>

namespace {
const qreal OverlayMargin = 16;
const qreal BannerMargin = 12;
} // namespace

MSceneManager::MSceneManager(MWindow *window)
    : QObject(window), m_window(window), m_pageLayer(new QGraphicsWidget),
      m_overlayLayer(new QGraphicsWidget)
{
    QGraphicsScene *scene = window->scene();
    scene->addItem(m_pageLayer);
    scene->addItem(m_overlayLayer);
    m_pageLayer->setZValue(0);
    m_overlayLayer->setZValue(100);
    m_pageLayer->setFlag(QGraphicsItem::ItemHasNoContents);
    m_overlayLayer->setFlag(QGraphicsItem::ItemHasNoContents);
    m_dimmer = new MSceneDimmer(this, m_overlayLayer);
    m_dimmer->setZValue(-1);
}

MSceneManager::~MSceneManager()
{
    // Pages belong to their owners, not to the window: take them out of the scene so that it
    // does not delete them with itself. Pop-ups go with the scene.
    const QList<QGraphicsItem *> pages = m_pageLayer->childItems();
    for (QGraphicsItem *item : pages) {
        if (auto *w = qobject_cast<MSceneWindow *>(item->toGraphicsObject()))
            w->m_manager = nullptr;
        item->setParentItem(nullptr);
        if (item->scene())
            item->scene()->removeItem(item);
    }
    for (MSceneWindow *w : qAsConst(m_overlays))
        w->m_manager = nullptr;
}

MApplicationPage *MSceneManager::currentPage() const
{
    return qobject_cast<MApplicationPage *>(m_page.data());
}

QList<MSceneWindow *> MSceneManager::overlays() const
{
    return m_overlays;
}

void MSceneManager::appearSceneWindow(MSceneWindow *window, MSceneWindow::DeletionPolicy policy)
{
    appearSceneWindowNow(window, policy);
}

void MSceneManager::appearSceneWindowNow(MSceneWindow *window, MSceneWindow::DeletionPolicy policy)
{
    if (!window)
        return;
    window->setDeletionPolicy(policy);
    // Made, or kept out of every window, while the language changed: its texts catch up.
    if (window->m_language != MApplication::languageGeneration())
        MWidget::retranslateTree(window);
    if (window->m_manager && window->m_manager != this)
        window->m_manager->forget(window);
    window->m_manager = this;

    if (window->windowType() == MSceneWindow::ApplicationPage) {
        if (m_page == window && window->sceneWindowState() == MSceneWindow::Appeared)
            return;
        MSceneWindow *old = m_page;
        window->setParentItem(m_pageLayer);
        m_page = window;
        layoutWindow(window);
        window->setSceneWindowState(MSceneWindow::Appearing);
        window->show();
        if (old && old != window) {
            // The old page leaves the display before the new one enters it.
            old->setSceneWindowState(MSceneWindow::Disappearing);
            old->hide();
            finish(old, false);
        }
        window->setSceneWindowState(MSceneWindow::Appeared);
        if (MApplicationPage *page = currentPage())
            page->setOnDisplay(m_window->isOnDisplay());
        Q_EMIT currentPageChanged(currentPage());
        return;
    }

    if (m_overlays.contains(window)) {
        m_overlays.removeAll(window);
    }
    m_overlays.append(window);
    window->setParentItem(m_overlayLayer);
    for (int i = 0; i < m_overlays.size(); ++i)
        m_overlays.at(i)->setZValue(
            i + (m_overlays.at(i)->windowType() == MSceneWindow::Banner ? 1000 : 0));
    layoutWindow(window);
    window->setSceneWindowState(MSceneWindow::Appearing);
    window->show();
    updateDimmer();
    window->setSceneWindowState(MSceneWindow::Appeared);
}

void MSceneManager::disappearSceneWindowNow(MSceneWindow *window)
{
    if (!window || window->m_manager != this ||
        window->sceneWindowState() == MSceneWindow::Disappeared)
        return;
    window->setSceneWindowState(MSceneWindow::Disappearing);
    window->hide();
    finish(window, false);
}

void MSceneManager::dismissSceneWindowNow(MSceneWindow *window)
{
    if (!window || window->m_manager != this)
        return;
    if (window->sceneWindowState() == MSceneWindow::Disappeared) {
        if (window->deletionPolicy() != MSceneWindow::KeepWhenDone)
            window->deleteLater();
        return;
    }
    window->setSceneWindowState(MSceneWindow::Disappearing);
    window->hide();
    finish(window, true);
}

void MSceneManager::finish(MSceneWindow *window, bool dismissed)
{
    // Any page that is done is off the display, whether or not it is still the current one.
    if (auto *page = qobject_cast<MApplicationPage *>(window))
        page->setOnDisplay(false);
    if (m_page == window)
        m_page = nullptr;
    m_overlays.removeAll(window);
    updateDimmer();
    const MSceneWindow::DeletionPolicy policy = window->deletionPolicy();
    QPointer<MSceneWindow> guard(window);
    window->setSceneWindowState(MSceneWindow::Disappeared);
    if (!guard)
        return;
    if (policy == MSceneWindow::DestroyWhenDone ||
        (dismissed && policy == MSceneWindow::DestroyWhenDismissed)) {
        window->m_manager = nullptr;
        window->deleteLater();
    }
}

void MSceneManager::forget(MSceneWindow *window)
{
    if (m_page == window)
        m_page = nullptr;
    if (m_overlays.removeAll(window))
        updateDimmer();
    window->m_manager = nullptr;
}

void MSceneManager::dismissTopOverlay()
{
    for (int i = m_overlays.size() - 1; i >= 0; --i) {
        MSceneWindow *w = m_overlays.at(i);
        if (w->windowType() != MSceneWindow::Banner) {
            w->dismiss();
            return;
        }
    }
}

void MSceneManager::updateDimmer()
{
    bool dim = false;
    for (MSceneWindow *w : qAsConst(m_overlays))
        dim = dim || w->windowType() == MSceneWindow::Dialog;
    m_dimmer->setRect(m_window->pageArea());
    m_dimmer->setVisible(dim);
}

void MSceneManager::layoutWindow(MSceneWindow *window)
{
    const QRectF area = m_window->pageArea();
    switch (window->windowType()) {
    case MSceneWindow::ApplicationPage:
    case MSceneWindow::Sheet:
        window->setGeometry(area);
        break;
    case MSceneWindow::Dialog: {
        const qreal w = area.width() - 2 * OverlayMargin;
        const QSizeF hint = window->effectiveSizeHint(Qt::PreferredSize, QSizeF(w, -1));
        const qreal h = qMin(hint.height(), area.height() - 2 * OverlayMargin);
        window->setGeometry(QRectF(area.left() + OverlayMargin,
                                   area.top() + qMax(OverlayMargin, (area.height() - h) / 3), w,
                                   h));
        break;
    }
    case MSceneWindow::Banner: {
        const qreal w = area.width() - 2 * BannerMargin;
        const QSizeF hint = window->effectiveSizeHint(Qt::PreferredSize, QSizeF(w, -1));
        window->setGeometry(
            QRectF(area.left() + BannerMargin, area.top() + BannerMargin, w, hint.height()));
        break;
    }
    case MSceneWindow::PlainSceneWindow:
        window->resize(window->effectiveSizeHint(Qt::PreferredSize));
        break;
    }
}

void MSceneManager::relayoutWindow(MSceneWindow *window)
{
    if (window && window->m_manager == this)
        layoutWindow(window);
}

void MSceneManager::relayout()
{
    if (m_page)
        layoutWindow(m_page);
    for (MSceneWindow *w : qAsConst(m_overlays))
        layoutWindow(w);
    updateDimmer();
}

void MSceneManager::setOnDisplay(bool onDisplay)
{
    if (MApplicationPage *page = currentPage())
        page->setOnDisplay(onDisplay);
}
