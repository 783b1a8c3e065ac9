#include "mseparator.h"

#include <QPainter>
#include <QWidget>

MSeparator::MSeparator(QGraphicsItem *parent, Qt::Orientation orientation)
    : MWidgetController(parent), m_orientation(orientation)
{
    setSizePolicy(orientation == Qt::Horizontal ? QSizePolicy::Expanding : QSizePolicy::Fixed,
                  orientation == Qt::Horizontal ? QSizePolicy::Fixed : QSizePolicy::Expanding);
}

QSizeF MSeparator::sizeHint(Qt::SizeHint which, const QSizeF &constraint) const
{
    if (which == Qt::MaximumSize)
        return m_orientation == Qt::Horizontal ? QSizeF(QWIDGETSIZE_MAX, 1)
                                               : QSizeF(1, QWIDGETSIZE_MAX);
    Q_UNUSED(constraint)
    return QSizeF(1, 1);
}

void MSeparator::drawContents(QPainter *painter, const QStyleOptionGraphicsItem *)
{
    const QColor c =
        style().dividerColor.isValid() ? style().dividerColor : QColor(0x1e, 0x25, 0x2d);
    painter->fillRect(rect(), c);
}
