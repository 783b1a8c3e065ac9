#include "mpannablewidget.h"

#include "mpanevent.h"
#include "mwindow.h"

#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsView>
#include <QTransform>

namespace {
const qreal Resistance = 0.4;  // how much of a pull past the end the content follows
const qreal Friction = 0.0022; // share of speed lost per millisecond of gliding
const qreal Spring = 0.2;      // share of the distance back into range covered per frame
const qreal StopSpeed = 0.02;  // pixels per millisecond under which gliding ends
const int FrameMs = 16;
} // namespace

MPannableWidget::MPannableWidget(QGraphicsItem *parent) : MWidgetController(parent)
{
    setFlag(QGraphicsItem::ItemClipsChildrenToShape);
    setFiltersChildEvents(true);
    setAcceptedMouseButtons(Qt::LeftButton);
    m_motion.setInterval(FrameMs);
    connect(&m_motion, &QTimer::timeout, this, &MPannableWidget::step);
}

qreal MPannableWidget::along(const QPointF &p) const
{
    return m_direction & Qt::Vertical ? p.y() : p.x();
}

qreal MPannableWidget::rangeEnd() const
{
    const QSizeF r = panRange();
    return qMax<qreal>(0, m_direction & Qt::Vertical ? r.height() : r.width());
}

void MPannableWidget::setEnabled(bool enabled)
{
    m_enabled = enabled;
    updateClipping();
}

void MPannableWidget::updateClipping()
{
    // Content that fits is still declared to stay inside: the scene then keeps treating the
    // children as one block (their cached pictures survive the page being hidden and shown).
    const bool clip = m_enabled || !contentFits();
    if (bool(flags() & QGraphicsItem::ItemClipsChildrenToShape) != clip) {
        setFlag(QGraphicsItem::ItemContainsChildrenInShape, !clip);
        setFlag(QGraphicsItem::ItemClipsChildrenToShape, clip);
    }
}

void MPannableWidget::setPosition(const QPointF &position)
{
    m_motion.stop();
    const QSizeF range = panRange();
    const QPointF p(qBound<qreal>(0, position.x(), qMax<qreal>(0, range.width())),
                    qBound<qreal>(0, position.y(), qMax<qreal>(0, range.height())));
    applyPosition(p);
    if (!m_dragging)
        setPanning(false);
}

void MPannableWidget::stopPanning()
{
    m_motion.stop();
    m_velocity = 0;
    const qreal a = along(m_position);
    if (a < 0 || a > rangeEnd())
        setPosition(m_position);
    if (!m_dragging)
        setPanning(false);
}

void MPannableWidget::applyPosition(const QPointF &p)
{
    if (p == m_position)
        return;
    m_position = p;
    updatePosition(p);
    Q_EMIT positionChanged(p);
}

void MPannableWidget::updatePosition(const QPointF &) {}

void MPannableWidget::setPanning(bool panning)
{
    if (panning == m_reportedPanning)
        return;
    m_reportedPanning = panning;
    if (panning)
        Q_EMIT panningStarted();
    else
        Q_EMIT panningStopped();
}

void MPannableWidget::press(const QPointF &scenePos)
{
    m_pressed = true;
    m_dragging = false;
    m_pressScene = scenePos;
    m_motion.stop();
    m_velocity = 0;
}

bool MPannableWidget::move(const QPointF &scenePos)
{
    if (!m_pressed || !m_enabled)
        return false;
    const qreal travelled = along(scenePos) - along(m_pressScene);
    if (!m_dragging) {
        if (qAbs(travelled) <= panThreshold())
            return false;
        m_dragging = true;
        m_startOffset = along(m_position) + travelled;
        m_lastAlong = along(scenePos);
        m_clock.start();
        // The pan takes the finger from whatever was pressed.
        grabMouse();
        setPanning(true);
        announce(Qt::GestureStarted, scenePos);
    }
    const qreal now = along(scenePos);
    const qint64 dt = qMax<qint64>(1, m_clock.restart());
    const qreal instant = (m_lastAlong - now) / dt;
    m_velocity = 0.6 * instant + 0.4 * m_velocity;
    m_lastAlong = now;

    qreal target = m_startOffset - (now - along(m_pressScene));
    const qreal end = rangeEnd();
    if (target < 0)
        target *= Resistance;
    else if (target > end)
        target = end + (target - end) * Resistance;
    applyPosition(m_direction & Qt::Vertical ? QPointF(m_position.x(), target)
                                             : QPointF(target, m_position.y()));
    return true;
}

void MPannableWidget::release()
{
    const bool wasDragging = m_dragging;
    m_pressed = false;
    m_dragging = false;
    if (!wasDragging)
        return;
    announce(Qt::GestureFinished, m_pressScene);
    if (m_clock.isValid() && m_clock.elapsed() > 80)
        m_velocity = 0;
    ungrabMouse();
    m_clock.start();
    m_motion.start();
}

void MPannableWidget::step()
{
    const qreal dt = qMax<qint64>(1, m_clock.restart());
    qreal a = along(m_position);
    const qreal end = rangeEnd();
    if (a < 0 || a > end) {
        const qreal bound = a < 0 ? 0 : end;
        m_velocity = 0;
        a += (bound - a) * Spring;
        if (qAbs(bound - a) < 0.5)
            a = bound;
    } else {
        a += m_velocity * dt;
        m_velocity *= qMax<qreal>(0, 1 - Friction * dt);
        if (a < 0 || a > end)
            m_velocity *= 0.3; // ran into an end: a short overshoot, then back
    }
    applyPosition(m_direction & Qt::Vertical ? QPointF(m_position.x(), a)
                                             : QPointF(a, m_position.y()));
    if (a >= 0 && a <= end && qAbs(m_velocity) < StopSpeed) {
        m_motion.stop();
        setPanning(false);
    }
}

void MPannableWidget::announce(Qt::GestureState state, const QPointF &scenePos)
{
    if (!scene())
        return;
    int angle = 0;
    const QList<QGraphicsView *> views = scene()->views();
    if (auto *window = views.isEmpty() ? nullptr : qobject_cast<MWindow *>(views.first()))
        angle = window->orientationAngle();
    const QPointF offset = QTransform().rotate(-angle).map(scenePos - m_pressScene);
    MPanEvent event(state, offset);
    scene()->sendEvent(this, &event);
}

bool MPannableWidget::sceneEventFilter(QGraphicsItem *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::GraphicsSceneMousePress:
        press(static_cast<QGraphicsSceneMouseEvent *>(event)->scenePos());
        break;
    case QEvent::GraphicsSceneMouseMove:
        if (move(static_cast<QGraphicsSceneMouseEvent *>(event)->scenePos()))
            return true;
        break;
    case QEvent::GraphicsSceneMouseRelease:
        if (m_dragging) {
            release();
            return true;
        }
        m_pressed = false;
        break;
    default:
        break;
    }
    return MWidgetController::sceneEventFilter(watched, event);
}

void MPannableWidget::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    press(event->scenePos());
    event->accept();
}

void MPannableWidget::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    move(event->scenePos());
}

void MPannableWidget::mouseReleaseEvent(QGraphicsSceneMouseEvent *)
{
    release();
    m_pressed = false;
}
