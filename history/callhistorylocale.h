#pragma once

#include "mcalendar.h"
#include "mlocale.h"
#include "wallclockinfo.h"

#include <QDateTime>
#include <QObject>
#include <QScopedPointer>
#include <functional>

class QTimer;

namespace Ostra {
namespace Timed {
class Interface;
}
} // namespace Ostra

namespace Veyla {
class KxTime;
}

// The one place where the application learns about the user's language, region, clock and
// currency settings and about the change of day.
//
// It owns the application's locale (following the system's settings) and calendar and keeps the
// two format strings of the call list: short date with short time, and short time alone. The
// locale's change signals and the system time object's signal first refresh the format strings
// and then announce timeSettingsChanged() (and, for the locale, currencySettingsChanged()), so
// listeners already see the new formats. A time daemon change (time zone, clock set) announces
// timeSettingsChanged() and re-aims the day-break timer without refreshing the formats.
//
// dayBreakOccured() fires about a minute after every local midnight (at 00:00:59): the timer is
// aimed at 23:59:59 of the current day plus 60 s, measured in real seconds so that it also lands
// there on the days that daylight saving time makes 23 or 25 hours long.
class CallHistoryLocale : public QObject
{
    Q_OBJECT
public:
    // The current local date and time.
    using Clock = std::function<QDateTime()>;

    static CallHistoryLocale *instance();

    // A service of its own on `clock` (the system clock when empty); instance() is the
    // application's.
    explicit CallHistoryLocale(Clock clock = Clock(), QObject *parent = nullptr);
    ~CallHistoryLocale() override;

    MLocale *locale() const { return m_locale.data(); }
    MCalendar *calendar() { return &m_calendar; }

    // The current local date and time, as the service's clock tells it.
    QDateTime currentDateTime() const { return m_clock(); }

    QString formatDateTime(const QDateTime &dateTime);
    QString formatTime(const QDateTime &dateTime);
    QString dateTimeFormat() const { return m_dateTimeFormat; }
    QString timeFormat() const { return m_timeFormat; }

    Ostra::Timed::Interface *timedInterface() const { return m_timed; }
    Veyla::KxTime *systemTime() const { return m_systemTime.data(); }

    // Milliseconds from `now` (local time) to 60 s after 23:59:59 of its day.
    static qint64 dayBreakInterval(const QDateTime &now);
    // The interval the day-break timer was last started with, and whether it runs.
    int dayBreakTimerInterval() const;
    bool isDayBreakTimerActive() const;

Q_SIGNALS:
    void timeSettingsChanged();
    void currencySettingsChanged();
    void dayBreakOccured();

public Q_SLOTS:
    void refreshFormatStrings();
    void onDayBreakOccured();
    void onTimedSettingsChanged(const Ostra::Timed::WallClock::Info &info, bool timeChanged);

private:
    void startDayBreakTimer();
    QString format(const QDateTime &dateTime, const QString &pattern);

    QScopedPointer<MLocale> m_locale;
    MCalendar m_calendar;
    QString m_dateTimeFormat;
    QString m_timeFormat;
    Ostra::Timed::Interface *m_timed = nullptr;
    QTimer *m_dayBreakTimer = nullptr;
    QScopedPointer<Veyla::KxTime> m_systemTime;
    Clock m_clock;
};
