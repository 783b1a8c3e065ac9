#include "eventjson.h"

#include "callbounds.h"

#include <QDateTime>

using CommHistory::Event;

static QString directionName(Event::EventDirection d)
{
    switch (d) {
    case Event::Inbound:
        return QStringLiteral("in");
    case Event::Outbound:
        return QStringLiteral("out");
    default:
        return QStringLiteral("unknown");
    }
}

QString EventJson::timeText(qint64 secs)
{
    return QDateTime::fromSecsSinceEpoch(secs, Qt::UTC).toString(Qt::ISODate);
}

bool EventJson::parseTime(const QString &text, qint64 *secs)
{
    if (text == QLatin1String("now")) {
        *secs = QDateTime::currentSecsSinceEpoch();
        return true;
    }
    bool isNumber = false;
    const qint64 n = text.toLongLong(&isNumber);
    if (isNumber) {
        *secs = n;
        return true;
    }
    const QDateTime t = QDateTime::fromString(text, Qt::ISODate);
    if (!t.isValid())
        return false;
    *secs = t.toSecsSinceEpoch();
    return true;
}

QJsonObject EventJson::toJson(const Event &e, bool withCount)
{
    QJsonObject o;
    o.insert("id", e.id());
    o.insert("type", "call");
    o.insert("direction", directionName(e.direction()));
    o.insert("remote", e.remoteUid());
    o.insert("account", e.localUid());
    o.insert("start", timeText(e.startTimeT()));
    o.insert("end", timeText(e.endTimeT()));
    o.insert("missed", e.isMissedCall());
    o.insert("read", e.isRead());
    o.insert("video", e.isVideoCall());
    o.insert("emergency", e.isEmergencyCall());
    // Only when set: histories without blocked calls export as before.
    if (e.isBlocked())
        o.insert("blocked", true);
    if (withCount)
        o.insert("count", e.eventCount());
    return o;
}

static bool readText(const QJsonObject &o, const char *key, QString *out, QString *error)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull())
        return true;
    if (!v.isString()) {
        *error = QStringLiteral("\"%1\" must be a string").arg(key);
        return false;
    }
    *out = v.toString();
    return true;
}

static bool readFlag(const QJsonObject &o, const char *key, bool *out, QString *error)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull())
        return true;
    if (!v.isBool()) {
        *error = QStringLiteral("\"%1\" must be true or false").arg(key);
        return false;
    }
    *out = v.toBool();
    return true;
}

bool EventJson::fromJson(const QJsonObject &o, Event *event, QString *error)
{
    QString type = QStringLiteral("call"), direction, remote, account, start, end;
    bool missed = false, read = false, video = false, emergency = false, blocked = false;
    if (!readText(o, "type", &type, error) || !readText(o, "direction", &direction, error) ||
        !readText(o, "remote", &remote, error) || !readText(o, "account", &account, error) ||
        !readText(o, "start", &start, error) || !readText(o, "end", &end, error) ||
        !readFlag(o, "missed", &missed, error) || !readFlag(o, "read", &read, error) ||
        !readFlag(o, "video", &video, error) || !readFlag(o, "emergency", &emergency, error) ||
        !readFlag(o, "blocked", &blocked, error))
        return false;
    if (type != QLatin1String("call")) {
        *error = QStringLiteral("only events of type \"call\" are stored");
        return false;
    }
    if (!CallBounds::checkRemote(remote, error)) {
        error->prepend(QStringLiteral("\"remote\": "));
        return false;
    }
    Event e;
    e.setType(Event::CallEvent);
    if (direction == QLatin1String("in"))
        e.setDirection(Event::Inbound);
    else if (direction == QLatin1String("out"))
        e.setDirection(Event::Outbound);
    else if (direction == QLatin1String("unknown"))
        e.setDirection(Event::UnknownDirection);
    else {
        *error = QStringLiteral("\"direction\" must be \"in\", \"out\" or \"unknown\"");
        return false;
    }
    qint64 startSecs = 0, endSecs = 0;
    if (!parseTime(start, &startSecs)) {
        *error = QStringLiteral("\"start\" must be an ISO 8601 time");
        return false;
    }
    if (end.isEmpty())
        endSecs = startSecs;
    else if (!parseTime(end, &endSecs)) {
        *error = QStringLiteral("\"end\" must be an ISO 8601 time");
        return false;
    }
    if (endSecs < startSecs) {
        *error = QStringLiteral("\"end\" is before \"start\"");
        return false;
    }
    e.setRemoteUid(remote);
    e.setLocalUid(account);
    e.setStartTimeT(startSecs);
    e.setEndTimeT(endSecs);
    e.setIsMissedCall(missed);
    e.setIsRead(read);
    e.setIsVideoCall(video);
    e.setIsEmergencyCall(emergency);
    e.setIsBlocked(blocked);
    *event = e;
    return true;
}
