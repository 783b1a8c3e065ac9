#include "callhistorylocale.h"

#include "callhistorycache.h"

#include "kxtime.h"
#include "timedinterface.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

CallHistoryLocale *CallHistoryLocale::instance()
{
    static QPointer<CallHistoryLocale> self;
    if (!self)
        self = new CallHistoryLocale(Clock(), QCoreApplication::instance());
    return self;
}

CallHistoryLocale::CallHistoryLocale(Clock clock, QObject *parent)
    : QObject(parent), m_locale(new MLocale), m_calendar(MLocale::DefaultCalendar, QString()),
      m_clock(clock ? std::move(clock) : Clock(&QDateTime::currentDateTime))
{
    m_locale->connectSettings();
    m_systemTime.reset(new Veyla::KxTime);

    connect(m_locale.data(), SIGNAL(localeSettingsChanged()), this, SLOT(refreshFormatStrings()));
    connect(m_locale.data(), SIGNAL(localeSettingsChanged()), this, SIGNAL(timeSettingsChanged()));
    connect(m_locale.data(), SIGNAL(localeSettingsChanged()), this,
            SIGNAL(currencySettingsChanged()));

    connect(m_locale.data(), SIGNAL(settingsChanged()), this, SLOT(refreshFormatStrings()));
    connect(m_locale.data(), SIGNAL(settingsChanged()), this, SIGNAL(timeSettingsChanged()));
    connect(m_locale.data(), SIGNAL(settingsChanged()), this, SIGNAL(currencySettingsChanged()));

    connect(m_systemTime.data(), SIGNAL(timeOrSettingsChanged(Veyla::KxTimeWhatChanged)), this,
            SLOT(refreshFormatStrings()));
    connect(m_systemTime.data(), SIGNAL(timeOrSettingsChanged(Veyla::KxTimeWhatChanged)), this,
            SIGNAL(timeSettingsChanged()));

    m_dayBreakTimer = new QTimer(this);
    m_dayBreakTimer->setSingleShot(true);
    connect(m_dayBreakTimer, SIGNAL(timeout()), this, SLOT(onDayBreakOccured()));

    m_timed = new Ostra::Timed::Interface(this);
    m_timed->settings_changed_connect(
        this, SLOT(onTimedSettingsChanged(Ostra::Timed::WallClock::Info, bool)));

    refreshFormatStrings();
    startDayBreakTimer();
}

CallHistoryLocale::~CallHistoryLocale() = default;

void CallHistoryLocale::refreshFormatStrings()
{
    // No row may keep text formatted with the old settings. A cache that does not exist yet holds
    // nothing; creating it here would build the model chain from inside this constructor.
    if (CallHistoryCache::exists())
        CallHistoryCache::instance()->clear(-1);
    m_dateTimeFormat =
        m_locale->icuFormatString(MLocale::DateShort, MLocale::TimeShort, MLocale::DefaultCalendar);
    m_timeFormat =
        m_locale->icuFormatString(MLocale::DateNone, MLocale::TimeShort, MLocale::DefaultCalendar);
}

QString CallHistoryLocale::format(const QDateTime &dateTime, const QString &pattern)
{
    m_calendar.setDateTime(dateTime.toTimeSpec(Qt::LocalTime));
    return m_locale->formatDateTimeICU(m_calendar, pattern);
}

QString CallHistoryLocale::formatDateTime(const QDateTime &dateTime)
{
    return format(dateTime, m_dateTimeFormat);
}

QString CallHistoryLocale::formatTime(const QDateTime &dateTime)
{
    return format(dateTime, m_timeFormat);
}

qint64 CallHistoryLocale::dayBreakInterval(const QDateTime &now)
{
    const QDateTime local = now.toLocalTime();
    const QDateTime lastSecond(local.date(), QTime(23, 59, 59), Qt::LocalTime);
    return (qMax<qint64>(0, local.secsTo(lastSecond)) + 60) * 1000;
}

void CallHistoryLocale::startDayBreakTimer()
{
    m_dayBreakTimer->start(int(dayBreakInterval(m_clock())));
}

int CallHistoryLocale::dayBreakTimerInterval() const
{
    return m_dayBreakTimer->interval();
}

bool CallHistoryLocale::isDayBreakTimerActive() const
{
    return m_dayBreakTimer->isActive();
}

void CallHistoryLocale::onDayBreakOccured()
{
    Q_EMIT dayBreakOccured();
    startDayBreakTimer();
}

void CallHistoryLocale::onTimedSettingsChanged(const Ostra::Timed::WallClock::Info &, bool)
{
    Q_EMIT timeSettingsChanged();
    startDayBreakTimer();
}
