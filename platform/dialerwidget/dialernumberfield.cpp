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
    m_fonts.clear();
    m_advances.clear();
    layoutText();
    MWidgetController::applyStyle();
}

void DialerNumberField::resizeEvent(QGraphicsSceneResizeEvent *event)
{
    MWidgetController::resizeEvent(event);
    layoutText();
}

QFont DialerNumberField::fontOfSize(int pixelSize)
{
    auto it = m_fonts.constFind(pixelSize);
    if (it == m_fonts.constEnd()) {
        QFont font = style().font();
        font.setPixelSize(pixelSize);
        it = m_fonts.insert(pixelSize, font);
    }
    return it.value();
}

qreal DialerNumberField::advance(const QString &text)
{
    QHash<QChar, qreal> &widths = m_advances[m_font.pixelSize()];
    qreal width = 0;
    for (const QChar c : text) {
        auto it = widths.constFind(c);
        if (it == widths.constEnd())
            it = widths.insert(c, QFontMetricsF(m_font).horizontalAdvance(c));
        width += it.value();
    }
    return width;
}

QSharedPointer<QTextLayout> DialerNumberField::prepared(const QString &line) const
{
    auto layout = QSharedPointer<QTextLayout>::create(line, m_font);
    QTextOption option(Qt::AlignLeft);
    // Numbers read left to right whatever the language.
    option.setTextDirection(Qt::LeftToRight);
    option.setWrapMode(QTextOption::NoWrap);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    layout->beginLayout();
    layout->createLine();
    layout->endLayout();
    return layout;
}

void DialerNumberField::layoutText()
{
    const MStyle &s = style();
    const QString grouped = groupedForReading(m_text);
    const qreal available = size().width() - s.padding.left() - s.padding.right();
    const int lineCount = m_lines.size();
    m_font = fontOfSize(qMax(1, s.fontSize));
    m_lines = QStringList(grouped);
    m_prepared.clear();
    if (available > 0 && !grouped.isEmpty()) {
        const int smallest = qMax(1, s.fontSize / 2);
        int size = s.fontSize;
        // The size is chosen from widths of single characters (kept per font), then checked
        // against the number's measured width and laid out once, at the size chosen.
        while (size > smallest && advance(grouped) > available) {
            size = qMax(smallest, size - 2);
            m_font = fontOfSize(size);
        }
        QSharedPointer<QTextLayout> whole = prepared(grouped);
        // The shaped number is what must fit; its width is read from the line already laid out
        // rather than shaped once more.
        while (size > smallest && whole->lineAt(0).naturalTextWidth() > available) {
            size = qMax(smallest, size - 2);
            m_font = fontOfSize(size);
            whole = prepared(grouped);
        }
        // Still too wide: more lines, broken between groups where possible, so that every
        // character stays in sight.
        if (whole->lineAt(0).naturalTextWidth() > available) {
            m_lines.clear();
            QString line;
            qreal lineWidth = 0;
            for (const QChar c : grouped) {
                const qreal charWidth = advance(QString(c));
                if (!line.isEmpty() && lineWidth + charWidth > available) {
                    const int space = line.lastIndexOf(QLatin1Char(' '));
                    if (c != QLatin1Char(' ') && space > 0) {
                        m_lines << line.left(space);
                        line = line.mid(space + 1);
                    } else {
                        m_lines << line;
                        line.clear();
                    }
                    lineWidth = advance(line);
                }
                if (!(line.isEmpty() && c == QLatin1Char(' '))) {
                    line += c;
                    lineWidth += charWidth;
                }
            }
            m_lines << line;
            for (const QString &l : qAsConst(m_lines))
                m_prepared << prepared(l);
        } else {
            m_prepared << whole;
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
    if (m_text.isEmpty() || m_prepared.isEmpty())
        return;
    const MStyle &s = style();
    painter->save();
    painter->setFont(m_font);
    painter->setPen(s.color);
    const QRectF area = rect().marginsRemoved(QMarginsF(s.padding));
    const qreal lineHeight = QFontMetricsF(m_font).lineSpacing();
    qreal y = area.center().y() - lineHeight * m_prepared.size() / 2;
    // Each line centred in its share of the field, as laid out.
    for (const QSharedPointer<QTextLayout> &layout : qAsConst(m_prepared)) {
        const QTextLine line = layout->lineAt(0);
        layout->draw(painter, QPointF(area.left() + (area.width() - line.naturalTextWidth()) / 2,
                                      y + (lineHeight - line.height()) / 2));
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
