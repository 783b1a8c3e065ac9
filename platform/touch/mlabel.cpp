#include "mlabel.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>
#include <QTextDocumentFragment>

#include "mlabelhighlighter.h"
#include <QTextDocument>
#include <QWidget>

MLabel::MLabel(QGraphicsItem *parent) : MWidgetController(parent)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setAcceptedMouseButtons(Qt::NoButton);
}

MLabel::MLabel(const QString &text, QGraphicsItem *parent) : MLabel(parent)
{
    setText(text);
}

void MLabel::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    updateGeometry();
    update();
}

void MLabel::setWordWrap(bool wrap)
{
    m_wordWrap = wrap;
    updateGeometry();
    update();
}

void MLabel::setTextElide(bool elide)
{
    m_elide = elide;
    update();
}

Qt::Alignment MLabel::alignment() const
{
    return m_alignmentSet ? m_alignment : style().alignment;
}

void MLabel::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    m_alignmentSet = true;
    update();
}

void MLabel::setTextFormat(Qt::TextFormat format)
{
    m_format = format;
    updateGeometry();
    update();
}

void MLabel::setColor(const QColor &color)
{
    m_color = color;
    update();
}

void MLabel::addHighlighter(MLabelHighlighter *highlighter)
{
    if (!highlighter || highlighters().contains(highlighter))
        return;
    m_highlighters.append(highlighter);
    updateGeometry();
    update();
}

void MLabel::removeHighlighter(MLabelHighlighter *highlighter)
{
    m_highlighters.removeAll(highlighter);
    update();
}

void MLabel::removeAllHighlighters()
{
    if (m_highlighters.isEmpty())
        return;
    m_highlighters.clear();
    update();
}

QList<MLabelHighlighter *> MLabel::highlighters() const
{
    QList<MLabelHighlighter *> list;
    for (const QPointer<MLabelHighlighter> &h : m_highlighters) {
        if (h)
            list.append(h);
    }
    return list;
}

QString MLabel::renderedText() const
{
    const QList<MLabelHighlighter *> hs = highlighters();
    if (!isRich() || hs.isEmpty())
        return m_text;
    const QString plain = QTextDocumentFragment::fromHtml(m_text).toPlainText();
    QVector<bool> marked(plain.size(), false);
    for (MLabelHighlighter *h : hs) {
        const QList<QPair<int, int>> parts = h->highlights(plain);
        for (const auto &part : parts) {
            for (int i = part.first; i < part.first + part.second && i < plain.size(); ++i)
                marked[i] = true;
        }
    }
    const QString open = QStringLiteral("<span style=\"color:%1; font-weight:bold\">")
                             .arg(style().accentColor.name());
    QString html;
    int i = 0;
    while (i < plain.size()) {
        int j = i;
        while (j < plain.size() && marked[j] == marked[i])
            ++j;
        const QString part = plain.mid(i, j - i).toHtmlEscaped();
        html += marked[i] ? open + part + QStringLiteral("</span>") : part;
        i = j;
    }
    return html;
}

bool MLabel::isRich() const
{
    return m_format == Qt::RichText || (m_format == Qt::AutoText && Qt::mightBeRichText(m_text));
}

QSizeF MLabel::textSize(qreal availableWidth) const
{
    // Layouts ask for size hints many times per pass; measuring text is what costs.
    const MStyle &s = style();
    const QList<MLabelHighlighter *> hs = highlighters();
    const bool rich = isRich();
    const qreal avail = m_wordWrap ? availableWidth : -1;
    if (m_sizeCache.valid && m_sizeCache.text == m_text && m_sizeCache.style == &s &&
        m_sizeCache.fontSize == s.fontSize && m_sizeCache.rich == rich &&
        m_sizeCache.wrap == m_wordWrap && m_sizeCache.available == avail &&
        m_sizeCache.highlighters == hs)
        return m_sizeCache.size;

    const QFontMetricsF fm(s.font());
    qreal h = fm.height();
    qreal w = fm.horizontalAdvance(m_text);
    if (rich && !m_wordWrap) {
        QTextDocument doc;
        doc.setDefaultFont(s.font());
        doc.setDocumentMargin(0);
        doc.setHtml(renderedText());
        w = doc.idealWidth();
    }
    if (m_wordWrap && !m_text.isEmpty()) {
        QTextDocument doc;
        doc.setDefaultFont(s.font());
        doc.setDocumentMargin(0);
        doc.setTextWidth(avail);
        if (rich)
            doc.setHtml(m_text);
        else
            doc.setPlainText(m_text);
        h = doc.size().height();
        w = qMin(avail, doc.idealWidth());
    }
    m_sizeCache = {true, m_text, &s, s.fontSize, rich, m_wordWrap, avail, hs, QSizeF(w, h)};
    return m_sizeCache.size;
}

QSizeF MLabel::sizeHint(Qt::SizeHint which, const QSizeF &constraint) const
{
    const MStyle &s = style();
    const QMarginsF pad(s.padding);
    if (which == Qt::MaximumSize)
        return QSizeF(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    const qreal avail =
        constraint.width() > 0 ? constraint.width() - pad.left() - pad.right() : 400;
    QSizeF text = textSize(avail);
    if (which == Qt::MinimumSize)
        text.setWidth(0);
    QSizeF size(text.width() + pad.left() + pad.right(), text.height() + pad.top() + pad.bottom());
    if (s.height > 0 && which == Qt::PreferredSize)
        size.setHeight(qMax<qreal>(s.height, size.height()));
    return size;
}

void MLabel::drawContents(QPainter *painter, const QStyleOptionGraphicsItem *)
{
    if (m_text.isEmpty())
        return;
    const MStyle &s = style();
    const QRectF r = contentsRect();
    const QColor color = m_color.isValid() ? m_color : s.color;
    painter->save();
    painter->setFont(s.font());
    painter->setPen(color);
    if (isRich() || m_wordWrap) {
        QTextDocument doc;
        doc.setDefaultFont(s.font());
        doc.setDocumentMargin(0);
        doc.setDefaultStyleSheet(QStringLiteral("body { color: %1; }").arg(color.name()));
        // The options first: they apply to the blocks made when the text is set.
        QTextOption opt(alignment() & Qt::AlignHorizontal_Mask);
        opt.setWrapMode(m_wordWrap ? QTextOption::WordWrap : QTextOption::NoWrap);
        doc.setDefaultTextOption(opt);
        doc.setTextWidth(m_wordWrap ? r.width() : -1);
        if (isRich())
            doc.setHtml(QStringLiteral("<body>") + renderedText() + QStringLiteral("</body>"));
        else
            doc.setPlainText(m_text);
        qreal y = r.top();
        if (alignment() & Qt::AlignVCenter)
            y += (r.height() - doc.size().height()) / 2;
        painter->translate(r.left(), y);
        painter->setClipRect(QRectF(0, 0, r.width(), r.height()));
        QAbstractTextDocumentLayout::PaintContext ctx;
        ctx.palette.setColor(QPalette::Text, color);
        doc.documentLayout()->draw(painter, ctx);
    } else {
        const QFontMetricsF fm(s.font());
        const QString shown = m_elide ? fm.elidedText(m_text, Qt::ElideRight, r.width()) : m_text;
        painter->drawText(r, int(alignment()) | Qt::TextSingleLine, shown);
    }
    painter->restore();
}

void MLabel::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    event->accept();
}

void MLabel::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    if (rect().contains(event->pos()))
        Q_EMIT clicked();
}
