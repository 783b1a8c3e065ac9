#pragma once

#include <QMetaType>
#include <QObject>

class ClockChangeWatcher;
class TimeZoneWatcher;

namespace Veyla {

// What changed about the system's time.
enum KxTimeWhatChanged { KxTimeChangedTime = 1, KxTimeChangedTimeZone = 2 };

// The system time object: emits timeOrSettingsChanged() when the system clock is set
// (KxTimeChangedTime) or the system's time zone changes (KxTimeChangedTimeZone), so that
// everything that shows times can format them anew.
class KxTime : public QObject
{
    Q_OBJECT
public:
    explicit KxTime(QObject *parent = nullptr);
    // Takes ownership of both watchers.
    KxTime(TimeZoneWatcher *zones, ClockChangeWatcher *clock, QObject *parent = nullptr);

Q_SIGNALS:
    void timeOrSettingsChanged(Veyla::KxTimeWhatChanged what);
};

} // namespace Veyla

Q_DECLARE_METATYPE(Veyla::KxTimeWhatChanged)
