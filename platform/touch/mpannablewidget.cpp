#include "mpannablewidget.h"

#include <QScrollEvent>
#include <QScrollPrepareEvent>
#include <QScroller>
#include <QScrollerProperties>

MPannableWidget::MPannableWidget(QGraphicsItem *parent) : MWidgetController(parent)
{
    setFlag(QGraphicsItem::ItemClipsChildrenToShape);
    QScroller::grabGesture(this, QScroller::LeftMouseButtonGesture);
    QScroller *scroller = QScroller::scroller(this);
    QScrollerProperties props = scroller->scrollerProperties();
    props.setScrollMetric(QScrollerProperties::OvershootDragResistanceFactor, 0.4);
    props.setScrollMetric(QScrollerProperties::OvershootScrollDistanceFactor, 0.15);
    props.setScrollMetric(QScrollerProperties::DragStartDistance, 0.004);
    props.setScrollMetric(QScrollerProperties::HorizontalOvershootPolicy,
                          QScrollerProperties::OvershootAlwaysOff);
    scroller->setScrollerProperties(props);
    connect(scroller, &QScroller::stateChanged, this, [this](QScroller::State state) {
        const bool panning = state == QScroller::Dragging || state == QScroller::Scrolling;
        if (panning == m_panning)
            return;
        m_panning = panning;
        if (panning)
            Q_EMIT panningStarted();
        else
            Q_EMIT panningStopped();
    });
}

void MPannableWidget::setPosition(const QPointF &position)
{
    const QSizeF range = panRange();
    const QPointF p(qBound<qreal>(0, position.x(), qMax<qreal>(0, range.width())),
                    qBound<qreal>(0, position.y(), qMax<qreal>(0, range.height())));
    if (p == m_position)
        return;
    m_position = p;
    updatePosition(p);
    Q_EMIT positionChanged(p);
}

void MPannableWidget::stopPanning()
{
    QScroller::scroller(this)->stop();
}

void MPannableWidget::updatePosition(const QPointF &) {}

bool MPannableWidget::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::ScrollPrepare: {
        auto *se = static_cast<QScrollPrepareEvent *>(event);
        if (!m_enabled) {
            se->ignore();
            return true;
        }
        const QSizeF range = panRange();
        se->setViewportSize(size());
        se->setContentPosRange(QRectF(0, 0, m_direction & Qt::Horizontal ? range.width() : 0,
                                      m_direction & Qt::Vertical ? range.height() : 0));
        se->setContentPos(m_position);
        se->accept();
        return true;
    }
    case QEvent::Scroll: {
        auto *se = static_cast<QScrollEvent *>(event);
        // Overshoot is drawn by moving past the ends and springing back.
        const QPointF p = se->contentPos() + se->overshootDistance();
        if (p != m_position) {
            m_position = p;
            updatePosition(p);
            Q_EMIT positionChanged(p);
        }
        return true;
    }
    default:
        return MWidgetController::event(event);
    }
}
