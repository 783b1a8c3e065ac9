#pragma once

#include "mwidgetcontroller.h"

// A thin line between parts of a layout, in its style's divider colour.
class MSeparator : public MWidgetController
{
    Q_OBJECT
public:
    explicit MSeparator(QGraphicsItem *parent = nullptr,
                        Qt::Orientation orientation = Qt::Horizontal);

    Qt::Orientation orientation() const { return m_orientation; }

protected:
    void drawContents(QPainter *painter, const QStyleOptionGraphicsItem *option) override;
    QSizeF sizeHint(Qt::SizeHint which, const QSizeF &constraint = QSizeF()) const override;

private:
    Qt::Orientation m_orientation;
};
