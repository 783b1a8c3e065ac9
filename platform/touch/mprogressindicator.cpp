#include "mprogressindicator.h"

#include <QPainter>

const QString MProgressIndicator::spinnerType = QStringLiteral("spinner");
const QString MProgressIndicator::barType = QStringLiteral("bar");

MProgressIndicator::MProgressIndicator(QGraphicsItem *parent, const QString &viewType)
    : MWidgetController(parent), m_viewType(viewType)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_timer.setInterval(40);
    connect(&m_timer, &QTimer::timeout, this, [this]() {
        m_angle = (m_angle + 12) % 360;
        update();
    });
}

void MProgressIndicator::setViewType(const QString &type)
{
    m_viewType = type;
    updateGeometry();
    update();
}

void MProgressIndicator::setUnknownDuration(bool unknown)
{
    if (unknown == m_unknown)
        return;
    m_unknown = unknown;
    updateTimer();
    update();
}

void MProgressIndicator::setRange(int minimum, int maximum)
{
    m_min = minimum;
    m_max = qMax(minimum, maximum);
    update();
}

void MProgressIndicator::setValue(int value)
{
    m_value = qBound(m_min, value, m_max);
    update();
}

void MProgressIndicator::updateTimer()
{
    if (m_unknown && isVisible())
        m_timer.start();
    else
        m_timer.stop();
}

QVariant MProgressIndicator::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemVisibleHasChanged)
        updateTimer();
    return MWidgetController::itemChange(change, value);
}

QSizeF MProgressIndicator::sizeHint(Qt::SizeHint which, const QSizeF &constraint) const
{
    if (which == Qt::MaximumSize)
        return MWidgetController::sizeHint(which, constraint);
    const MStyle &s = style();
    if (m_viewType == barType)
        return QSizeF(qMax(s.minimumWidth, 100), qMax(s.height, 6));
    return QSizeF(s.iconSize, s.iconSize);
}

void MProgressIndicator::drawContents(QPainter *painter, const QStyleOptionGraphicsItem *)
{
    const MStyle &s = style();
    const QRectF r = contentsRect();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (m_viewType == barType) {
        painter->fillRect(r, s.color.darker(300));
        const qreal share = m_max > m_min ? qreal(m_value - m_min) / (m_max - m_min) : 0;
        painter->fillRect(QRectF(r.left(), r.top(), r.width() * share, r.height()), s.accentColor);
    } else {
        const qreal d = qMin(r.width(), r.height()) - 4;
        const QRectF arc(r.center().x() - d / 2, r.center().y() - d / 2, d, d);
        painter->setPen(QPen(s.accentColor, qMax<qreal>(2, d / 10), Qt::SolidLine, Qt::RoundCap));
        const int span = m_unknown ? 270 : int(360.0 * (m_value - m_min) / qMax(1, m_max - m_min));
        painter->drawArc(arc, -m_angle * 16, span * 16);
    }
    painter->restore();
}
