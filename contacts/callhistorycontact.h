#pragma once

#include "contactsengine.h"

#include <QtContacts/QContact>
#include <QtContacts/QContactDetail>

#include <QBasicTimer>
#include <QMap>
#include <QObject>
#include <QString>
#include <QVector>

// One address of a contact, as prepared by CallHistoryContact::setContact(): a phone number with
// its dialable digits and kind, or an online-account address.
struct ContactAddress
{
    QString value;  // the number in Latin digits, or the account URI unchanged
    QString digits; // normalizedNumber(value) for a number; empty for an online account
    int type = 0;   // a CallHistoryContact::NumberType
    bool isOnlineAccount = false;
};

// The shared record of one address-book contact as the call history needs it: its phone numbers
// and online accounts with their kinds, the presence on each calling account, the latest status
// message and the number of phone numbers. One record exists per local contact id at a time;
// CallHistoryContactsManager creates it, fills it from batched fetches and deletes it after it
// has gone unreferenced for releaseDelay() ms (20 s).
//
// Users take a record with CallHistoryContactsManager::acquireContact() and give it back with
// release() exactly once; until setContact() has run the record is unresolved (empty values).
//
// Limits: GUI thread only. The record never deletes itself: it emits unreferenced() and relies on
// its manager to do so, inside that emission.
class CallHistoryContact : public QObject
{
    Q_OBJECT
public:
    // The kind of contact address a call used.
    enum NumberType {
        NumberTypeNone = 0,
        NumberTypeMobile = 1,
        NumberTypeWork = 2,
        NumberTypeHome = 3,
        NumberTypeFax = 4,
        NumberTypeOther = 5,
        NumberTypeOnlineAccount = 6
    };
    Q_ENUM(NumberType)

    // Presence as the call history shows it; rows show icons for 2 to 5.
    enum PresenceCode {
        PresenceNone = 0,
        PresenceUnknown = 1,
        PresenceAvailable = 2,
        PresenceBusy = 3,
        PresenceAway = 4,
        PresenceOffline = 5
    };
    Q_ENUM(PresenceCode)

    static const int DefaultReleaseDelay = 20000;

    // releaseDelay: ms between the last release() and unreferenced().
    CallHistoryContact(QContactLocalId id, QObject *parent, int releaseDelay = DefaultReleaseDelay);
    ~CallHistoryContact() override;

    QContactLocalId localId() const { return m_localId; }
    QString statusMessage() const { return m_statusMessage; }
    int phoneNumberCount() const { return m_phoneNumberCount; }
    bool isResolved() const { return m_isResolved; }
    QtContacts::QContact contact() const { return m_contact; }
    int releaseDelay() const { return m_releaseDelay; }
    // References held by users and by pending fetches.
    int refCount() const { return m_refCount; }
    // The contact's phone numbers in detail order, then its online accounts in detail order.
    const QVector<ContactAddress> &addresses() const { return m_addresses; }

    // Takes one reference; cancels a pending eviction.
    void ref();
    // Gives one reference back; at zero (or already zero) the eviction timer (re)starts.
    void release();

    // Rebuilds the record from a fetched contact and emits updated().
    void setContact(const QtContacts::QContact &contact);

    // PresenceCode of the contact on the calling account accountPath (cached until setContact).
    PresenceCode presence(const QString &accountPath);
    // The address that a call event's remote identifier designates, or null: an exact match
    // first, else the phone number with the longest common tail of at least 4 digits (the first
    // in order at equal length). Online accounts match only exactly. Valid until setContact().
    const ContactAddress *matchAddress(const QString &remoteUid) const;
    // matchAddress(remoteUid)'s type, or NumberTypeNone.
    NumberType numberType(const QString &remoteUid) const;

    // PresenceCode of the first presence detail linked to detail.
    static PresenceCode presenceOfDetail(const QtContacts::QContactDetail &detail,
                                         const QtContacts::QContact &contact);
    // PresenceCode of the contact's online account that has the calling account accountPath.
    static PresenceCode presenceForAccount(const QString &accountPath,
                                           const QtContacts::QContact &contact);
    // The custom message of the newest presence linked to any of the contact's online accounts.
    static QString presenceMessage(const QtContacts::QContact &contact);
    // The PresenceCode of a QContactPresence::PresenceState value.
    static PresenceCode presenceCodeOfState(int state);

Q_SIGNALS:
    void unreferenced(QContactLocalId contactId);
    void updated();

private Q_SLOTS:
    void slotTimeout();

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    const QContactLocalId m_localId;
    QString m_statusMessage;
    int m_phoneNumberCount = 0;
    QVector<ContactAddress> m_addresses;
    QMap<QString, PresenceCode> m_presenceCache;
    // A basic timer rather than a QTimer object: thousands of records may be cached.
    QBasicTimer m_releaseTimer;
    const int m_releaseDelay;
    int m_refCount = 0;
    QtContacts::QContact m_contact;
    bool m_isResolved = false;
};
