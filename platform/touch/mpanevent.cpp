#include "mpanevent.h"

QEvent::Type MPanEvent::eventType()
{
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}
