#pragma once

#include <QMetaType>
#include <QString>

namespace Ostra {
namespace Timed {
namespace WallClock {

// What the time daemon tells about the wall clock when its settings change: the zone and its
// current offset from UTC.
class Info
{
public:
    Info() = default;
    explicit Info(const QString &timeZone);

    QString timeZone() const { return m_timeZone; }
    // Seconds east of UTC at the time the information was taken.
    int utcOffset() const { return m_utcOffset; }

private:
    QString m_timeZone;
    int m_utcOffset = 0;
};

} // namespace WallClock
} // namespace Timed
} // namespace Ostra

Q_DECLARE_METATYPE(Ostra::Timed::WallClock::Info)
