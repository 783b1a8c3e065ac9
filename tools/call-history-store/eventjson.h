#ifndef EVENTJSON_H
#define EVENTJSON_H

#include "event.h"

#include <QJsonObject>

/*
 * One call event as one JSON object, the line format of the store tool's import and export:
 *   {"id":12,"type":"call","direction":"in","remote":"+3584012345","account":"/org/...",
 *    "start":"2026-03-01T10:00:00Z","end":"2026-03-01T10:02:30Z","missed":false,"read":true,
 *    "video":false,"emergency":false}
 * Times are UTC, to the second. "count" is written for collapsed rows of a listing only.
 * Reading requires "direction" and "start"; "end" defaults to the start, texts to empty,
 * flags to false; "id" and "count" are ignored (the store gives new ids). "remote" is held to
 * the history's bound on a remote identifier's length (CallBounds).
 */
class EventJson
{
public:
    static QJsonObject toJson(const CommHistory::Event &event, bool withCount = false);
    static bool fromJson(const QJsonObject &object, CommHistory::Event *event, QString *error);
    static QString timeText(qint64 secs);
    // ISO 8601 (a time without offset is local time), seconds since the epoch, or "now".
    static bool parseTime(const QString &text, qint64 *secs);
};

#endif
