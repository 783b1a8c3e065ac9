#include "mwidgetcontroller.h"

#include "mapplication.h"
#include "mtheme.h"

#include <QEvent>
#include <QPainter>

MWidgetController::MWidgetController(QGraphicsItem *parent) : MWidget(parent)
{
    connect(MTheme::instance(), &MTheme::themeChanged, this, [this]() { applyStyle(); });
}

void MWidgetController::setStyleName(const QString &name)
{
    if (name == m_styleName)
        return;
    m_styleName = name;
    applyStyle();
}

void MWidgetController::setStyleMode(const QString &mode)
{
    if (mode == m_styleMode)
        return;
    m_styleMode = mode;
    applyStyle();
}

const MStyle &MWidgetController::style() const
{
    MTheme *theme = MTheme::instance();
    if (!m_styleMode.isEmpty()) {
        const QString moded = m_styleName + QLatin1Char(':') + m_styleMode;
        if (theme->hasStyle(moded))
            return theme->style(moded);
    }
    return theme->style(m_styleName);
}

void MWidgetController::applyStyle()
{
    applyPadding();
    updateGeometry();
    update();
}

void MWidgetController::applyPadding()
{
    const QMargins &p = style().padding;
    if (layoutDirection() == Qt::RightToLeft)
        setContentsMargins(p.right(), p.top(), p.left(), p.bottom());
    else
        setContentsMargins(p.left(), p.top(), p.right(), p.bottom());
}

void MWidgetController::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LayoutDirectionChange) {
        applyPadding();
        update();
    }
    MWidget::changeEvent(event);
}

QSizeF MWidgetController::sizeHint(Qt::SizeHint which, const QSizeF &constraint) const
{
    QSizeF hint = MWidget::sizeHint(which, constraint);
    const MStyle &s = style();
    if (which == Qt::MaximumSize) {
        // A fixed-height style must not be squeezed by a layout of fixed-height children.
        if (s.height > 0)
            hint.setHeight(qMax<qreal>(hint.height(), s.height));
    } else {
        if (s.height > 0)
            hint.setHeight(s.height);
        if (s.minimumWidth > 0)
            hint.setWidth(qMax(hint.width(), qreal(s.minimumWidth)));
    }
    return hint;
}

void MWidgetController::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *)
{
    drawBackground(painter, option);
    drawContents(painter, option);
    if (MApplication::showMargins()) {
        painter->setPen(QColor(255, 0, 255, 160));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(rect().adjusted(0, 0, -1, -1));
        painter->setPen(QColor(0, 255, 255, 120));
        painter->drawRect(contentsRect().adjusted(0, 0, -1, -1));
    }
}

void MWidgetController::drawBackground(QPainter *painter, const QStyleOptionGraphicsItem *) const
{
    const MStyle &s = style();
    const QRectF r = rect();
    if (s.backgroundColor.isValid() || s.borderColor.isValid()) {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(s.borderColor.isValid() ? QPen(s.borderColor, 1) : QPen(Qt::NoPen));
        painter->setBrush(s.backgroundColor.isValid() ? QBrush(s.backgroundColor)
                                                      : QBrush(Qt::NoBrush));
        if (s.radius > 0) {
            const qreal rad = qMin<qreal>(s.radius, qMin(r.width(), r.height()) / 2);
            painter->drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), rad, rad);
        } else {
            painter->drawRect(r);
        }
        painter->restore();
    }
    if (s.dividerColor.isValid())
        painter->fillRect(QRectF(r.left(), r.bottom() - 1, r.width(), 1), s.dividerColor);
}

void MWidgetController::drawContents(QPainter *, const QStyleOptionGraphicsItem *) {}
