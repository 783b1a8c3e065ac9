#include "msinglelinetext.h"

#include <QCache>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>
#include <QtMath>

namespace {
// The lines shaped lately, by what their shape depends on.
struct LineKey
{
    QString text;
    QFont font;
    qreal width;
    bool elide;
    int direction;
    int dpi;
    bool operator==(const LineKey &o) const
    {
        return text == o.text && width == o.width && elide == o.elide && direction == o.direction &&
               dpi == o.dpi && font == o.font;
    }
};
uint qHash(const LineKey &k, uint seed = 0)
{
    return ::qHash(k.text, seed) ^ ::qHash(k.font, seed) ^ ::qHash(k.width, seed) ^
           uint(k.direction * 31 + k.dpi * 7 + k.elide);
}
struct SharedLine
{
    QSharedPointer<const QTextLayout> layout;
};
const int SharedLines = 400;
void dropSharedLines();
QCache<LineKey, SharedLine> &sharedLines()
{
    static QCache<LineKey, SharedLine> lines(SharedLines);
    static const bool dropped = [] {
        // Lines hold fonts: they go while the application, and its fonts, are still there.
        qAddPostRoutine(dropSharedLines);
        return true;
    }();
    Q_UNUSED(dropped);
    return lines;
}
void dropSharedLines()
{
    sharedLines().clear();
}
int g_shaped = 0;
} // namespace

MSingleLineText::MSingleLineText() = default;
MSingleLineText::~MSingleLineText() = default;

int MSingleLineText::shapedCount()
{
    return g_shaped;
}

void MSingleLineText::forgetSharedLines()
{
    dropSharedLines();
}

void MSingleLineText::layOut(QPainter *painter, const QString &shown)
{
    // As QPainter lays out a single line: line breaks and tabs become spaces, no wrapping, the
    // trailing spaces counted, the text's own direction left to the painter's direction.
    QString line = shown;
    for (QChar &c : line) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    }
    auto *layout = new QTextLayout(line, painter->font(), painter->device());
    QTextOption option;
    option.setTextDirection(painter->layoutDirection());
    option.setAlignment(Qt::AlignLeft);
    option.setFlags(option.flags() | QTextOption::IncludeTrailingSpaces);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    if (!line.isEmpty()) {
        layout->beginLayout();
        QTextLine l = layout->createLine();
        l.setLineWidth(0x01000000);
        l.setPosition(QPointF(0, 0));
        layout->endLayout();
    }
    m_layout.reset(layout);
    ++g_shaped;
}

void MSingleLineText::draw(QPainter *painter, const QRectF &r, int flags, const QString &text,
                           bool elide)
{
    if (text.contains(QChar(ushort(0x9c)))) {
        painter->drawText(r, flags | Qt::TextSingleLine, text);
        return;
    }
    const qreal width = elide ? r.width() : -1;
    if (!m_layout || text != m_text || painter->font() != m_font || width != m_width ||
        elide != m_elide || int(painter->layoutDirection()) != m_direction) {
        m_text = text;
        m_font = painter->font();
        m_width = width;
        m_elide = elide;
        m_direction = int(painter->layoutDirection());
        const int dpi = painter->device() ? painter->device()->logicalDpiY() : 0;
        const LineKey key{text, m_font, width, elide, m_direction, dpi};
        if (const SharedLine *shared = sharedLines().object(key)) {
            m_layout = shared->layout;
        } else {
            layOut(painter,
                   elide ? QFontMetricsF(m_font).elidedText(text, Qt::ElideRight, width) : text);
            sharedLines().insert(key, new SharedLine{m_layout});
        }
        ++m_layoutCount;
    }
    if (m_layout->lineCount() == 0)
        return;
    const int align =
        int(QStyle::visualAlignment(painter->layoutDirection(), Qt::Alignment(flags)));
    const QTextLine line = m_layout->lineAt(0);
    const qreal height = line.ascent() + line.descent();
    const qreal lineWidth = line.naturalTextWidth();
    qreal yoff = 0;
    qreal xoff = 0;
    if (align & Qt::AlignBottom)
        yoff = r.height() - height;
    else if (align & Qt::AlignVCenter)
        yoff = (r.height() - height) / 2;
    if (align & Qt::AlignRight)
        xoff = r.width() - lineWidth;
    else if (align & Qt::AlignHCenter)
        xoff = (r.width() - lineWidth) / 2;
    const bool clip = !r.contains(QRectF(r.x() + xoff, r.y() + yoff, lineWidth, height));
    if (clip) {
        painter->save();
        painter->setClipRect(r, Qt::IntersectClip);
    }
    const qreal advance = line.horizontalAdvance();
    if (align & Qt::AlignRight)
        xoff = r.width() - advance;
    else if (align & Qt::AlignHCenter)
        xoff = (r.width() - advance) / 2;
    else
        xoff = 0;
    line.draw(painter, QPointF(r.x() + xoff, r.y() + yoff));
    if (clip)
        painter->restore();
}
