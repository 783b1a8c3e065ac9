#pragma once

#include "mwidgetcontroller.h"

// A plain styled container: a style name and a layout, nothing else. While its style draws
// nothing (no background, border or divider) it declares that it has no contents, so that a
// repaint of the window skips it and paints only its children.
class MStylableWidget : public MWidgetController
{
    Q_OBJECT
public:
    explicit MStylableWidget(QGraphicsItem *parent = nullptr) : MWidgetController(parent) {}

protected:
    void applyStyle() override;
};
