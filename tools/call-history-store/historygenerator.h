#ifndef HISTORYGENERATOR_H
#define HISTORYGENERATOR_H

#include "event.h"

#include <QRandomGenerator>
#include <QStringList>

/*
 * Makes up a plausible call history for demos and benchmarks: calls spread over the year
 * before a given time, mostly in the daytime; a small circle of frequent callers and a long tail
 * of occasional ones; received, dialled and missed calls (most of them read); bursts of repeated
 * calls with the same party; the cellular account and a VoIP account with "sip:" addresses;
 * private numbers (no remote identifier), some video calls and the odd emergency call.
 * The same seed gives the same history.
 *
 * The VoIP calls are made on the account path given to setVoipAccount(); by default the one of
 * the demo profile's internet-call account (scripts/demo.d/30-accounts). Calls on a path that
 * no account has would show no account and could not be returned.
 */
class HistoryGenerator
{
public:
    HistoryGenerator(quint32 seed, qint64 nowSecs);

    static QString defaultVoipAccount();
    void setVoipAccount(const QString &path) { m_voipAccount = path; }

    // count events, oldest first.
    QList<CommHistory::Event> generate(int count);

private:
    QString pickParty(bool voip);
    CommHistory::Event makeCall(qint64 start, const QString &remote, bool voip);

    QRandomGenerator m_random;
    qint64 m_now;
    QString m_voipAccount = defaultVoipAccount();
    QStringList m_numbers;
    QStringList m_addresses;
};

#endif
