#include "mimagewidget.h"

#include "mtheme.h"

#include <QPainter>

MImageWidget::MImageWidget(QGraphicsItem *parent) : MWidgetController(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

MImageWidget::MImageWidget(const QString &iconId, QGraphicsItem *parent) : MImageWidget(parent)
{
    setImage(iconId);
}

void MImageWidget::setImage(const QString &iconId)
{
    if (iconId == m_iconId && m_pixmap.isNull())
        return;
    m_iconId = iconId;
    m_pixmap = QPixmap();
    update();
}

void MImageWidget::setPixmap(const QPixmap &pixmap)
{
    m_pixmap = pixmap;
    m_iconId.clear();
    update();
}

void MImageWidget::setImageSize(const QSizeF &size)
{
    m_size = size;
    updateGeometry();
    update();
}

void MImageWidget::setTinted(bool tinted)
{
    m_tinted = tinted;
    update();
}

void MImageWidget::setTint(const QColor &color)
{
    m_tint = color;
    update();
}

QSizeF MImageWidget::imageSize() const
{
    if (m_size.isValid())
        return m_size;
    const int s = style().iconSize;
    return QSizeF(s, s);
}

QSizeF MImageWidget::sizeHint(Qt::SizeHint which, const QSizeF &constraint) const
{
    if (which == Qt::MaximumSize)
        return MWidgetController::sizeHint(which, constraint);
    const QMarginsF pad(style().padding);
    const QSizeF s = imageSize();
    return QSizeF(s.width() + pad.left() + pad.right(), s.height() + pad.top() + pad.bottom());
}

void MImageWidget::drawContents(QPainter *painter, const QStyleOptionGraphicsItem *)
{
    const QRectF r = contentsRect();
    const QSizeF s = imageSize();
    const QRectF target(r.center().x() - s.width() / 2, r.center().y() - s.height() / 2, s.width(),
                        s.height());
    if (!m_pixmap.isNull()) {
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->drawPixmap(target, m_pixmap, QRectF(m_pixmap.rect()));
        return;
    }
    if (m_iconId.isEmpty())
        return;
    const QColor tint =
        m_tint.isValid() ? m_tint : (m_tinted && style().iconTint ? style().color : QColor());
    const QPixmap pm = MTheme::instance()->pixmap(m_iconId, s.toSize(), tint);
    painter->drawPixmap(target.topLeft(), pm);
}
