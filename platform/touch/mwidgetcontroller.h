#pragma once

#include "mstyle.h"
#include "mwidget.h"

// A widget styled by a theme style name: background, rounded corners, divider line and
// paddings come from the style; subclasses read style() for their text and icons. A style's
// paddings are written for left to right: right to left, the left and right ones change sides
// (contentsRect() follows the widget's layout direction).
// The preferred height follows the style's height when it sets one.
class MWidgetController : public MWidget
{
    Q_OBJECT
public:
    explicit MWidgetController(QGraphicsItem *parent = nullptr);

    QString styleName() const { return m_styleName; }
    void setStyleName(const QString &name);
    const MStyle &style() const;
    // A mode of the style ("selected", "pressed"): the theme's "Name:mode" block when it has
    // one, else the style itself. Empty for the default mode.
    QString styleMode() const { return m_styleMode; }
    void setStyleMode(const QString &mode);

    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
               QWidget *widget = nullptr) override;

protected:
    // Called when the style name or the theme changes; the default updates geometry and repaints.
    virtual void applyStyle();
    QSizeF sizeHint(Qt::SizeHint which, const QSizeF &constraint = QSizeF()) const override;
    // Paints the style's background and divider; called by paint() before drawContents().
    virtual void drawBackground(QPainter *painter, const QStyleOptionGraphicsItem *option) const;
    virtual void drawContents(QPainter *painter, const QStyleOptionGraphicsItem *option);
    void changeEvent(QEvent *event) override;

private:
    // The style's paddings as contents margins, mirrored right to left.
    void applyPadding();

    QString m_styleName;
    QString m_styleMode;
};
