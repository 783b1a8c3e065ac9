#include "mpannableviewport.h"

#include <QEvent>
#include <QGraphicsLayout>
#include <QGraphicsSceneResizeEvent>

MPannableViewport::MPannableViewport(QGraphicsItem *parent) : MPannableWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

MPannableViewport::~MPannableViewport()
{
    const QList<QGraphicsItem *> children = childItems();
    for (QGraphicsItem *child : children)
        delete child;
}

void MPannableViewport::setWidget(QGraphicsWidget *widget)
{
    if (m_widget == widget)
        return;
    if (m_widget)
        m_widget->removeEventFilter(this);
    m_widget = widget;
    if (widget) {
        widget->setParentItem(this);
        widget->installEventFilter(this);
    }
    updateWidgetGeometry();
}

QSizeF MPannableViewport::panRange() const
{
    if (!m_widget)
        return QSizeF();
    return QSizeF(qMax<qreal>(0, m_widget->size().width() - size().width()),
                  qMax<qreal>(0, m_widget->size().height() - size().height()));
}

void MPannableViewport::updateWidgetGeometry()
{
    if (!m_widget)
        return;
    const qreal w = size().width();
    const QSizeF hint = m_widget->effectiveSizeHint(Qt::PreferredSize, QSizeF(w, -1));
    const qreal h = qMax(hint.height(), size().height());
    m_widget->resize(w, h);
    setPosition(position());
    updatePosition(position());
}

void MPannableViewport::updatePosition(const QPointF &position)
{
    if (m_widget)
        m_widget->setPos(-position);
    updateClipping();
}

bool MPannableViewport::contentFits() const
{
    if (!m_widget || !position().isNull())
        return false;
    const QList<QGraphicsItem *> children = childItems();
    return children.size() == 1 && children.first() == m_widget &&
           rect().contains(m_widget->geometry());
}

void MPannableViewport::resizeEvent(QGraphicsSceneResizeEvent *event)
{
    MPannableWidget::resizeEvent(event);
    updateWidgetGeometry();
    Q_EMIT viewportSizeChanged(event->newSize());
}

bool MPannableViewport::event(QEvent *event)
{
    if (event->type() == QEvent::LayoutRequest)
        updateWidgetGeometry();
    return MPannableWidget::event(event);
}

bool MPannableViewport::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_widget && event->type() == QEvent::LayoutRequest) {
        const bool handled = MPannableWidget::eventFilter(watched, event);
        // Let the widget lay itself out first, then give it its new height.
        m_widget->layout() ? m_widget->layout()->activate() : void();
        updateWidgetGeometry();
        return handled;
    }
    return MPannableWidget::eventFilter(watched, event);
}
