#include "historygenerator.h"

#include <algorithm>
#include <cmath>

using CommHistory::Event;

static const char CellularAccount[] = "/org/freedesktop/Telepathy/Account/pulse/tel/pulse";
static const char DemoVoipAccount[] = "/org/freedesktop/Telepathy/Account/sofiasip/sip/demo0";
static const char *const Names[] = {"anna", "ben",  "carla", "dmitri", "eva",  "farid", "gina",
                                    "hugo", "ines", "jukka", "kaisa",  "lars", "mia",   "nils"};

QString HistoryGenerator::defaultVoipAccount()
{
    return QLatin1String(DemoVoipAccount);
}

HistoryGenerator::HistoryGenerator(quint32 seed, qint64 nowSecs) : m_random(seed), m_now(nowSecs)
{
    // Frequent parties come first; picks favour the front of the lists.
    for (int i = 0; i < 400; ++i) {
        const bool international = m_random.bounded(4) == 0;
        const quint32 digits = 1000000 + m_random.bounded(8999999u);
        m_numbers.append(international ? QStringLiteral("+35840%1").arg(digits)
                                       : QStringLiteral("040%1").arg(digits));
    }
    for (int i = 0; i < 60; ++i)
        m_addresses.append(QStringLiteral("sip:%1%2@voip.example.org")
                               .arg(QLatin1String(Names[i % 14]))
                               .arg(i / 14 ? QString::number(i / 14) : QString()));
}

QString HistoryGenerator::pickParty(bool voip)
{
    const QStringList &pool = voip ? m_addresses : m_numbers;
    // Skewed towards the first entries: a few people make most calls.
    const double u = m_random.generateDouble();
    const int index = int(std::pow(u, 3.0) * pool.size());
    return pool.at(qBound(0, index, pool.size() - 1));
}

Event HistoryGenerator::makeCall(qint64 start, const QString &remote, bool voip)
{
    Event e;
    e.setType(Event::CallEvent);
    e.setLocalUid(voip ? m_voipAccount : QLatin1String(CellularAccount));
    e.setRemoteUid(remote);
    const int roll = m_random.bounded(100);
    qint64 duration = 0;
    if (roll < 55) {
        e.setDirection(Event::Inbound);
        duration = 5 + qint64(-std::log(1.0 - m_random.generateDouble()) * 180);
    } else if (roll < 82) {
        e.setDirection(Event::Outbound);
        duration = m_random.bounded(8) == 0
                       ? 0
                       : 5 + qint64(-std::log(1.0 - m_random.generateDouble()) * 150);
    } else {
        e.setDirection(Event::Inbound);
        e.setIsMissedCall(true);
        duration = m_random.bounded(30);
    }
    e.setStartTimeT(start);
    e.setEndTimeT(start + duration);
    e.setIsVideoCall(m_random.bounded(100) < 4);
    // Old missed calls have been seen; the latest few may not.
    const bool recent = m_now - start < 2 * 24 * 3600;
    e.setIsRead(!e.isMissedCall() || !recent || m_random.bounded(2));
    return e;
}

QList<Event> HistoryGenerator::generate(int count)
{
    QVector<qint64> starts;
    starts.reserve(count);
    for (int i = 0; i < count; ++i) {
        // Day spread over the year, hour mostly between 8 and 22.
        const qint64 day = m_now - qint64(m_random.bounded(365)) * 24 * 3600;
        const qint64 dayStart = day - day % (24 * 3600);
        const int hour =
            m_random.bounded(10) == 0 ? m_random.bounded(24) : 8 + m_random.bounded(14);
        starts.append(dayStart + hour * 3600 + m_random.bounded(3600));
    }
    std::sort(starts.begin(), starts.end());

    QList<Event> events;
    events.reserve(count);
    for (int i = 0; i < count; ++i) {
        qint64 start = qMin(starts.at(i), m_now - 60);
        if (!events.isEmpty())
            start = qMax(start, events.constLast().endTimeT() + 1);
        const int kind = m_random.bounded(1000);
        Event e;
        if (kind < 2) {
            e = makeCall(start, QStringLiteral("112"), false);
            e.setDirection(Event::Outbound);
            e.setIsMissedCall(false);
            e.setIsEmergencyCall(true);
        } else if (kind < 40) {
            e = makeCall(start, QString(), false); // a private number
            e.setDirection(Event::Inbound);
        } else if (kind < 140) {
            e = makeCall(start, pickParty(true), true);
        } else if (kind < 260 && !events.isEmpty() && !events.constLast().isEmergencyCall()) {
            // The same party again shortly after: a redial or a second attempt.
            const Event &last = events.constLast();
            start = last.endTimeT() + 30 + m_random.bounded(600);
            e = makeCall(start, last.remoteUid(), last.localUid() == m_voipAccount);
            e.setDirection(last.direction());
            e.setIsMissedCall(last.isMissedCall());
        } else {
            e = makeCall(start, pickParty(false), false);
        }
        events.append(e);
    }
    // Redials may have pushed the last calls past the present: move the history back.
    const qint64 overshoot = events.isEmpty() ? 0 : events.constLast().endTimeT() - m_now;
    if (overshoot > 0) {
        for (Event &e : events) {
            e.setStartTimeT(e.startTimeT() - overshoot);
            e.setEndTimeT(e.endTimeT() - overshoot);
        }
    }
    return events;
}
