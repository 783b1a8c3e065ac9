#include "timedinterface.h"

#include "clockchangewatcher.h"
#include "timezonewatcher.h"

namespace Ostra {
namespace Timed {

Interface::Interface(QObject *parent)
    : Interface(new TimeZoneWatcher, new ClockChangeWatcher, parent)
{
}

Interface::Interface(TimeZoneWatcher *zones, ClockChangeWatcher *clock, QObject *parent)
    : QObject(parent), m_zones(zones)
{
    qRegisterMetaType<Ostra::Timed::WallClock::Info>();
    zones->setParent(this);
    clock->setParent(this);
    connect(zones, &TimeZoneWatcher::zoneChanged, this,
            [this](const QString &zone) { Q_EMIT settings_changed(WallClock::Info(zone), false); });
    connect(clock, &ClockChangeWatcher::clockChanged, this,
            [this] { Q_EMIT settings_changed(wallClockInfo(), true); });
}

bool Interface::settings_changed_connect(QObject *object, const char *slot)
{
    return connect(this, SIGNAL(settings_changed(Ostra::Timed::WallClock::Info, bool)), object,
                   slot);
}

bool Interface::settings_changed_disconnect(QObject *object, const char *slot)
{
    return disconnect(this, SIGNAL(settings_changed(Ostra::Timed::WallClock::Info, bool)), object,
                      slot);
}

WallClock::Info Interface::wallClockInfo() const
{
    return WallClock::Info(m_zones->zoneId());
}

} // namespace Timed
} // namespace Ostra
