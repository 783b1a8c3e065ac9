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
    m_face = nullptr;
    m_faces.clear();
    layoutText();
    MWidgetController::applyStyle();
}

void DialerNumberField::resizeEvent(QGraphicsSceneResizeEvent *event)
{
    MWidgetController::resizeEvent(event);
    layoutText();
}

DialerNumberField::Face &DialerNumberField::faceOfSize(int pixelSize)
{
    auto it = m_faces.find(pixelSize);
    if (it == m_faces.end()) {
        Face face;
        face.font = style().font();
        face.font.setPixelSize(pixelSize);
        face.raw = QRawFont::fromFont(face.font);
        it = m_faces.insert(pixelSize, face);
    }
    return it.value();
}

const DialerNumberField::Face::Glyph &DialerNumberField::glyph(QChar c)
{
    auto it = m_face->glyphs.constFind(c);
    if (it == m_face->glyphs.constEnd()) {
        Face::Glyph g;
        const QVector<quint32> indexes = m_face->raw.isValid()
                                             ? m_face->raw.glyphIndexesForString(QString(c))
                                             : QVector<quint32>();
        if (indexes.size() == 1 && indexes.first() != 0) {
            g.index = indexes.first();
            g.advance = m_face->raw.advancesForGlyphIndexes(indexes).value(0).x() +
                        m_face->font.letterSpacing();
        } else {
            g.advance = QFontMetricsF(m_face->font).horizontalAdvance(QString(c));
        }
        it = m_face->glyphs.insert(c, g);
    }
    return it.value();
}

qreal DialerNumberField::advance(const QString &text)
{
    qreal width = 0;
    for (const QChar c : text)
        width += glyph(c).advance;
    return width;
}

DialerNumberField::Line DialerNumberField::prepared(const QString &text)
{
    Line line;
    QVector<quint32> indexes;
    QVector<QPointF> positions;
    indexes.reserve(text.size());
    positions.reserve(text.size());
    for (const QChar c : text) {
        const Face::Glyph &g = glyph(c);
        if (g.index == 0) {
            indexes.clear();
            break;
        }
        indexes << g.index;
        positions << QPointF(line.width, 0);
        line.width += g.advance;
    }
    if (indexes.size() == text.size()) {
        line.run.setRawFont(m_face->raw);
        line.run.setGlyphIndexes(indexes);
        line.run.setPositions(positions);
        return line;
    }
    // A character the font lacks: the text layout finds a font that has it.
    line.layout = QSharedPointer<QTextLayout>::create(text, m_font);
    QTextOption option(Qt::AlignLeft);
    // Numbers read left to right whatever the language.
    option.setTextDirection(Qt::LeftToRight);
    option.setWrapMode(QTextOption::NoWrap);
    line.layout->setTextOption(option);
    line.layout->setCacheEnabled(true);
    line.layout->beginLayout();
    line.layout->createLine();
    line.layout->endLayout();
    line.width = line.layout->lineAt(0).naturalTextWidth();
    return line;
}

void DialerNumberField::setGrouping(const std::function<QString(const QString &)> &grouping)
{
    m_grouping = grouping;
    layoutText();
    update();
}

void DialerNumberField::layoutText()
{
    const MStyle &s = style();
    const QString grouped = m_grouping ? m_grouping(m_text) : groupedForReading(m_text);
    const qreal available = size().width() - s.padding.left() - s.padding.right();
    const int lineCount = m_lines.size();
    int size = qMax(1, s.fontSize);
    m_face = &faceOfSize(size);
    m_font = m_face->font;
    m_lines = QStringList(grouped);
    m_prepared.clear();
    if (available > 0 && !grouped.isEmpty()) {
        const int smallest = qMax(1, s.fontSize / 2);
        // The advances are those the number is drawn with: the size is chosen by adding them up.
        while (size > smallest && advance(grouped) > available) {
            size = qMax(smallest, size - 2);
            m_face = &faceOfSize(size);
        }
        m_font = m_face->font;
        Line whole = prepared(grouped);
        // Still too wide: more lines, broken between groups where possible, so that every
        // character stays in sight.
        if (whole.width > available) {
            m_lines.clear();
            QString line;
            qreal lineWidth = 0;
            for (const QChar c : grouped) {
                const qreal charWidth = glyph(c).advance;
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
    const QFontMetricsF fm(m_font);
    const qreal lineHeight = fm.lineSpacing();
    qreal y = area.center().y() - lineHeight * m_prepared.size() / 2;
    // Each line centred in its share of the field.
    for (const Line &line : qAsConst(m_prepared)) {
        const qreal x = area.left() + (area.width() - line.width) / 2;
        if (line.layout) {
            const QTextLine l = line.layout->lineAt(0);
            line.layout->draw(painter, QPointF(x, y + (lineHeight - l.height()) / 2));
        } else {
            const qreal top = y + (lineHeight - (fm.ascent() + fm.descent())) / 2;
            painter->drawGlyphRun(QPointF(x, top + fm.ascent()), line.run);
        }
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
