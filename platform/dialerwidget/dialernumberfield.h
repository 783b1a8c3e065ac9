#pragma once

#include "mwidgetcontroller.h"

#include <QGlyphRun>
#include <QHash>
#include <QRawFont>
#include <QSharedPointer>
#include <QTextLayout>
#include <QTimer>

#include <functional>

namespace Dialer {

// The number the user is dialling, shown large and grouped for reading ("040 123 45 67") while
// text() keeps the characters exactly as typed. Always drawn as plain text, left to right in
// every language. A number too wide for the field is drawn smaller, down to half the style's
// size, and then on more lines (the field grows), so every character stays in sight.
// A long press on the field emits longPressed() (the keypad pastes then).
//
// A key press must show its digit at once. A number is made of characters that need no shaping
// (digits, "+ * # ,", pause letters, spaces), so the field keeps, per font size, the glyph and
// the advance of each character it has drawn (letter spacing included): a change adds up
// advances to choose the size and lines and builds the glyph runs from kept glyphs, without
// shaping the number again; a repaint draws the runs. A character the font has no glyph for
// (only possible through setText() from elsewhere) makes its line go through full text layout.
class DialerNumberField : public MWidgetController
{
    Q_OBJECT
public:
    explicit DialerNumberField(QGraphicsItem *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text);
    // What is drawn: the grouped number, its lines joined by "\n".
    QString displayedText() const;
    // The font it is drawn in: the style's, smaller for a long number.
    QFont font() const { return m_font; }
    // How the typed characters are grouped for reading (the program passes libphonenumber's
    // as-you-type grouping); null: groupedForReading().
    void setGrouping(const std::function<QString(const QString &)> &grouping);

Q_SIGNALS:
    void longPressed();

protected:
    void drawContents(QPainter *painter, const QStyleOptionGraphicsItem *option) override;
    QSizeF sizeHint(Qt::SizeHint which, const QSizeF &constraint = QSizeF()) const override;
    void resizeEvent(QGraphicsSceneResizeEvent *event) override;
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
    void applyStyle() override;

private:
    // One font size: the font, its raw font and the glyph of each character met so far.
    struct Face
    {
        struct Glyph
        {
            quint32 index = 0; // 0: not in the font
            qreal advance = 0;
        };
        QFont font;
        QRawFont raw;
        QHash<QChar, Glyph> glyphs;
    };
    // One line as drawn: glyphs at their positions, or a full text layout as a fall-back.
    struct Line
    {
        QGlyphRun run;
        QSharedPointer<QTextLayout> layout;
        qreal width = 0;
    };

    // Chooses the font and the shown text for the current text and width.
    void layoutText();
    // The style's font at `pixelSize`, made once per size.
    Face &faceOfSize(int pixelSize);
    const Face::Glyph &glyph(QChar c);
    // The width of `text` in the current face: its characters' advances added up (a number's
    // characters are not joined or kerned).
    qreal advance(const QString &text);
    Line prepared(const QString &line);

    QString m_text;
    std::function<QString(const QString &)> m_grouping;
    QStringList m_lines;
    QVector<Line> m_prepared; // m_lines, ready to draw
    Face *m_face = nullptr;
    QFont m_font;
    QHash<int, Face> m_faces; // by pixel size
    QTimer m_longPress;
};

} // namespace Dialer
