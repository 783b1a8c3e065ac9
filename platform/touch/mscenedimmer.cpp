#include "mscenedimmer.h"

#include "mscenemanager.h"

#include <QBrush>
#include <QGraphicsSceneMouseEvent>
#include <QPen>

MSceneDimmer::MSceneDimmer(MSceneManager *manager, QGraphicsItem *parent)
    : QGraphicsRectItem(parent), m_manager(manager)
{
    setBrush(QColor(0, 0, 0, 140));
    setPen(Qt::NoPen);
    setAcceptedMouseButtons(Qt::LeftButton);
    hide();
}

void MSceneDimmer::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    m_pressed = true;
    event->accept();
}

void MSceneDimmer::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    if (m_pressed && rect().contains(event->pos()))
        m_manager->dismissTopOverlay();
    m_pressed = false;
}
