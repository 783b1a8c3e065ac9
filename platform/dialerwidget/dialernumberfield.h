#pragma once

#include "mwidgetcontroller.h"

#include <QHash>
#include <QSharedPointer>
#include <QTextLayout>
#include <QTimer>

namespace Dialer {

// The number the user is dialling, shown large and grouped for reading ("040 123 45 67") while
// text() keeps the characters exactly as typed. Always drawn as plain text, left to right in
// every language. A number too wide for the field is drawn smaller, down to half the style's
// size, and then on more lines (the field grows), so every character stays in sight.
// A long press on the field emits longPressed() (the keypad pastes then).
//
// A key press must show its digit at once: the fonts of each size and the widths of single
// characters are kept, so a change picks its size without looking fonts up, checks it with one
// measure and lays the lines out once; a repaint draws the laid-out lines without shaping again.
class DialerNumberField : public MWidgetController
{
    Q_OBJECT
public:
    explicit DialerNumberField(QGraphicsItem *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text);
    // What is drawn: the grouped number, its lines joined by "\n".
    QString displayedText() const;

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
    // Chooses the font and the shown text for the current text and width.
    void layoutText();
    // The style's font at `pixelSize`, made once per size.
    QFont fontOfSize(int pixelSize);
    // The width of `text` in m_font as the sum of its characters' widths (a number's characters
    // are not joined or kerned).
    qreal advance(const QString &text);
    // `line` shaped in m_font.
    QSharedPointer<QTextLayout> prepared(const QString &line) const;

    QString m_text;
    QStringList m_lines;
    QVector<QSharedPointer<QTextLayout>> m_prepared; // m_lines, shaped
    QFont m_font;
    QHash<int, QFont> m_fonts;
    QHash<int, QHash<QChar, qreal>> m_advances; // by pixel size
    QTimer m_longPress;
};

} // namespace Dialer
