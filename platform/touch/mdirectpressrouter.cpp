#include "mdirectpressrouter.h"

#include "mapplicationpage.h"
#include "mscenemanager.h"

#include <QCoreApplication>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsView>
#include <QMouseEvent>

MDirectPressRouter::MDirectPressRouter(QGraphicsView *view, MSceneManager *scenes, QObject *parent)
    : QObject(parent), m_view(view), m_scenes(scenes)
{
}

QGraphicsWidget *MDirectPressRouter::targetAt(const QPointF &scenePos) const
{
    const QGraphicsScene *scene = m_view->scene();
    if (!scene || scene->mouseGrabberItem() || !m_scenes->overlays().isEmpty())
        return nullptr;
    const MApplicationPage *page = m_scenes->currentPage();
    QGraphicsWidget *target = page ? page->directPressTargetAt(scenePos) : nullptr;
    if (!target || target->scene() != scene || !target->isVisible() || !target->isEnabled() ||
        !(target->acceptedMouseButtons() & Qt::LeftButton))
        return nullptr;
    // The scene would give the focus to the first item under the finger that takes it on a
    // click, or activate a panel: those presses keep the scene's way.
    for (const QGraphicsItem *item = target; item; item = item->parentItem()) {
        if (item->isPanel() || item->isBlockedByModalPanel())
            return nullptr;
        if (item->flags() & QGraphicsItem::ItemIsFocusable &&
            (!item->isWidget() ||
             static_cast<const QGraphicsWidget *>(item)->focusPolicy() & Qt::ClickFocus))
            return nullptr;
    }
    return target;
}

bool MDirectPressRouter::press(QMouseEvent *event)
{
    if (m_target) {
        // Another button while the finger is down goes where the first went, as to a grabber.
        if (!stillRouted())
            return false;
        deliver(QEvent::GraphicsSceneMousePress, event);
        return true;
    }
    if (event->button() != Qt::LeftButton || event->buttons() != Qt::LeftButton ||
        !m_view->isInteractive())
        return false;
    const QPointF scenePos = m_view->mapToScene(event->pos());
    QGraphicsWidget *target = targetAt(scenePos);
    if (!target)
        return false;
    QGraphicsScene *scene = m_view->scene();
    // What the scene's press does when nothing under the finger takes the focus.
    if (scene->focusItem() && !scene->stickyFocus())
        scene->setFocusItem(nullptr, Qt::MouseFocusReason);
    route(target);
    m_downScenePos = m_lastScenePos = scenePos;
    m_downScreenPos = m_lastScreenPos = event->globalPos();
    ++m_routedPresses;
    if (deliver(QEvent::GraphicsSceneMousePress, event))
        return true;
    // A target should take every press; one that lets it pass gets it once more from the
    // scene, which then offers it to what lies under.
    route(nullptr);
    return false;
}

bool MDirectPressRouter::move(QMouseEvent *event)
{
    if (!stillRouted())
        return false;
    deliver(QEvent::GraphicsSceneMouseMove, event);
    // An ancestor that starts panning takes the mouse: the target hears of it at once.
    stillRouted();
    return true;
}

bool MDirectPressRouter::doubleClick(QMouseEvent *event)
{
    if (!stillRouted())
        return false;
    deliver(QEvent::GraphicsSceneMouseDoubleClick, event);
    return true;
}

bool MDirectPressRouter::release(QMouseEvent *event)
{
    if (!stillRouted())
        return false;
    deliver(QEvent::GraphicsSceneMouseRelease, event);
    // The last button up ends the press, which the scene tells its grabber too.
    if (event->buttons() == Qt::NoButton)
        letGo();
    return true;
}

bool MDirectPressRouter::stillRouted()
{
    if (!m_target)
        return false;
    const QGraphicsScene *scene = m_view->scene();
    if (m_target->scene() == scene && !scene->mouseGrabberItem() && m_target->isVisible() &&
        m_target->isEnabled())
        return true;
    // Hidden, disabled or overtaken: what follows goes through the scene.
    letGo();
    return false;
}

void MDirectPressRouter::route(QGraphicsWidget *target)
{
    disconnect(m_hidden);
    disconnect(m_disabled);
    m_target = target;
    if (!target)
        return;
    // The scene takes the mouse from a grabber that is hidden or disabled at that moment.
    const auto check = [this] {
        if (m_target && (!m_target->isVisible() || !m_target->isEnabled()))
            letGo();
    };
    m_hidden = connect(target, &QGraphicsObject::visibleChanged, this, check);
    m_disabled = connect(target, &QGraphicsObject::enabledChanged, this, check);
}

void MDirectPressRouter::letGo()
{
    QGraphicsWidget *target = m_target;
    route(nullptr);
    if (!target || !target->scene())
        return;
    QEvent ungrab(QEvent::UngrabMouse);
    // The scene tells a grabber before it turns disabled; this hears of it after, when the
    // scene no longer delivers to it.
    if (target->isEnabled())
        target->scene()->sendEvent(target, &ungrab);
    else
        QCoreApplication::sendEvent(target, &ungrab);
}

bool MDirectPressRouter::deliver(QEvent::Type type, QMouseEvent *event)
{
    QGraphicsWidget *target = m_target;
    const QPointF scenePos = m_view->mapToScene(event->pos());
    const QPoint screenPos = event->globalPos();
    QGraphicsSceneMouseEvent sceneEvent(type);
    sceneEvent.setWidget(m_view->viewport());
    sceneEvent.setButtonDownScenePos(Qt::LeftButton, m_downScenePos);
    sceneEvent.setButtonDownScreenPos(Qt::LeftButton, m_downScreenPos);
    sceneEvent.setButtonDownPos(Qt::LeftButton, target->mapFromScene(m_downScenePos));
    sceneEvent.setScenePos(scenePos);
    sceneEvent.setScreenPos(screenPos);
    sceneEvent.setPos(target->mapFromScene(scenePos));
    sceneEvent.setLastScenePos(m_lastScenePos);
    sceneEvent.setLastScreenPos(m_lastScreenPos);
    sceneEvent.setLastPos(target->mapFromScene(m_lastScenePos));
    sceneEvent.setButtons(event->buttons());
    sceneEvent.setButton(event->button());
    sceneEvent.setModifiers(event->modifiers());
    sceneEvent.setSource(event->source());
    sceneEvent.setFlags(event->flags());
    sceneEvent.setAccepted(false);
    m_lastScenePos = scenePos;
    m_lastScreenPos = screenPos;
    target->scene()->sendEvent(target, &sceneEvent);
    // As the scene does: a press counts as taken when the target took it; what follows a press
    // belongs to the target, taken or not.
    const bool taken = type != QEvent::GraphicsSceneMousePress || sceneEvent.isAccepted();
    event->setAccepted(taken);
    return sceneEvent.isAccepted();
}
