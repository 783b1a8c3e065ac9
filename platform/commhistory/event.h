#ifndef COMMHISTORY_EVENT_H
#define COMMHISTORY_EVENT_H

#include <QDateTime>
#include <QList>
#include <QMetaType>
#include <QPair>
#include <QSet>
#include <QSharedDataPointer>
#include <QString>

namespace CommHistory {

class EventPrivate;

/*
 * One record of the communication history: a call (only calls are stored today, but the type
 * is kept so that the record can describe other kinds of communication later).
 *
 * A value type, implicitly shared: copies are cheap and share their data until one is changed.
 * Times are kept as UTC seconds since the epoch and handed out as local-time QDateTime, so a
 * change of time zone shows every stored call at its right local time.
 *
 * An event read from the store has an id (the database row id, never reused); an event that was
 * not stored, or that a lookup did not find, has id -1 and is not valid. eventCount() is 1 for a
 * single call and the number of calls when a model collapsed repeated calls into one row.
 *
 * contacts() are the address-book contacts matched to the remote party; the store itself does
 * not fill them: a ContactResolver plugged into the model does.
 */
class Event
{
public:
    enum EventType { UnknownType = 0, IMEvent = 1, SMSEvent = 2, CallEvent = 3 };
    enum EventDirection { UnknownDirection = 0, Inbound = 1, Outbound = 2 };

    // A matched contact: (local contact id, display name).
    typedef QPair<quint32, QString> Contact;

    // The longest remote identifier (number or address) the store keeps, in UTF-16 code units.
    // Real numbers and SIP addresses are far shorter; the bound keeps a hostile file or peer from
    // filling the store and every process's memory with one giant text. Every writer checks it
    // where the text enters (EventStore refuses a longer one as the last line of defence).
    enum { MaxRemoteUidLength = 256 };

    Event();
    Event(const Event &other);
    Event &operator=(const Event &other);
    ~Event();

    bool operator==(const Event &other) const;
    bool operator!=(const Event &other) const { return !(*this == other); }

    bool isValid() const;

    int id() const;
    EventType type() const;
    EventDirection direction() const;
    QString localUid() const;
    QString remoteUid() const;
    QDateTime startTime() const;
    QDateTime endTime() const;
    int eventCount() const;
    bool isMissedCall() const;
    bool isVideoCall() const;
    bool isEmergencyCall() const;
    bool isRead() const;
    // An incoming call the call service ended unanswered because its caller is on the block
    // list; stored as a missed call, read.
    bool isBlocked() const;
    QList<Contact> contacts() const;

    // The times as UTC seconds since the epoch, as the store keeps them (no conversion).
    qint64 startTimeT() const;
    qint64 endTimeT() const;

    void setId(int id);
    void setType(EventType type);
    void setDirection(EventDirection direction);
    void setLocalUid(const QString &uid);
    void setRemoteUid(const QString &uid);
    void setStartTime(const QDateTime &time);
    void setEndTime(const QDateTime &time);
    void setStartTimeT(qint64 secs);
    void setEndTimeT(qint64 secs);
    void setEventCount(int count);
    void setIsMissedCall(bool missed);
    void setIsVideoCall(bool video);
    void setIsEmergencyCall(bool emergency);
    void setIsRead(bool read);
    void setIsBlocked(bool blocked);
    void setContacts(const QList<Contact> &contacts);

    // An equal event in memory allocated now, its texts included, sharing nothing with this
    // one: for events kept long after they were read among many that are gone, whose scattered
    // blocks would keep the memory around them from going back to the system. Texts equal to
    // one in `texts` share it; new ones are added.
    Event renewed(QSet<QString> *texts) const;

private:
    QSharedDataPointer<EventPrivate> d;
};

} // namespace CommHistory

// An event is one shared pointer: lists and vectors keep events in place and move them in
// memory, instead of allocating each event of a list on its own.
Q_DECLARE_TYPEINFO(CommHistory::Event, Q_MOVABLE_TYPE);
Q_DECLARE_METATYPE(CommHistory::Event)
Q_DECLARE_METATYPE(QList<CommHistory::Event>)

#endif
