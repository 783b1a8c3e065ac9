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
};
