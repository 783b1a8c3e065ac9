#include "callbounds.h"

#include <QDateTime>

using CommHistory::Event;

bool CallBounds::checkRemote(const QString &remote, QString *error)
{
    if (remote.size() <= Event::MaxRemoteUidLength)
        return true;
    *error = QStringLiteral("the number or address has %1 characters, more than the %2 the "
                            "history keeps")
                 .arg(remote.size())
                 .arg(int(Event::MaxRemoteUidLength));
    return false;
}

bool CallBounds::checkTimes(qint64 start, qint64 seconds, QString *error)
{
    if (start < EarliestStart || start > LatestStart) {
        const QDateTime t = QDateTime::fromSecsSinceEpoch(start, Qt::UTC);
        *error = QStringLiteral("the call starts %1 (%2)")
                     .arg(start < EarliestStart ? QStringLiteral("before 1970")
                                                : QStringLiteral("after 9999"),
                          t.isValid() ? t.toString(Qt::ISODate)
                                      : QStringLiteral("%1 s from 1970").arg(start));
        return false;
    }
    if (seconds < 0) {
        *error = QStringLiteral("the call ends before it starts");
        return false;
    }
    if (seconds > LongestCall) {
        *error = QStringLiteral("the call lasts %1 seconds, longer than the 100 days a call may "
                                "last")
                     .arg(seconds);
        return false;
    }
    return true;
}

bool CallBounds::check(const QString &remote, qint64 start, qint64 seconds, QString *error)
{
    return checkRemote(remote, error) && checkTimes(start, seconds, error);
}
