#pragma once

#include "mwidgetcontroller.h"

#include <QElapsedTimer>
#include <QTimer>

// A widget the user pans with a finger, in the directions of panDirection(). It watches the
// presses on everything inside it: a press that moves further than a few pixels becomes a pan
// (the item pressed loses the press, so it is not tapped), the content follows the finger,
// stretches a little past either end, and on release glides on with the finger's speed and
// springs back into range. Subclasses get the position in updatePosition(). Children are
// clipped to the widget unless panning is off and they fit (contentFits()).
class MPannableWidget : public MWidgetController
{
    Q_OBJECT
public:
    explicit MPannableWidget(QGraphicsItem *parent = nullptr);

    Qt::Orientations panDirection() const { return m_direction; }
    void setPanDirection(Qt::Orientations direction) { m_direction = direction; }
    bool isEnabledPanning() const { return m_enabled; }
    void setEnabled(bool enabled);
    // The position; past either end while the user pulls or while it springs back.
    QPointF position() const { return m_position; }
    // The largest position; the smallest is (0, 0).
    virtual QSizeF panRange() const { return QSizeF(); }
    bool isPanning() const { return m_dragging || m_motion.isActive(); }
    static qreal panThreshold() { return 12; }

public Q_SLOTS:
    // Moves to position, kept within range, and stops any motion.
    void setPosition(const QPointF &position);
    void stopPanning();

Q_SIGNALS:
    void positionChanged(const QPointF &position);
    void panningStarted();
    void panningStopped();

protected:
    virtual void updatePosition(const QPointF &position);
    // Whether everything inside lies within the widget, unmoved: a widget that cannot pan then
    // needs no clipping (which every press and paint inside would pay for), it only declares
    // that its children stay inside. Subclasses call updateClipping() when it may have changed.
    virtual bool contentFits() const { return false; }
    void updateClipping();
    bool sceneEventFilter(QGraphicsItem *watched, QEvent *event) override;
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;

private:
    void press(const QPointF &scenePos);
    bool move(const QPointF &scenePos);
    void release();
    void step();
    void applyPosition(const QPointF &position);
    qreal along(const QPointF &p) const;
    qreal rangeEnd() const;
    void setPanning(bool panning);
    // Tells scene event filters on this widget about the pan (see MPanEvent).
    void announce(Qt::GestureState state, const QPointF &scenePos);

    Qt::Orientations m_direction = Qt::Vertical;
    bool m_enabled = true;
    QPointF m_position;

    bool m_pressed = false;
    bool m_dragging = false;
    bool m_reportedPanning = false;
    QPointF m_pressScene;
    qreal m_startOffset = 0;
    qreal m_velocity = 0; // pixels per millisecond along the pan direction
    qreal m_lastAlong = 0;
    QElapsedTimer m_clock;
    QTimer m_motion;
};
