#include "mlabel.h"

#include "mlabelhighlighter.h"
#include "mofflinetextdocument.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QTextDocumentFragment>
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
    if (!hintsFollowText()) {
        m_text = text;
        update();
        return;
    }
    // The layout around is asked again only when the label's size hint changes with the text:
    // a new text of the same measure (a count, a time) only repaints.
    const bool measured = !m_wordWrap && m_sizeCache.valid && m_sizeCache.text == m_text;
    const QSizeF before = measured ? textSize(-1) : QSizeF();
    m_text = text;
    if (!measured || textSize(-1) != before)
        updateGeometry();
    update();
}

bool MLabel::waitsForPlace() const
{
    return !parentLayoutItem() && (!isVisible() || (!parentItem() && !scene()));
}

void MLabel::updateGeometry()
{
    if (waitsForPlace()) {
        // The hints are asked again when needed; the fitting comes with a place.
        QGraphicsLayoutItem::updateGeometry();
        m_fittingPending = true;
        return;
    }
    m_fittingPending = false;
    MWidgetController::updateGeometry();
}

QVariant MLabel::itemChange(GraphicsItemChange change, const QVariant &value)
{
    const QVariant result = MWidgetController::itemChange(change, value);
    if (m_fittingPending &&
        (change == ItemVisibleHasChanged || change == ItemParentHasChanged ||
         change == ItemSceneHasChanged) &&
        !waitsForPlace())
        updateGeometry();
    return result;
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
    // Never guessed from the text: outside text that looks like markup stays what it is.
    return m_format == Qt::RichText;
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
        MOfflineTextDocument doc;
        doc.setDefaultFont(s.font());
        doc.setDocumentMargin(0);
        doc.setHtml(renderedText());
        w = doc.idealWidth();
    }
    if (m_wordWrap && !m_text.isEmpty()) {
        MOfflineTextDocument doc;
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

Qt::Alignment MLabel::visualAlignment() const
{
    // Leading and trailing edges follow the label's layout direction (mirrored right to left).
    return QStyle::visualAlignment(layoutDirection(), alignment());
}

void MLabel::drawContents(QPainter *painter, const QStyleOptionGraphicsItem *)
{
    if (m_text.isEmpty())
        return;
    const MStyle &s = style();
    const QRectF r = contentsRect();
    const QColor color = m_color.isValid() ? m_color : s.color;
    const Qt::Alignment align = visualAlignment();
    painter->save();
    painter->setFont(s.font());
    painter->setPen(color);
    // The text's own direction comes from its content; where it stands, from the alignment.
    painter->setLayoutDirection(Qt::LayoutDirectionAuto);
    if (isRich() || m_wordWrap) {
        MOfflineTextDocument doc;
        doc.setDefaultFont(s.font());
        doc.setDocumentMargin(0);
        doc.setDefaultStyleSheet(QStringLiteral("body { color: %1; }").arg(color.name()));
        // The options first: they apply to the blocks made when the text is set.
        QTextOption opt(align & (Qt::AlignHorizontal_Mask | Qt::AlignAbsolute));
        opt.setWrapMode(m_wordWrap ? QTextOption::WordWrap : QTextOption::NoWrap);
        doc.setDefaultTextOption(opt);
        // A width to align in, also for one unwrapped line.
        doc.setTextWidth(r.width());
        if (isRich())
            doc.setHtml(QStringLiteral("<body>") + renderedText() + QStringLiteral("</body>"));
        else
            doc.setPlainText(m_text);
        qreal y = r.top();
        if (align & Qt::AlignVCenter)
            y += (r.height() - doc.size().height()) / 2;
        else if (align & Qt::AlignBottom)
            y += r.height() - doc.size().height();
        painter->translate(r.left(), y);
        painter->setClipRect(QRectF(0, 0, r.width(), r.height()));
        QAbstractTextDocumentLayout::PaintContext ctx;
        ctx.palette.setColor(QPalette::Text, color);
        doc.documentLayout()->draw(painter, ctx);
    } else {
        m_line.draw(painter, r, int(align), m_text, m_elide);
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
