#pragma once

#include <QGraphicsWidget>

// Base of every widget of the touch layer: a graphics-view widget that knows whether it is on
// the display (visible in a shown window) and sets its texts anew when the language changes.
class MWidget : public QGraphicsWidget
{
    Q_OBJECT
public:
    explicit MWidget(QGraphicsItem *parent = nullptr);

    bool isOnDisplay() const;
    // Its shape is its rectangle (no widget of the touch layer draws another): the hit test of
    // every press compares that rectangle instead of building and intersecting shape paths.
    bool collidesWithPath(const QPainterPath &path,
                          Qt::ItemSelectionMode mode = Qt::IntersectsItemShape) const override;
    // Sends a language change to root and every widget below it.
    static void retranslateTree(QGraphicsItem *root);

protected:
    bool event(QEvent *event) override;
    // A widget shown keeps its size hints: only the layout it sits in is told to count it again
    // (QGraphicsWidget asks every widget of a page shown again for new hints, a whole layout
    // pass per page switch).
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;
    // The language changed: set translated texts again. The default does nothing.
    virtual void retranslateUi();
};
