#include "kxtime.h"

#include "clockchangewatcher.h"
#include "timezonewatcher.h"

namespace Veyla {

KxTime::KxTime(QObject *parent) : KxTime(new TimeZoneWatcher, new ClockChangeWatcher, parent) {}

KxTime::KxTime(TimeZoneWatcher *zones, ClockChangeWatcher *clock, QObject *parent) : QObject(parent)
{
    qRegisterMetaType<Veyla::KxTimeWhatChanged>();
    zones->setParent(this);
    clock->setParent(this);
    connect(zones, &TimeZoneWatcher::zoneChanged, this,
            [this] { Q_EMIT timeOrSettingsChanged(KxTimeChangedTimeZone); });
    connect(clock, &ClockChangeWatcher::clockChanged, this,
            [this] { Q_EMIT timeOrSettingsChanged(KxTimeChangedTime); });
}

} // namespace Veyla
