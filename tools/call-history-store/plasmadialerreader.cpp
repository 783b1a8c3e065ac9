#include "plasmadialerreader.h"

#include "callbounds.h"

#include <QDateTime>

#include <sqlite3.h>

using CommHistory::Event;

namespace {
enum Column { CommunicationWith, Direction, StartedAt, Duration };
}

PlasmaDialerReader::PlasmaDialerReader(const QString &account, const QString &voipAccount)
    : SqliteCallReader(QStringLiteral("History"),
                       {QStringLiteral("communicationWith"), QStringLiteral("direction"),
                        QStringLiteral("startedAt"), QStringLiteral("duration")},
                       account, voipAccount)
{
}

bool PlasmaDialerReader::localTime(const QString &text, qint64 *secs)
{
    QDateTime t = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!t.isValid()) {
        // A local time that the clock skipped when it went forward: read with the offset from
        // before the change, as a clock that had not changed yet would have shown it.
        const QDateTime fields = QDateTime::fromString(text + QLatin1Char('Z'), Qt::ISODateWithMs);
        for (int hours = 1; fields.isValid() && !t.isValid() && hours <= 3; ++hours) {
            const QDateTime later = fields.addSecs(hours * 3600);
            t = QDateTime(later.date(), later.time(), Qt::LocalTime);
        }
    }
    if (!t.isValid())
        return false;
    *secs = t.toSecsSinceEpoch();
    return true;
}

bool PlasmaDialerReader::convert(sqlite3_stmt *row, Event *event, QString *error) const
{
    QString number, startedAt;
    qint64 direction = 0, duration = 0;
    if (!text(row, CommunicationWith, &number, error) ||
        !integer(row, Direction, &direction, error) || !text(row, StartedAt, &startedAt, error))
        return false;
    if (sqlite3_column_type(row, Duration) != SQLITE_NULL &&
        !integer(row, Duration, &duration, error))
        return false;
    if (direction != 1 && direction != 2) {
        *error = QStringLiteral("\"direction\" must be 1 (incoming) or 2 (outgoing), not %1")
                     .arg(direction);
        return false;
    }
    if (duration < 0) {
        *error = QStringLiteral("\"duration\" is not a call's length in seconds: %1").arg(duration);
        return false;
    }
    qint64 start = 0;
    if (!localTime(startedAt.trimmed(), &start)) {
        *error = QStringLiteral("\"startedAt\" is not a time: %1").arg(startedAt.left(40));
        return false;
    }
    number = number.trimmed();
    if (!CallBounds::check(number, start, duration, error))
        return false;
    Event e;
    e.setType(Event::CallEvent);
    e.setDirection(direction == 1 ? Event::Inbound : Event::Outbound);
    e.setRemoteUid(number);
    e.setStartTimeT(start);
    e.setEndTimeT(start + duration);
    e.setIsMissedCall(direction == 1 && duration == 0);
    e.setIsRead(true);
    *event = e;
    return true;
}
