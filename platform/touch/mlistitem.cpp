#include "mlistitem.h"

#include "maction.h"
#include "mobjectmenu.h"

#include <QGraphicsSceneContextMenuEvent>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>

namespace {
const qreal PanThreshold = 12; // pixels a finger may move and still tap
}

MListItem::MListItem(QGraphicsItem *parent) : MWidgetController(parent)
{
    setAcceptedMouseButtons(Qt::LeftButton);
    m_longPress.setSingleShot(true);
    m_longPress.setInterval(longPressTime());
    connect(&m_longPress, &QTimer::timeout, this, &MListItem::onLongPressTimeout);
}

void MListItem::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_down = true;
    m_longPressed = false;
    m_pressPos = event->scenePos();
    m_pressItemPos = mapToScene(QPointF());
    m_longPress.start();
    update();
}

void MListItem::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    if (m_down && (event->scenePos() - m_pressPos).manhattanLength() > PanThreshold)
        cancelPress();
}

void MListItem::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    const bool tap =
        m_down && !m_longPressed && rect().contains(event->pos()) && stayedUnderFinger();
    cancelPress();
    if (tap)
        Q_EMIT clicked();
}

void MListItem::ungrabMouseEvent(QEvent *)
{
    cancelPress();
}

void MListItem::cancelPress()
{
    m_longPress.stop();
    if (m_down) {
        m_down = false;
        update();
    }
}

bool MListItem::stayedUnderFinger() const
{
    const QPointF moved = mapToScene(QPointF()) - m_pressItemPos;
    return qAbs(moved.x()) < 0.5 && qAbs(moved.y()) < 0.5;
}

void MListItem::longPress()
{
    m_longPressed = true;
    onLongPressTimeout();
}

void MListItem::onLongPressTimeout()
{
    // A held press on an item that moved away from under the finger asks for nothing.
    if (m_down && !stayedUnderFinger()) {
        cancelPress();
        return;
    }
    m_longPressed = true;
    m_down = false;
    update();
    const QPointF at = rect().center();
    QGraphicsSceneContextMenuEvent menuEvent(QEvent::GraphicsSceneContextMenu);
    menuEvent.setPos(at);
    menuEvent.setScenePos(mapToScene(at));
    menuEvent.setReason(QGraphicsSceneContextMenuEvent::Mouse);
    contextMenuEvent(&menuEvent);
    Q_EMIT longTapped(at);

    QList<QAction *> entries;
    const QList<QAction *> all = actions();
    for (QAction *a : all) {
        auto *ma = qobject_cast<MAction *>(a);
        if (a->isVisible() && (!ma || (ma->location() & MAction::ObjectMenuLocation)))
            entries.append(a);
    }
    if (entries.isEmpty() || m_menu)
        return;
    m_menu = new MObjectMenu(entries);
    connect(m_menu, &QObject::destroyed, this, [this]() { m_menu = nullptr; });
    m_menu->appear(MSceneWindow::DestroyWhenDone);
    Q_EMIT objectMenuShown(m_menu);
}

void MListItem::drawBackground(QPainter *painter, const QStyleOptionGraphicsItem *option) const
{
    MWidgetController::drawBackground(painter, option);
    if (m_down)
        painter->fillRect(rect(), QColor(255, 255, 255, 20));
}
