#pragma once

#include <QJsonObject>
#include <QString>

// What the modem call-UI service knows of one call ModemManager has: the call-UI id it gave the
// call, where the call lives (ModemManager's unique bus name when the call was seen, the modem
// and the call object), and what the history needs (direction, number, account, times). Kept in
// the CallJournal while ModemManager still has the call, so that a restart of the service
// neither loses nor repeats the call's history entry.
//
// Times are milliseconds since the epoch (UTC); 0 means "not yet". A record read back from JSON
// is checked field by field: fromJson() refuses anything out of shape, such as a text longer
// than MaxTextLength. isReadable() tells whether a record would be read back as it is: the
// journal writes no other.
struct CallRecord
{
    // ModemManager's MMCallDirection values.
    enum Direction { UnknownDirection = 0, Incoming = 1, Outgoing = 2 };
    // Generous bounds for what a record holds; anything longer was not written by us. Each of
    // the TextFields texts is at most MaxTextLength characters, so that a readable record takes
    // at most MaxJsonBytes in compact JSON (a character takes up to 6 bytes, as \u001f).
    enum {
        MaxTextLength = 512,
        TextFields = 6,
        MaxJsonBytes = TextFields * MaxTextLength * 6 + 512
    };

    QString uid;
    QString owner;
    QString modemPath;
    QString callPath;
    int direction = UnknownDirection;
    QString number;
    QString accountPath;
    qint64 startedMs = 0;
    qint64 answeredMs = 0;
    // When it ended (CallEnded was sent); 0 while it goes on. Absent from the records of an
    // earlier version, which read as 0.
    qint64 endedMs = 0;
    bool emergency = false;
    // An incoming call the person declined on the call screen: missed, but seen (written as
    // read). Absent from the records of an earlier version, which read as false.
    bool declined = false;
    // Being written to the history: set (and kept in the journal) just before the write, so that
    // a service killed during the write knows to look whether the entry made it.
    bool writing = false;
    // Written to the history (and reported ended) already.
    bool recorded = false;
    // An incoming call ended for the block list: never announced, recorded as blocked. Absent
    // from the records of an earlier version, which read as false.
    bool blocked = false;

    // The journal's key: a call object path is only unique for one run of ModemManager.
    QString key() const { return keyOf(owner, callPath); }
    static QString keyOf(const QString &owner, const QString &callPath)
    {
        return owner + QLatin1Char(' ') + callPath;
    }

    QJsonObject toJson() const;
    // False (and *out untouched) when object is not a record as toJson() writes it.
    static bool fromJson(const QJsonObject &object, CallRecord *out);
    bool isReadable() const;
};
