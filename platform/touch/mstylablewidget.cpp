#include "mstylablewidget.h"

#include "mapplication.h"

void MStylableWidget::applyStyle()
{
    MWidgetController::applyStyle();
    const MStyle &s = style();
    const bool drawsNothing = !s.backgroundColor.isValid() && !s.borderColor.isValid() &&
                              !s.dividerColor.isValid() && !MApplication::showMargins();
    setFlag(QGraphicsItem::ItemHasNoContents, drawsNothing);
}
