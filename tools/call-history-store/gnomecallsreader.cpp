#include "gnomecallsreader.h"

#include "callbounds.h"

#include <QDateTime>

using CommHistory::Event;

namespace {
enum Column { Target, Inbound, Start, Answered, End };
}

GnomeCallsReader::GnomeCallsReader(const QString &account, const QString &voipAccount)
    : SqliteCallReader(QStringLiteral("calls"),
                       {QStringLiteral("target"), QStringLiteral("inbound"),
                        QStringLiteral("start"), QStringLiteral("answered"), QStringLiteral("end")},
                       account, voipAccount)
{
}

bool GnomeCallsReader::time(sqlite3_stmt *row, int column, qint64 *secs, bool *present,
                            QString *error) const
{
    QString value;
    if (!text(row, column, &value, error))
        return false;
    value = value.trimmed();
    *present = !value.isEmpty();
    if (!*present)
        return true;
    QDateTime t = QDateTime::fromString(value, Qt::ISODateWithMs);
    if (!t.isValid()) {
        *error = QStringLiteral("\"%1\" is not an ISO 8601 time: %2")
                     .arg(columnName(column), value.left(40));
        return false;
    }
    if (t.timeSpec() == Qt::LocalTime)
        t.setTimeSpec(Qt::UTC);
    *secs = t.toSecsSinceEpoch();
    return true;
}

bool GnomeCallsReader::convert(sqlite3_stmt *row, Event *event, QString *error) const
{
    QString target;
    qint64 inbound = 0, start = 0, answered = 0, end = 0;
    bool hasStart = false, hasAnswer = false, hasEnd = false;
    if (!text(row, Target, &target, error) || !integer(row, Inbound, &inbound, error) ||
        !time(row, Start, &start, &hasStart, error) ||
        !time(row, Answered, &answered, &hasAnswer, error) || !time(row, End, &end, &hasEnd, error))
        return false;
    if (inbound != 0 && inbound != 1) {
        *error = QStringLiteral("\"inbound\" must be 0 or 1, not %1").arg(inbound);
        return false;
    }
    if (!hasStart) {
        *error = QStringLiteral("the call has no \"start\"");
        return false;
    }
    const qint64 from = hasAnswer ? answered : start;
    if ((hasAnswer && answered < start) || (hasEnd && end < from)) {
        *error = QStringLiteral("the call ends before it starts or is answered");
        return false;
    }
    target = target.trimmed();
    if (!CallBounds::check(target, start, (hasEnd ? end : from) - start, error))
        return false;
    Event e;
    e.setType(Event::CallEvent);
    e.setDirection(inbound ? Event::Inbound : Event::Outbound);
    e.setRemoteUid(target);
    e.setStartTimeT(from);
    e.setEndTimeT(hasEnd ? end : from);
    e.setIsMissedCall(inbound && !hasAnswer);
    e.setIsRead(true);
    *event = e;
    return true;
}
