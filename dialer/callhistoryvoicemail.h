#pragma once

#include "voicemail.h"
#include "voicemailnumber.h"

#include <QtContacts/QContact>

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

// Knows the phone's voicemail numbers and the address-book contact that stands for voicemail:
// rows ask it whether a call's number is a voicemail number, the contacts page offers the
// contact's numbers. It follows every report of the voicemail service and looks the contact up
// (by its fixed GUID, on the contacts manager's address-book connection) whenever numbers exist.
//
// Numbers set without the service (another program writing the setting) come without a contact:
// offeredContact() then makes one from the numbers, outside the address book.
//
// Limits: GUI thread. Until the service's first report (one event-loop turn after creation, then
// the service's answer) no number is a voicemail number. The contact is read again on every
// report while numbers exist, so that it shows the current numbers; voicemailContactChanged() is
// emitted only when what was read differs from what was known.
class CallHistoryVoicemail : public QObject
{
    Q_OBJECT
public:
    static CallHistoryVoicemail *instance();

    explicit CallHistoryVoicemail(QObject *parent = nullptr);
    ~CallHistoryVoicemail() override;

    // number is one of the voicemail numbers as written (Latin digits), or has the same
    // normalized digits as one of them.
    bool isVoicemailNumber(const QString &number) const;
    QtContacts::QContact voicemailContact() const { return m_voicemailContact; }
    // What to offer the voicemail numbers as: the voicemail contact, or while there is none, a
    // contact (not in the address book) made from the numbers; empty without numbers.
    QtContacts::QContact offeredContact() const;
    // Whether the service has reported the numbers once (before, none are known).
    bool isKnown() const { return m_known; }
    // The voicemail numbers in Latin digits, in the service's order.
    QStringList voicemailNumbers() const { return m_numbers; }

Q_SIGNALS:
    void voicemailChanged();
    void voicemailContactChanged();

private Q_SLOTS:
    void onVoicemailNumbers(const QList<VoicemailNumber> &numbers, Voicemail::VoicemailError error);
    void onContactFetchResultsAvailable();
    void initialize();

private:
    void updateVoicemailContact();

    QPointer<Voicemail> m_voicemail;
    QtContacts::QContact m_voicemailContact;
    QStringList m_numbers;
    QStringList m_normalizedNumbers;
    bool m_known = false;
};
