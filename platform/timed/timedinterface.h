#pragma once

#include "wallclockinfo.h"

#include <QObject>

class ClockChangeWatcher;
class TimeZoneWatcher;

namespace Ostra {
namespace Timed {

// Client of the time daemon: reports changes of the wall clock's settings. settings_changed()
// comes with time_changed false when the time zone changed, and true when the clock was set.
// The daemon's role is played by the system itself: zone changes are read from the zone files
// (TimeZoneWatcher), clock changes from the kernel (ClockChangeWatcher).
class Interface : public QObject
{
    Q_OBJECT
public:
    explicit Interface(QObject *parent = nullptr);
    // Takes ownership of both watchers.
    Interface(TimeZoneWatcher *zones, ClockChangeWatcher *clock, QObject *parent = nullptr);

    // Connects settings_changed(const Ostra::Timed::WallClock::Info &, bool) to `slot` of
    // `object` (a SLOT() string); false if the slot does not fit.
    bool settings_changed_connect(QObject *object, const char *slot);
    bool settings_changed_disconnect(QObject *object, const char *slot);

    WallClock::Info wallClockInfo() const;

Q_SIGNALS:
    void settings_changed(const Ostra::Timed::WallClock::Info &info, bool time_changed);

private:
    TimeZoneWatcher *m_zones;
};

} // namespace Timed
} // namespace Ostra
