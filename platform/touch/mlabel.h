#pragma once

#include "msinglelinetext.h"
#include "mwidgetcontroller.h"

#include <QPointer>

class MLabelHighlighter;

// A text label in its style's font and colour. The text is plain text unless the format is set to
// Qt::RichText (Qt::AutoText counts as plain: text is never taken for markup because of how it
// looks); only the program's own markup, with every outside piece escaped, may be rich. Markup
// never loads anything (no images, no files). Plain text is drawn on one line and elided at the
// end when it does not fit (unless word wrap is on). Alignment follows the layout direction.
// Emits clicked() when tapped, if taps are enabled.
class MLabel : public MWidgetController
{
    Q_OBJECT
public:
    explicit MLabel(QGraphicsItem *parent = nullptr);
    explicit MLabel(const QString &text, QGraphicsItem *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text);
    bool wordWrap() const { return m_wordWrap; }
    void setWordWrap(bool wrap);
    bool textElide() const { return m_elide; }
    void setTextElide(bool elide);
    Qt::Alignment alignment() const;
    void setAlignment(Qt::Alignment alignment);
    Qt::TextFormat textFormat() const { return m_format; }
    void setTextFormat(Qt::TextFormat format);
    // Colour overriding the style's text colour (invalid: the style's).
    void setColor(const QColor &color);
    // Highlighters mark parts of a rich-text label's text (the text is HTML-escaped plain text
    // then). Not owned.
    void addHighlighter(MLabelHighlighter *highlighter);
    void removeHighlighter(MLabelHighlighter *highlighter);
    void removeAllHighlighters();
    QList<MLabelHighlighter *> highlighters() const;
    // The text as drawn: with highlights marked when there are any.
    QString renderedText() const;

    // A label in no layout is fitted to its size hints when they change (as any graphics
    // widget), but only once it has a place to be seen: while it is in no scene and has no
    // parent, or while it is hidden, the fitting (and the measuring of its text that it needs)
    // waits until it gets one or is shown. A label that is made, styled and filled before it
    // goes into a layout is then measured in its final look only.
    void updateGeometry() override;

Q_SIGNALS:
    void clicked();

protected:
    void drawContents(QPainter *painter, const QStyleOptionGraphicsItem *option) override;
    QSizeF sizeHint(Qt::SizeHint which, const QSizeF &constraint = QSizeF()) const override;
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
    bool isRich() const;
    // The alignment with leading and trailing edges resolved for the layout direction.
    Qt::Alignment visualAlignment() const;
    // The text's own size (without padding), measured once per text and look.
    QSizeF textSize(qreal availableWidth) const;
    // Whether the size hints depend on the text; when not, a new text is neither measured nor
    // laid out, only drawn.
    virtual bool hintsFollowText() const { return true; }

private:
    bool waitsForPlace() const;

    QString m_text;
    bool m_fittingPending = false;
    bool m_wordWrap = false;
    bool m_elide = true;
    bool m_alignmentSet = false;
    Qt::Alignment m_alignment;
    Qt::TextFormat m_format = Qt::PlainText;
    QColor m_color;
    QList<QPointer<MLabelHighlighter>> m_highlighters;
    struct SizeCache
    {
        bool valid = false;
        QString text;
        const MStyle *style = nullptr;
        int fontSize = 0;
        bool rich = false;
        bool wrap = false;
        qreal available = -1;
        QList<MLabelHighlighter *> highlighters;
        QSizeF size;
    };
    mutable SizeCache m_sizeCache;
    // Plain text on one line, shaped once per text, font, width and direction.
    MSingleLineText m_line;
};
