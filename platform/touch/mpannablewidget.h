#pragma once

#include "mwidgetcontroller.h"

// A widget the user pans with a finger: kinetic scrolling through QScroller, in the directions
// of panDirection(). Subclasses receive the pan position in updatePosition().
class MPannableWidget : public MWidgetController
{
    Q_OBJECT
public:
    explicit MPannableWidget(QGraphicsItem *parent = nullptr);

    Qt::Orientations panDirection() const { return m_direction; }
    void setPanDirection(Qt::Orientations direction) { m_direction = direction; }
    bool isEnabledPanning() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    QPointF position() const { return m_position; }
    // The largest position; the smallest is (0, 0).
    virtual QSizeF panRange() const { return QSizeF(); }
    bool isPanning() const { return m_panning; }

public Q_SLOTS:
    void setPosition(const QPointF &position);
    // Stops any kinetic motion at once.
    void stopPanning();

Q_SIGNALS:
    void positionChanged(const QPointF &position);
    void panningStarted();
    void panningStopped();

protected:
    virtual void updatePosition(const QPointF &position);
    bool event(QEvent *event) override;

private:
    Qt::Orientations m_direction = Qt::Vertical;
    bool m_enabled = true;
    bool m_panning = false;
    QPointF m_position;
};
