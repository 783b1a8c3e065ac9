#pragma once

#include <QGraphicsWidget>

class QGraphicsLayout;

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
    // Notes whether the layout placing it counted it (shown) or left it out (hidden).
    void setGeometry(const QRectF &rect) override;

protected:
    bool event(QEvent *event) override;
    // A widget shown keeps its size hints: only the layout it sits in is told to count it again
    // (QGraphicsWidget asks every widget of a page shown again for new hints, a whole layout
    // pass per page switch), and only when that layout placed it, or a widget beside it, while
    // it was shown or hidden otherwise than now. A layout leaves out the widgets hidden
    // themselves, not those hidden with their page: a page shown again as it was left needs no
    // new layout, but one whose widgets were shown or hidden while it was away does.
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;
    // The language changed: set translated texts again. The default does nothing.
    virtual void retranslateUi();

private:
    // Whether `layout` placed one of its widgets shown or hidden otherwise than it is now (items
    // other than MWidgets count as changed: nothing is known of them).
    static bool layoutIsBehind(QGraphicsLayout *layout);

    // Shown (not hidden itself) when its layout last placed it.
    bool m_placedShown = true;
};
