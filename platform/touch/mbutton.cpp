#include "mbutton.h"

#include "mtheme.h"

#include <QFontMetricsF>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>

MButton::MButton(QGraphicsItem *parent) : MWidgetController(parent)
{
    setAcceptedMouseButtons(Qt::LeftButton);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

MButton::MButton(const QString &text, QGraphicsItem *parent) : MButton(parent)
{
    setText(text);
}

void MButton::setText(const QString &text)
{
    m_text = text;
    updateGeometry();
    update();
}

void MButton::setIconID(const QString &iconId)
{
    m_iconId = iconId;
    updateGeometry();
    update();
}

void MButton::setCheckable(bool checkable)
{
    m_checkable = checkable;
    if (!checkable)
        setChecked(false);
}

void MButton::setChecked(bool checked)
{
    if (!m_checkable || checked == m_checked)
        return;
    m_checked = checked;
    update();
    Q_EMIT toggled(checked);
}

void MButton::click()
{
    Q_EMIT pressed();
    Q_EMIT released();
    if (m_checkable)
        setChecked(!m_checked);
    Q_EMIT clicked(m_checked);
}

QSizeF MButton::sizeHint(Qt::SizeHint which, const QSizeF &constraint) const
{
    if (which == Qt::MaximumSize)
        return MWidgetController::sizeHint(which, constraint);
    const MStyle &s = style();
    const QMarginsF pad(s.padding);
    const QFontMetricsF fm(s.font());
    qreal w = m_text.isEmpty() ? 0 : fm.horizontalAdvance(m_text);
    qreal h = m_text.isEmpty() ? 0 : fm.height();
    if (!m_iconId.isEmpty()) {
        w += s.iconSize + (m_text.isEmpty() ? 0 : s.spacing);
        h = qMax<qreal>(h, s.iconSize);
    }
    QSizeF size(w + pad.left() + pad.right(), h + pad.top() + pad.bottom());
    if (s.height > 0)
        size.setHeight(s.height);
    if (s.minimumWidth > 0)
        size.setWidth(qMax<qreal>(size.width(), s.minimumWidth));
    // A text that does not fit is elided rather than pushing the button out of its row.
    if (which == Qt::MinimumSize && !m_text.isEmpty())
        size.setWidth(qMin<qreal>(size.width(), pad.left() + pad.right() + fm.height() * 2));
    return size;
}

void MButton::drawBackground(QPainter *painter, const QStyleOptionGraphicsItem *option) const
{
    MWidgetController::drawBackground(painter, option);
    const MStyle &s = style();
    if (m_checked && s.checkedBackgroundColor.isValid()) {
        // A round button (a toggle on the call screen) stays round when checked.
        if (s.radius > 0) {
            painter->save();
            painter->setRenderHint(QPainter::Antialiasing);
            painter->setPen(Qt::NoPen);
            painter->setBrush(s.checkedBackgroundColor);
            const qreal rad = qMin<qreal>(s.radius, qMin(size().width(), size().height()) / 2);
            painter->drawRoundedRect(rect().adjusted(0.5, 0.5, -0.5, -0.5), rad, rad);
            painter->restore();
        } else {
            painter->fillRect(rect(), s.checkedBackgroundColor);
        }
    }
    if (m_checked && s.checkedIndicator > 0)
        painter->fillRect(QRectF(0, 0, size().width(), s.checkedIndicator), s.accentColor);
    if (m_down) {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(QColor(255, 255, 255, 36));
        const qreal rad = qMin<qreal>(style().radius, qMin(size().width(), size().height()) / 2);
        painter->drawRoundedRect(rect(), rad, rad);
        painter->restore();
    }
}

void MButton::drawContents(QPainter *painter, const QStyleOptionGraphicsItem *)
{
    const MStyle &s = style();
    const QRectF r = contentsRect();
    const QColor fg = m_checked ? s.accentColor : s.color;
    const QFontMetricsF fm(s.font());
    const qreal textW = m_text.isEmpty() ? 0 : fm.horizontalAdvance(m_text);
    const qreal iconW = m_iconId.isEmpty() ? 0 : s.iconSize;
    const qreal gap = (iconW > 0 && textW > 0) ? s.spacing : 0;
    const qreal total = qMin(r.width(), iconW + gap + textW);
    qreal x = r.left() + (r.width() - total) / 2;
    if (iconW > 0) {
        const QPixmap pm = MTheme::instance()->pixmap(m_iconId, QSize(s.iconSize, s.iconSize), fg);
        painter->drawPixmap(QPointF(x, r.center().y() - s.iconSize / 2.0), pm);
        x += iconW + gap;
    }
    if (textW > 0) {
        painter->setFont(s.font());
        painter->setPen(fg);
        // Exactly as wide as the text: right to left, the painter would align it to the right.
        const QRectF tr(x, r.top(), qMin(textW, r.right() - x), r.height());
        painter->drawText(tr, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          fm.elidedText(m_text, Qt::ElideRight, tr.width()));
    }
}

void MButton::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_down = true;
    update();
    Q_EMIT pressed();
}

void MButton::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    const bool inside = rect().contains(event->pos());
    if (inside != m_down) {
        m_down = inside;
        update();
    }
}

void MButton::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    const bool wasDown = m_down;
    m_down = false;
    update();
    Q_EMIT released();
    if (wasDown && rect().contains(event->pos())) {
        // A button that stands for another item (its focus proxy) hands the tap's focus on.
        if (QGraphicsItem *proxy = focusProxy())
            proxy->setFocus(Qt::MouseFocusReason);
        if (m_checkable)
            setChecked(!m_checked);
        Q_EMIT clicked(m_checked);
    }
}

void MButton::ungrabMouseEvent(QEvent *)
{
    if (m_down) {
        m_down = false;
        update();
    }
}
