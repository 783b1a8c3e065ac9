#include "mwidget.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QPainterPath>
#include <QShowEvent>

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

QVariant MWidget::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change != ItemVisibleChange || !value.toBool())
        return QGraphicsWidget::itemChange(change, value);
    // What QGraphicsWidget does before a widget is shown, except asking the widget for new size
    // hints: whether it is shown changes nothing in them, only whether its layout counts it.
    QShowEvent show;
    QCoreApplication::sendEvent(this, &show);
    if (!testAttribute(Qt::WA_Resized)) {
        adjustSize();
        setAttribute(Qt::WA_Resized, false);
    }
    QGraphicsLayoutItem *parent = parentLayoutItem();
    if (parent && parent->isLayout() && layoutIsBehind(static_cast<QGraphicsLayout *>(parent)))
        static_cast<QGraphicsLayout *>(parent)->invalidate();
    return QGraphicsItem::itemChange(change, value);
}

void MWidget::setGeometry(const QRectF &rect)
{
    m_placedShown = isVisibleTo(parentItem());
    QGraphicsWidget::setGeometry(rect);
}

bool MWidget::layoutIsBehind(QGraphicsLayout *layout)
{
    for (int i = 0; i < layout->count(); ++i) {
        QGraphicsLayoutItem *item = layout->itemAt(i);
        QGraphicsItem *graphics = item ? item->graphicsItem() : nullptr;
        auto *widget = graphics && graphics->isWidget()
                           ? qobject_cast<MWidget *>(static_cast<QGraphicsWidget *>(graphics))
                           : nullptr;
        // A widget becoming shown is not hidden itself any more: it differs when it was placed
        // hidden.
        if (!widget || widget->m_placedShown != widget->isVisibleTo(widget->parentItem()))
            return true;
    }
    return false;
}

void MWidget::retranslateUi() {}

bool MWidget::collidesWithPath(const QPainterPath &path, Qt::ItemSelectionMode mode) const
{
    if (mode == Qt::IntersectsItemShape && !isClipped())
        return path.intersects(rect());
    return QGraphicsWidget::collidesWithPath(path, mode);
}

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
