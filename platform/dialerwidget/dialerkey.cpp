#include "dialerkey.h"

#include "dialerwidget.h"
#include "mapplicationpage.h"
#include "mpannableviewport.h"
#include "mstylablewidget.h"
#include "mtheme.h"
#include "mwidget.h"

#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsView>
#include <QPainter>

#include <typeinfo>

namespace Dialer {

DialerKey::DialerKey(QGraphicsItem *parent) : MWidgetController(parent)
{
    setAcceptedMouseButtons(Qt::LeftButton);
    m_longPress.setSingleShot(true);
    m_longPress.setInterval(longPressTime());
    connect(&m_longPress, &QTimer::timeout, this, &DialerKey::onLongPressTimeout);
}

void DialerKey::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    dropFaces();
}

void DialerKey::setLetters(const QString &letters)
{
    if (letters == m_letters)
        return;
    m_letters = letters;
    dropFaces();
}

void DialerKey::setIconID(const QString &iconId)
{
    if (iconId == m_iconId)
        return;
    m_iconId = iconId;
    dropFaces();
}

void DialerKey::dropFaces()
{
    m_faces[0] = m_faces[1] = QImage();
    update();
}

void DialerKey::applyStyle()
{
    if (m_changingMode)
        return;
    m_faces[0] = m_faces[1] = QImage();
    MWidgetController::applyStyle();
}

void DialerKey::resizeEvent(QGraphicsSceneResizeEvent *event)
{
    MWidgetController::resizeEvent(event);
    dropFaces();
}

QColor DialerKey::backdrop() const
{
    for (const QGraphicsItem *item = parentItem(); item; item = item->parentItem()) {
        const auto *styled = qobject_cast<const MWidgetController *>(item->toGraphicsObject());
        if (styled) {
            const MStyle &s = styled->style();
            if (s.backgroundColor.isValid() || s.borderColor.isValid() ||
                s.dividerColor.isValid()) {
                const bool plain = s.backgroundColor.alpha() == 255 && s.radius <= 0 &&
                                   !s.borderColor.isValid() && !s.dividerColor.isValid();
                return plain ? s.backgroundColor : QColor();
            }
        }
        // Only containers known to draw nothing but their style lie between; any other item
        // (a subclass among them) may draw something.
        const std::type_info &type = typeid(*item);
        if (type != typeid(QGraphicsWidget) && type != typeid(MWidget) &&
            type != typeid(MStylableWidget) && type != typeid(MPannableViewport) &&
            type != typeid(MApplicationPage) && type != typeid(DialerWidget))
            return QColor();
    }
    // Nothing on the way paints: the window's own background.
    const QList<QGraphicsView *> views = scene() ? scene()->views() : QList<QGraphicsView *>();
    if (views.size() != 1)
        return QColor();
    const QBrush brush = views.first()->backgroundBrush();
    return brush.style() == Qt::SolidPattern && brush.color().alpha() == 255 ? brush.color()
                                                                             : QColor();
}

void DialerKey::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1;
    const QSize pixels = (size() * dpr).toSize();
    if (pixels.isEmpty())
        return;
    m_shownDown = !styleMode().isEmpty();
    const int look = m_shownDown ? 1 : 0;
    QImage &face = m_faces[look];
    const QColor under = backdrop();
    if (face.size() != pixels || face.devicePixelRatioF() != dpr || m_backdrops[look] != under) {
        face = QImage(pixels,
                      under.isValid() ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
        face.setDevicePixelRatio(dpr);
        face.fill(under.isValid() ? under : QColor(Qt::transparent));
        m_backdrops[look] = under;
        QPainter p(&face);
        p.setFont(painter->font());
        MWidgetController::paint(&p, option, widget);
    }
    painter->drawImage(QPointF(0, 0), face);
}

void DialerKey::setDown(bool down)
{
    if (m_down == down)
        return;
    m_down = down;
    m_changingMode = true;
    setStyleMode(down ? QStringLiteral("pressed") : QString());
    m_changingMode = false;
    // Repainted once the events of this turn are handled, and only if the look on screen is
    // not the one of then: a tap whose press and release arrive together changes nothing.
    if (!m_repaintQueued) {
        m_repaintQueued = true;
        QMetaObject::invokeMethod(this, &DialerKey::repaintIfChanged, Qt::QueuedConnection);
    }
}

void DialerKey::repaintIfChanged()
{
    m_repaintQueued = false;
    if (m_down != m_shownDown)
        update();
}

void DialerKey::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    event->accept();
    m_longPressed = false;
    setDown(true);
    if (m_longPressEnabled)
        m_longPress.start();
    Q_EMIT pressed();
}

void DialerKey::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    if (m_down && !rect().contains(event->pos())) {
        m_longPress.stop();
        setDown(false);
    }
}

void DialerKey::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    m_longPress.stop();
    const bool tap = m_down && !m_longPressed && rect().contains(event->pos());
    setDown(false);
    if (tap)
        Q_EMIT tapped();
}

void DialerKey::ungrabMouseEvent(QEvent *)
{
    cancelPress();
}

void DialerKey::cancelPress()
{
    m_longPress.stop();
    setDown(false);
}

void DialerKey::onLongPressTimeout()
{
    if (!m_down)
        return;
    m_longPressed = true;
    Q_EMIT longPressed();
}

QSizeF DialerKey::sizeHint(Qt::SizeHint which, const QSizeF &constraint) const
{
    const MStyle &s = style();
    const qreal h = s.height > 0 ? s.height : s.iconSize;
    if (which == Qt::MinimumSize)
        return QSizeF(h / 2, h);
    if (which == Qt::PreferredSize)
        return QSizeF(s.minimumWidth > 0 ? s.minimumWidth : h, h);
    return MWidgetController::sizeHint(which, constraint);
}

void DialerKey::drawContents(QPainter *painter, const QStyleOptionGraphicsItem *)
{
    const MStyle &s = style();
    const QRectF r = rect();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (!m_iconId.isEmpty()) {
        const int side = s.iconSize;
        const QPixmap pm = MTheme::instance()->pixmap(m_iconId, QSize(side, side),
                                                      s.iconTint ? s.color : QColor());
        const QSizeF size = pm.size() / pm.devicePixelRatio();
        painter->drawPixmap(QRectF(r.center() - QPointF(size.width() / 2, size.height() / 2), size),
                            pm, pm.rect());
    }
    if (!m_text.isEmpty()) {
        const MStyle &small = MTheme::instance()->style(styleName() + QStringLiteral("Letters"));
        QFont font = s.font();
        painter->setFont(font);
        painter->setPen(s.color);
        const QFontMetricsF fm(font);
        QFont letterFont = small.font();
        const QFontMetricsF lfm(letterFont);
        // The digit and its letters as one block, centred; a key without letters keeps the
        // digit where the others have theirs, so the row reads on one line.
        const qreal letterHeight = lfm.height();
        const qreal blockHeight = fm.ascent() + fm.descent() * 0.2 + letterHeight;
        const qreal top = r.center().y() - blockHeight / 2;
        QTextOption centred(Qt::AlignHCenter | Qt::AlignTop);
        centred.setTextDirection(Qt::LeftToRight);
        painter->drawText(QRectF(r.left(), top - fm.descent() * 0.1, r.width(), fm.height()),
                          m_text, centred);
        if (!m_letters.isEmpty()) {
            painter->setFont(letterFont);
            painter->setPen(small.color);
            painter->drawText(
                QRectF(r.left(), top + fm.ascent() + fm.descent() * 0.2, r.width(), letterHeight),
                m_letters, centred);
        }
    }
    painter->restore();
}

} // namespace Dialer
