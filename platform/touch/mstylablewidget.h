#pragma once

#include "mwidgetcontroller.h"

// A plain styled container: a style name and a layout, nothing else.
class MStylableWidget : public MWidgetController
{
    Q_OBJECT
public:
    explicit MStylableWidget(QGraphicsItem *parent = nullptr) : MWidgetController(parent) {}
};
