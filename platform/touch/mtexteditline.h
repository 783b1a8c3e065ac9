#pragma once

#include <QGraphicsTextItem>

// The editable line inside MTextEdit: plain text only (pasted or dropped markup arrives as its
// text), a document that loads nothing, and no focus frame of its own (the field shows its
// focus by its style).
class MTextEditLine : public QGraphicsTextItem
{
    Q_OBJECT
public:
    explicit MTextEditLine(QGraphicsItem *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    // Where the text cursor stands, in the item's coordinates.
    qreal cursorX() const;

Q_SIGNALS:
    // The text cursor moved (typing, arrow keys, taps).
    void cursorMoved();
};
