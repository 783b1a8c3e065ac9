#include "dialernumberfield.h"

#include "dialablenumber.h"
#include "dialerkey.h"

#include <QFontMetricsF>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>

namespace Dialer {

DialerNumberField::DialerNumberField(QGraphicsItem *parent) : MWidgetController(parent)
{
    setAcceptedMouseButtons(Qt::LeftButton);
    m_longPress.setSingleShot(true);
    m_longPress.setInterval(DialerKey::longPressTime());
    connect(&m_longPress, &QTimer::timeout, this, &DialerNumberField::longPressed);
}

void DialerNumberField::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    layoutText();
    update();
}

QString DialerNumberField::displayedText() const
{
    return m_lines.join(QLatin1Char('\n'));
}

void DialerNumberField::applyStyle()
{
    layoutText();
    MWidgetController::applyStyle();
}

void DialerNumberField::resizeEvent(QGraphicsSceneResizeEvent *event)
{
    MWidgetController::resizeEvent(event);
    layoutText();
}

void DialerNumberField::layoutText()
{
    const MStyle &s = style();
    const QString grouped = groupedForReading(m_text);
    const qreal available = size().width() - s.padding.left() - s.padding.right();
    const int lineCount = m_lines.size();
    m_font = s.font();
    m_lines = QStringList(grouped);
    if (available > 0 && !grouped.isEmpty()) {
        const int smallest = qMax(1, s.fontSize / 2);
        int size = s.fontSize;
        m_font.setPixelSize(size);
        while (size > smallest && QFontMetricsF(m_font).horizontalAdvance(grouped) > available) {
            size = qMax(smallest, size - 2);
            m_font.setPixelSize(size);
        }
        // Still too wide: more lines, broken between groups where possible, so that every
        // character stays in sight.
        const QFontMetricsF fm(m_font);
        if (fm.horizontalAdvance(grouped) > available) {
            m_lines.clear();
            QString line;
            for (const QChar c : grouped) {
                if (!line.isEmpty() && fm.horizontalAdvance(line + c) > available) {
                    const int space = line.lastIndexOf(QLatin1Char(' '));
                    if (c != QLatin1Char(' ') && space > 0) {
                        m_lines << line.left(space);
                        line = line.mid(space + 1);
                    } else {
                        m_lines << line;
                        line.clear();
                    }
                }
                if (!(line.isEmpty() && c == QLatin1Char(' ')))
                    line += c;
            }
            m_lines << line;
        }
    }
    if (m_lines.size() != lineCount)
        updateGeometry();
}

QSizeF DialerNumberField::sizeHint(Qt::SizeHint which, const QSizeF &constraint) const
{
    const MStyle &s = style();
    if (which == Qt::MaximumSize)
        return MWidgetController::sizeHint(which, constraint);
    qreal h = s.height > 0
                  ? s.height
                  : QFontMetricsF(s.font()).height() + s.padding.top() + s.padding.bottom();
    if (m_lines.size() > 1)
        h = qMax(h, QFontMetricsF(m_font).lineSpacing() * m_lines.size() + s.padding.top() +
                        s.padding.bottom());
    return QSizeF(which == Qt::MinimumSize ? 0 : h * 4, h);
}

void DialerNumberField::drawContents(QPainter *painter, const QStyleOptionGraphicsItem *)
{
    if (m_text.isEmpty())
        return;
    const MStyle &s = style();
    painter->save();
    painter->setFont(m_font);
    painter->setPen(s.color);
    QTextOption option(Qt::AlignCenter);
    // Numbers read left to right whatever the language.
    option.setTextDirection(Qt::LeftToRight);
    option.setWrapMode(QTextOption::NoWrap);
    const QRectF area = rect().marginsRemoved(QMarginsF(s.padding));
    const qreal lineHeight = QFontMetricsF(m_font).lineSpacing();
    qreal y = area.center().y() - lineHeight * m_lines.size() / 2;
    for (const QString &line : m_lines) {
        painter->drawText(QRectF(area.left(), y, area.width(), lineHeight), line, option);
        y += lineHeight;
    }
    painter->restore();
}

void DialerNumberField::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    event->accept();
    m_longPress.start();
}

void DialerNumberField::mouseReleaseEvent(QGraphicsSceneMouseEvent *)
{
    m_longPress.stop();
}

} // namespace Dialer
