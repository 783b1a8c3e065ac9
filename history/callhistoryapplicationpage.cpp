#include "callhistoryapplicationpage.h"

#include "mpanevent.h"
#include "mpannableviewport.h"

#include <QGestureEvent>
#include <QPanGesture>

CallHistoryApplicationPage::CallHistoryApplicationPage(QGraphicsItem *parent)
    : MApplicationPage(parent)
{
}

void CallHistoryApplicationPage::watchItem(QGraphicsItem *item)
{
    if (m_watched.contains(item))
        return;
    if (item)
        item->installSceneEventFilter(this);
    m_watched.append(item);
}

void CallHistoryApplicationPage::createContent()
{
    MApplicationPage::createContent();
    MPannableViewport *viewport = pannableViewport();
    if (viewport)
        viewport->installSceneEventFilter(this);
    m_watched.append(viewport);
}

bool CallHistoryApplicationPage::sceneEventFilter(QGraphicsItem *watched, QEvent *event)
{
    if (m_watched.contains(watched)) {
        // Qt's own pan gestures, and the pans of our pannable widgets, which report theirs with
        // the same state and offset.
        if (event->type() == QEvent::Gesture) {
            auto *pan = static_cast<QPanGesture *>(
                static_cast<QGestureEvent *>(event)->gesture(Qt::PanGesture));
            if (pan && pan->state() == Qt::GestureStarted)
                panStarted(watched, pan->offset());
        } else if (event->type() == MPanEvent::eventType()) {
            auto *pan = static_cast<MPanEvent *>(event);
            if (pan->state() == Qt::GestureStarted)
                panStarted(watched, pan->offset());
        }
    }
    return MApplicationPage::sceneEventFilter(watched, event);
}

void CallHistoryApplicationPage::panStarted(QGraphicsItem *watched, const QPointF &offset)
{
    QGraphicsItem *focus = watched->focusItem();
    if (!focus)
        return;
    // The offset is in the display's native frame, turned against the portrait window: a
    // mostly-x offset is a vertical pan on the screen.
    const int direction = qAbs(offset.x()) > qAbs(offset.y()) ? Qt::Vertical : Qt::Horizontal;
    auto *pannable = qobject_cast<MPannableWidget *>(watched->toGraphicsObject());
    const int panDirection = pannable ? int(pannable->panDirection()) : 0;
    if (direction & panDirection)
        focus->clearFocus();
}
