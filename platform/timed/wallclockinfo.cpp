#include "wallclockinfo.h"

#include <QDateTime>

namespace Ostra {
namespace Timed {
namespace WallClock {

Info::Info(const QString &timeZone)
    : m_timeZone(timeZone), m_utcOffset(QDateTime::currentDateTime().offsetFromUtc())
{
}

} // namespace WallClock
} // namespace Timed
} // namespace Ostra
