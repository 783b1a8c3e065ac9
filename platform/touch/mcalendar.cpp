#include "mcalendar.h"

#include <QTimeZone>

MCalendar::MCalendar(MLocale::CalendarType type, const QString &timeZone)
    : m_type(type), m_timeZone(timeZone), m_dateTime(QDateTime::currentDateTime())
{
}

MCalendar::MCalendar(const MLocale &locale, const QString &timeZone)
    : MCalendar(MLocale::DefaultCalendar, timeZone)
{
    m_region = locale.region();
}

void MCalendar::setDateTime(const QDateTime &dateTime)
{
    m_dateTime = dateTime;
}

QDateTime MCalendar::dateTime() const
{
    if (m_timeZone.isEmpty())
        return m_dateTime.toLocalTime();
    const QTimeZone zone(m_timeZone.toUtf8());
    return zone.isValid() ? m_dateTime.toTimeZone(zone) : m_dateTime.toLocalTime();
}

int MCalendar::firstDayOfWeek() const
{
    const QLocale locale = m_region.isEmpty() ? MLocale().regionLocale() : QLocale(m_region);
    return int(locale.firstDayOfWeek());
}
