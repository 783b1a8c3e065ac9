#pragma once

#include "mlocale.h"

#include <QDateTime>
#include <QString>

// A calendar of the touch framework: a point in time seen in one time zone, with the first day
// of the week of a locale. Only the Gregorian calendar exists; the calendar type is kept so that
// callers can state it.
//
// A calendar made without a locale takes the first day of the week from the default locale at
// the time it is asked, so it follows locale changes.
class MCalendar
{
public:
    // `timeZone`: an IANA zone id; empty means the system's zone.
    explicit MCalendar(MLocale::CalendarType type = MLocale::DefaultCalendar,
                       const QString &timeZone = QString());
    explicit MCalendar(const MLocale &locale, const QString &timeZone = QString());

    MLocale::CalendarType type() const { return m_type; }
    QString timeZone() const { return m_timeZone; }

    void setDateTime(const QDateTime &dateTime);
    // The date and time set, in the calendar's zone.
    QDateTime dateTime() const;

    int year() const { return dateTime().date().year(); }
    int month() const { return dateTime().date().month(); }
    int dayOfMonth() const { return dateTime().date().day(); }
    int dayOfWeek() const { return dateTime().date().dayOfWeek(); }
    int hour() const { return dateTime().time().hour(); }
    int minute() const { return dateTime().time().minute(); }
    int second() const { return dateTime().time().second(); }

    // 1 (Monday) to 7 (Sunday), as QDate::dayOfWeek() counts.
    int firstDayOfWeek() const;

private:
    MLocale::CalendarType m_type;
    QString m_timeZone;
    QString m_region; // empty: the default locale's
    QDateTime m_dateTime;
};
