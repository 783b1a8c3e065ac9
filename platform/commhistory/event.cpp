#include "event.h"

namespace CommHistory {

// A time that was never set.
static const qint64 NoTime = std::numeric_limits<qint64>::min();

class EventPrivate : public QSharedData
{
public:
    int id = -1;
    int eventCount = 1;
    qint64 startTime = NoTime;
    qint64 endTime = NoTime;
    QString localUid;
    QString remoteUid;
    QList<Event::Contact> contacts;
    quint8 type = Event::UnknownType;
    quint8 direction = Event::UnknownDirection;
    bool missed = false;
    bool video = false;
    bool emergency = false;
    bool read = false;
    bool blocked = false;
};

static QDateTime toDateTime(qint64 secs)
{
    return secs == NoTime ? QDateTime() : QDateTime::fromSecsSinceEpoch(secs);
}

static qint64 fromDateTime(const QDateTime &time)
{
    return time.isValid() ? time.toSecsSinceEpoch() : NoTime;
}

static int registerTypes()
{
    qRegisterMetaType<CommHistory::Event>("CommHistory::Event");
    qRegisterMetaType<QList<CommHistory::Event>>("QList<CommHistory::Event>");
    return 0;
}
Q_CONSTRUCTOR_FUNCTION(registerTypes)

Event::Event() : d(new EventPrivate) {}
Event::Event(const Event &other) = default;
Event &Event::operator=(const Event &other) = default;
Event::~Event() = default;

bool Event::operator==(const Event &o) const
{
    return d == o.d ||
           (d->id == o.d->id && d->eventCount == o.d->eventCount &&
            d->startTime == o.d->startTime && d->endTime == o.d->endTime && d->type == o.d->type &&
            d->direction == o.d->direction && d->missed == o.d->missed && d->video == o.d->video &&
            d->emergency == o.d->emergency && d->read == o.d->read && d->blocked == o.d->blocked &&
            d->localUid == o.d->localUid && d->remoteUid == o.d->remoteUid &&
            d->contacts == o.d->contacts);
}

bool Event::isValid() const
{
    return d->id >= 0;
}
int Event::id() const
{
    return d->id;
}
Event::EventType Event::type() const
{
    return EventType(d->type);
}
Event::EventDirection Event::direction() const
{
    return EventDirection(d->direction);
}
QString Event::localUid() const
{
    return d->localUid;
}
QString Event::remoteUid() const
{
    return d->remoteUid;
}
QDateTime Event::startTime() const
{
    return toDateTime(d->startTime);
}
QDateTime Event::endTime() const
{
    return toDateTime(d->endTime);
}
int Event::eventCount() const
{
    return d->eventCount;
}
bool Event::isMissedCall() const
{
    return d->missed;
}
bool Event::isVideoCall() const
{
    return d->video;
}
bool Event::isEmergencyCall() const
{
    return d->emergency;
}
bool Event::isRead() const
{
    return d->read;
}
bool Event::isBlocked() const
{
    return d->blocked;
}
QList<Event::Contact> Event::contacts() const
{
    return d->contacts;
}
qint64 Event::startTimeT() const
{
    return d->startTime;
}
qint64 Event::endTimeT() const
{
    return d->endTime;
}

void Event::setId(int id)
{
    d->id = id;
}
void Event::setType(EventType type)
{
    d->type = quint8(type);
}
void Event::setDirection(EventDirection direction)
{
    d->direction = quint8(direction);
}
void Event::setLocalUid(const QString &uid)
{
    d->localUid = uid;
}
void Event::setRemoteUid(const QString &uid)
{
    d->remoteUid = uid;
}
void Event::setStartTime(const QDateTime &time)
{
    d->startTime = fromDateTime(time);
}
void Event::setEndTime(const QDateTime &time)
{
    d->endTime = fromDateTime(time);
}
void Event::setStartTimeT(qint64 secs)
{
    d->startTime = secs;
}
void Event::setEndTimeT(qint64 secs)
{
    d->endTime = secs;
}
void Event::setEventCount(int count)
{
    d->eventCount = count;
}
void Event::setIsMissedCall(bool missed)
{
    d->missed = missed;
}
void Event::setIsVideoCall(bool video)
{
    d->video = video;
}
void Event::setIsEmergencyCall(bool emergency)
{
    d->emergency = emergency;
}
void Event::setIsRead(bool read)
{
    d->read = read;
}
void Event::setIsBlocked(bool blocked)
{
    d->blocked = blocked;
}
void Event::setContacts(const QList<Contact> &contacts)
{
    d->contacts = contacts;
}

Event Event::renewed(QSet<QString> *texts) const
{
    auto renew = [texts](const QString &text) {
        if (text.isNull())
            return QString();
        auto it = texts->constFind(text);
        if (it == texts->constEnd())
            it = texts->insert(QString(text.constData(), text.size()));
        return *it;
    };
    Event e(*this);
    // A block of its own, every field copied; the texts it still shares are replaced.
    e.d.detach();
    EventPrivate *n = e.d.data();
    n->localUid = renew(n->localUid);
    n->remoteUid = renew(n->remoteUid);
    QList<Contact> contacts;
    contacts.reserve(n->contacts.size());
    for (const Contact &c : qAsConst(n->contacts))
        contacts.append(Contact(c.first, renew(c.second)));
    n->contacts = contacts;
    return e;
}

} // namespace CommHistory
