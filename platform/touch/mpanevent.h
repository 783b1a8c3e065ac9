#pragma once

#include <QEvent>
#include <QPointF>

// Sent by a pannable widget to itself (so that scene event filters on it see it) when a pan
// starts, moves and ends. The offset is the finger's travel since the press in the display's
// native frame: a window turned to 270 degrees reports a vertical drag on the screen as an
// offset along x, as the display hardware sees it.
class MPanEvent : public QEvent
{
public:
    static QEvent::Type eventType();

    MPanEvent(Qt::GestureState state, const QPointF &offset)
        : QEvent(eventType()), m_state(state), m_offset(offset)
    {
    }
    Qt::GestureState state() const { return m_state; }
    QPointF offset() const { return m_offset; }

private:
    Qt::GestureState m_state;
    QPointF m_offset;
};
