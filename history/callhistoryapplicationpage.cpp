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
    QGraphicsObject *object = item ? item->toGraphicsObject() : nullptr;
    if (!object)
        return;
    m_watched.removeAll(QPointer<QGraphicsObject>()); // those destroyed meanwhile
    if (isWatched(object))
        return;
    object->installSceneEventFilter(this);
    m_watched.append(object);
}

bool CallHistoryApplicationPage::isWatched(QGraphicsItem *item) const
{
    for (const QPointer<QGraphicsObject> &watched : m_watched) {
        if (watched && watched.data() == item)
            return true;
    }
    return false;
}

QList<QGraphicsItem *> CallHistoryApplicationPage::watchedItems() const
{
    QList<QGraphicsItem *> items;
    for (const QPointer<QGraphicsObject> &watched : m_watched) {
        if (watched)
            items.append(watched.data());
    }
    return items;
}

void CallHistoryApplicationPage::createContent()
{
    MApplicationPage::createContent();
    watchItem(pannableViewport());
}

bool CallHistoryApplicationPage::sceneEventFilter(QGraphicsItem *watched, QEvent *event)
{
    if (isWatched(watched)) {
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
