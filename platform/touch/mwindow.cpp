#include "mwindow.h"

#include "mapplication.h"
#include "mdirectpressrouter.h"
#include "mscenemanager.h"
#include "mtheme.h"
#include "mwidget.h"

#include <QEvent>
#include <QGraphicsScene>
#include <QResizeEvent>

MWindow::MWindow(QWidget *parent) : QGraphicsView(parent)
{
    auto *scene = new QGraphicsScene(this);
    setScene(scene);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                   QPainter::SmoothPixmapTransform);
    setViewportUpdateMode(QGraphicsView::MinimalViewportUpdate);
    setOptimizationFlags(QGraphicsView::DontSavePainterState);
    const QColor bg = MTheme::instance()->style(QStringLiteral("Default")).backgroundColor;
    setBackgroundBrush(bg.isValid() ? bg : QColor(0x10, 0x14, 0x18));
    // The scene's opaque background covers every repainted pixel: the viewport is not filled
    // first with its own.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    scene->setSceneRect(0, 0, 480, 854);
    m_sceneManager = new MSceneManager(this);
    m_pressRouter = new MDirectPressRouter(this, m_sceneManager, this);
    resize(480, 854);
    MApplication::registerWindow(this);
}

MWindow::~MWindow()
{
    MApplication::unregisterWindow(this);
    delete m_pressRouter;
    m_pressRouter = nullptr;
    delete m_sceneManager;
    m_sceneManager = nullptr;
}

QSizeF MWindow::sceneSize() const
{
    return scene()->sceneRect().size();
}

QRectF MWindow::pageArea() const
{
    return QRectF(QPointF(0, 0), sceneSize());
}

void MWindow::resizeEvent(QResizeEvent *event)
{
    QGraphicsView::resizeEvent(event);
    scene()->setSceneRect(0, 0, event->size().width(), event->size().height());
    layoutChrome();
    if (m_sceneManager)
        m_sceneManager->relayout();
}

void MWindow::layoutChrome() {}

void MWindow::retranslate()
{
    const QList<QGraphicsItem *> items = scene()->items();
    for (QGraphicsItem *item : items) {
        if (!item->parentItem())
            MWidget::retranslateTree(item);
    }
}

void MWindow::followLayoutDirection()
{
    const QList<QGraphicsItem *> items = scene()->items();
    for (QGraphicsItem *item : items) {
        if (!item->parentItem() && item->isWidget())
            static_cast<QGraphicsWidget *>(item)->unsetLayoutDirection();
    }
}

void MWindow::showEvent(QShowEvent *event)
{
    QGraphicsView::showEvent(event);
    setOnDisplay(true);
}

void MWindow::hideEvent(QHideEvent *event)
{
    QGraphicsView::hideEvent(event);
    setOnDisplay(false);
}

void MWindow::changeEvent(QEvent *event)
{
    QGraphicsView::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    if (isMinimized()) {
        Q_EMIT switcherEntered();
        setOnDisplay(false);
    } else if (isVisible()) {
        Q_EMIT switcherExited();
        setOnDisplay(true);
    }
}

void MWindow::mousePressEvent(QMouseEvent *event)
{
    if (!m_pressRouter || !m_pressRouter->press(event))
        QGraphicsView::mousePressEvent(event);
}

void MWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressRouter || !m_pressRouter->move(event))
        QGraphicsView::mouseMoveEvent(event);
}

void MWindow::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_pressRouter || !m_pressRouter->release(event))
        QGraphicsView::mouseReleaseEvent(event);
}

void MWindow::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (!m_pressRouter || !m_pressRouter->doubleClick(event))
        QGraphicsView::mouseDoubleClickEvent(event);
}

void MWindow::setOnDisplay(bool onDisplay)
{
    if (onDisplay == m_onDisplay)
        return;
    m_onDisplay = onDisplay;
    if (m_sceneManager)
        m_sceneManager->setOnDisplay(onDisplay);
    if (onDisplay)
        Q_EMIT displayEntered();
    else
        Q_EMIT displayExited();
}
