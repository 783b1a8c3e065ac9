#include "mwidget.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGraphicsScene>
#include <QGraphicsView>

MWidget::MWidget(QGraphicsItem *parent) : QGraphicsWidget(parent) {}

void MWidget::retranslateTree(QGraphicsItem *root)
{
    if (!root)
        return;
    if (root->isWidget()) {
        QEvent change(QEvent::LanguageChange);
        QCoreApplication::sendEvent(static_cast<QGraphicsWidget *>(root), &change);
    }
    const QList<QGraphicsItem *> children = root->childItems();
    for (QGraphicsItem *child : children)
        retranslateTree(child);
}

bool MWidget::event(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
    return QGraphicsWidget::event(event);
}

void MWidget::retranslateUi() {}

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
