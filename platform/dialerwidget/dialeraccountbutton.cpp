#include "dialeraccountbutton.h"

#include "mtheme.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QGraphicsSceneMouseEvent>
#include <QImageReader>
#include <QPainter>

namespace Dialer {

namespace {
const QChar Arrow(0x25BE); // small down-pointing triangle

// Credits are drawn in the style's subtitle look: "<style>Credits".
const MStyle &creditsStyle(const QString &styleName)
{
    return MTheme::instance()->style(styleName + QStringLiteral("Credits"));
}
} // namespace

DialerAccountButton::DialerAccountButton(QGraphicsItem *parent) : MWidgetController(parent)
{
    setAcceptedMouseButtons(Qt::LeftButton);
    setCacheMode(QGraphicsItem::DeviceCoordinateCache);
}

void DialerAccountButton::setAccount(const QString &name, const QString &credits,
                                     const QString &logo, const QString &backgroundColor,
                                     bool hasChoice)
{
    // Only "#rgb"-style names from the accounts database; anything else keeps the theme's.
    const QColor background =
        backgroundColor.startsWith(QLatin1Char('#')) ? QColor(backgroundColor) : QColor();
    // The selector announces its account again on every page switch: the same account costs
    // no new layout and no repaint.
    if (name == m_name && credits == m_credits && logo == m_logo && background == m_background &&
        hasChoice == m_hasChoice)
        return;
    m_name = name;
    m_credits = credits;
    m_logo = logo;
    m_background = background;
    m_hasChoice = hasChoice;
    updateGeometry();
    update();
}

void DialerAccountButton::setCredits(const QString &credits)
{
    if (credits == m_credits)
        return;
    m_credits = credits;
    updateGeometry();
    update();
}

QPixmap DialerAccountButton::logoPixmap() const
{
    if (m_logo.isEmpty())
        return QPixmap();
    const int side = style().iconSize;
    if (QFileInfo(m_logo).isAbsolute()) {
        const QString key = QString::number(side) + QLatin1Char(':') + m_logo;
        const auto known = m_decodedLogos.constFind(key);
        if (known != m_decodedLogos.constEnd())
            return known.value();
        QImageReader reader(m_logo);
        const QSize natural = reader.size();
        if (natural.isValid())
            reader.setScaledSize(natural.scaled(side, side, Qt::KeepAspectRatio));
        const QPixmap decoded = QPixmap::fromImage(reader.read());
        // A handful of accounts: forgetting them all now and then costs one read each.
        if (m_decodedLogos.size() >= MaxDecodedLogos)
            m_decodedLogos.clear();
        m_decodedLogos.insert(key, decoded);
        return decoded;
    }
    return MTheme::instance()->pixmap(m_logo, QSize(side, side));
}

qreal DialerAccountButton::contentWidth() const
{
    const MStyle &s = style();
    const QFontMetricsF fm(s.font());
    const QFontMetricsF cfm(creditsStyle(styleName()).font());
    qreal w = fm.horizontalAdvance(m_name);
    if (!m_logo.isEmpty())
        w += s.iconSize + s.spacing;
    if (!m_credits.isEmpty())
        w += s.spacing + cfm.horizontalAdvance(m_credits);
    if (m_hasChoice)
        w += s.spacing / 2 + fm.horizontalAdvance(Arrow);
    return w;
}

QSizeF DialerAccountButton::sizeHint(Qt::SizeHint which, const QSizeF &constraint) const
{
    const MStyle &s = style();
    if (which == Qt::MaximumSize)
        return MWidgetController::sizeHint(which, constraint);
    const qreal h = s.height > 0 ? s.height : QFontMetricsF(s.font()).height();
    if (which == Qt::MinimumSize)
        return QSizeF(h, h);
    return QSizeF(contentWidth() + s.padding.left() + s.padding.right(), h);
}

void DialerAccountButton::drawBackground(QPainter *painter,
                                         const QStyleOptionGraphicsItem *option) const
{
    if (!m_background.isValid()) {
        MWidgetController::drawBackground(painter, option);
        return;
    }
    const QRectF r = rect().adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = qMin<qreal>(style().radius, r.height() / 2);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(m_background);
    painter->drawRoundedRect(r, radius, radius);
    painter->restore();
}

void DialerAccountButton::drawContents(QPainter *painter, const QStyleOptionGraphicsItem *)
{
    const MStyle &s = style();
    const MStyle &cs = creditsStyle(styleName());
    const QRectF inner = rect().marginsRemoved(QMarginsF(s.padding));
    // On an account's own colour, text is white or black, whichever reads better.
    QColor nameColor = s.color;
    QColor creditsColor = cs.color;
    if (m_background.isValid()) {
        nameColor = creditsColor = m_background.lightnessF() > 0.6 ? Qt::black : Qt::white;
    }
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setClipRect(rect());
    // Left to right in every language: the pill is one unit, centred.
    qreal x = inner.left() + qMax<qreal>(0, (inner.width() - contentWidth()) / 2);
    const qreal cy = inner.center().y();
    const QPixmap logo = logoPixmap();
    if (!m_logo.isEmpty()) {
        if (!logo.isNull()) {
            const QSizeF size = logo.size() / logo.devicePixelRatio();
            painter->drawPixmap(
                QRectF(QPointF(x + (s.iconSize - size.width()) / 2, cy - size.height() / 2), size),
                logo, logo.rect());
        }
        x += s.iconSize + s.spacing;
    }
    QTextOption opt(Qt::AlignLeft | Qt::AlignVCenter);
    opt.setTextDirection(Qt::LeftToRight);
    opt.setWrapMode(QTextOption::NoWrap);
    const QFont font = s.font();
    const QFontMetricsF fm(font);
    // The name takes what is left after the credits and arrow, elided.
    qreal tail = 0;
    const QFontMetricsF cfm(cs.font());
    if (!m_credits.isEmpty())
        tail += s.spacing + cfm.horizontalAdvance(m_credits);
    if (m_hasChoice)
        tail += s.spacing / 2 + fm.horizontalAdvance(Arrow);
    const qreal nameWidth =
        qMax<qreal>(0, qMin(fm.horizontalAdvance(m_name), inner.right() - x - tail));
    const QString name = fm.elidedText(m_name, Qt::ElideRight, nameWidth + 0.5);
    painter->setFont(font);
    painter->setPen(nameColor);
    painter->drawText(QRectF(x, inner.top(), nameWidth + 1, inner.height()), name, opt);
    x += nameWidth;
    if (m_hasChoice) {
        x += s.spacing / 2;
        painter->setPen(m_background.isValid() ? nameColor : s.accentColor);
        painter->drawText(QRectF(x, inner.top(), fm.horizontalAdvance(Arrow) + 1, inner.height()),
                          QString(Arrow), opt);
        x += fm.horizontalAdvance(Arrow);
    }
    if (!m_credits.isEmpty()) {
        x += s.spacing;
        painter->setFont(cs.font());
        painter->setPen(creditsColor);
        painter->drawText(
            QRectF(x, inner.top(), qMax<qreal>(0, inner.right() - x), inner.height()),
            cfm.elidedText(m_credits, Qt::ElideRight, qMax<qreal>(0, inner.right() - x)), opt);
    }
    painter->restore();
}

void DialerAccountButton::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    event->setAccepted(m_hasChoice);
}

void DialerAccountButton::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    if (m_hasChoice && rect().contains(event->pos()))
        Q_EMIT clicked();
}

} // namespace Dialer
