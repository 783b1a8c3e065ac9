#include "mwidget.h"

#include <QGraphicsScene>
#include <QGraphicsView>

MWidget::MWidget(QGraphicsItem *parent) : QGraphicsWidget(parent) {}

bool MWidget::isOnDisplay() const
{
    if (!isVisible() || !scene())
        return false;
    const QList<QGraphicsView *> views = scene()->views();
    for (QGraphicsView *v : views) {
        if (v->isVisible())
            return true;
    }
    return false;
}
