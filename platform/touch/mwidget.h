#pragma once

#include <QGraphicsWidget>

// Base of every widget of the touch layer: a graphics-view widget that knows whether it is on
// the display (visible in a shown window).
class MWidget : public QGraphicsWidget
{
    Q_OBJECT
public:
    explicit MWidget(QGraphicsItem *parent = nullptr);

    bool isOnDisplay() const;
};
