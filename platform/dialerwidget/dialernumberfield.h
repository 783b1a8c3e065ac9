#pragma once

#include "mwidgetcontroller.h"

#include <QTimer>

namespace Dialer {

// The number the user is dialling, shown large and grouped for reading ("040 123 45 67") while
// text() keeps the characters exactly as typed. Always drawn as plain text, left to right in
// every language. A number too wide for the field is drawn smaller, down to half the style's
// size, and then on more lines (the field grows), so every character stays in sight.
// A long press on the field emits longPressed() (the keypad pastes then).
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

    QString m_text;
    QStringList m_lines;
    QFont m_font;
    QTimer m_longPress;
};

} // namespace Dialer
