#pragma once

#include <QFont>
#include <QRectF>
#include <QSharedPointer>
#include <QString>

class QPainter;
class QTextLayout;

// One line of plain text laid out once and drawn many times. Shaping text is the costly part of
// painting a label; this keeps the shaped line until the text, the font, the width or the layout
// direction changes. It draws exactly what QPainter::drawText(rect, flags | Qt::TextSingleLine,
// text) draws (line breaks and tabs shown as spaces), optionally elided at the end to the width.
// The lines shaped lately are shared by every MSingleLineText of the process (a few hundred, the
// least recently used dropped first): a list row refilled with a text some label showed a moment
// ago (a filter typed back, a list scrolled back) draws it without shaping it again.
// Limits: single line only; no mnemonics, no tab stops, no length variants (text holding the
// length-variant separator is drawn uncached by QPainter itself).
class MSingleLineText
{
public:
    MSingleLineText();
    ~MSingleLineText();

    // Draws text in r with the painter's font, pen and layout direction. flags: alignment only.
    void draw(QPainter *painter, const QRectF &r, int flags, const QString &text, bool elide);
    // How many times this took another line (shaped, or one shaped lately) so far.
    int layoutCount() const { return m_layoutCount; }
    // How many lines every MSingleLineText of the process has shaped so far.
    static int shapedCount();
    // Lets go of the lines shaped lately (those labels show now stay with them): for when a
    // long list was scrolled through and is back at its top, so that the lines of the rows
    // passed do not stay in memory.
    static void forgetSharedLines();

private:
    void layOut(QPainter *painter, const QString &text);

    QSharedPointer<const QTextLayout> m_layout;
    QString m_text;
    QFont m_font;
    qreal m_width = -1;
    bool m_elide = false;
    int m_direction = -1;
    int m_layoutCount = 0;
};
