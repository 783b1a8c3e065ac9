#include "callrecord.h"

#include <QJsonValue>

namespace {
bool readText(const QJsonObject &o, const char *name, QString *out)
{
    const QJsonValue v = o.value(QLatin1String(name));
    if (!v.isString() || v.toString().size() > CallRecord::MaxTextLength)
        return false;
    *out = v.toString();
    return true;
}

bool readTime(const QJsonObject &o, const char *name, qint64 *out, bool optional = false)
{
    const QJsonValue v = o.value(QLatin1String(name));
    if (optional && v.isUndefined()) {
        *out = 0;
        return true;
    }
    // Whole milliseconds, within what a double holds exactly.
    if (!v.isDouble() || v.toDouble() < 0 || v.toDouble() > 9007199254740992.0 ||
        v.toDouble() != qint64(v.toDouble()))
        return false;
    *out = qint64(v.toDouble());
    return true;
}
} // namespace

QJsonObject CallRecord::toJson() const
{
    return QJsonObject{{QStringLiteral("uid"), uid},
                       {QStringLiteral("owner"), owner},
                       {QStringLiteral("modem"), modemPath},
                       {QStringLiteral("call"), callPath},
                       {QStringLiteral("direction"), direction},
                       {QStringLiteral("number"), number},
                       {QStringLiteral("account"), accountPath},
                       {QStringLiteral("started"), double(startedMs)},
                       {QStringLiteral("answered"), double(answeredMs)},
                       {QStringLiteral("ended"), double(endedMs)},
                       {QStringLiteral("emergency"), emergency},
                       {QStringLiteral("declined"), declined},
                       {QStringLiteral("writing"), writing},
                       {QStringLiteral("recorded"), recorded},
                       {QStringLiteral("blocked"), blocked}};
}

bool CallRecord::fromJson(const QJsonObject &o, CallRecord *out)
{
    CallRecord r;
    const QJsonValue direction = o.value(QLatin1String("direction"));
    const QJsonValue emergency = o.value(QLatin1String("emergency"));
    const QJsonValue recorded = o.value(QLatin1String("recorded"));
    const QJsonValue writing = o.value(QLatin1String("writing"));
    const QJsonValue declined = o.value(QLatin1String("declined"));
    const QJsonValue blocked = o.value(QLatin1String("blocked"));
    if (!readText(o, "uid", &r.uid) || r.uid.isEmpty() || !readText(o, "owner", &r.owner) ||
        !readText(o, "modem", &r.modemPath) || !readText(o, "call", &r.callPath) ||
        r.callPath.isEmpty() || !readText(o, "number", &r.number) ||
        !readText(o, "account", &r.accountPath) || !readTime(o, "started", &r.startedMs) ||
        !readTime(o, "answered", &r.answeredMs) || !readTime(o, "ended", &r.endedMs, true) ||
        !direction.isDouble() || !emergency.isBool() || !recorded.isBool() || !writing.isBool() ||
        !(declined.isUndefined() || declined.isBool()) ||
        !(blocked.isUndefined() || blocked.isBool()))
        return false;
    r.direction = direction.toInt(-1);
    if (r.direction < UnknownDirection || r.direction > Outgoing)
        return false;
    r.emergency = emergency.toBool();
    r.recorded = recorded.toBool();
    r.writing = writing.toBool();
    r.declined = declined.toBool();
    r.blocked = blocked.toBool();
    *out = r;
    return true;
}

bool CallRecord::isReadable() const
{
    CallRecord back;
    return fromJson(toJson(), &back);
}
