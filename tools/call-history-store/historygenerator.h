#ifndef HISTORYGENERATOR_H
#define HISTORYGENERATOR_H

#include "event.h"

#include <QRandomGenerator>
#include <QStringList>

/*
 * Makes up a plausible call history for demos and benchmarks: calls spread over the year
 * before a given time, mostly in the daytime; a small circle of frequent callers and a long tail
 * of occasional ones; received, dialled and missed calls (most of them read); bursts of repeated
 * calls with the same party; a cellular account and a VoIP account with "sip:" addresses;
 * private numbers (no remote identifier), some video calls and the odd emergency call.
 * The same seed gives the same history.
 */
class HistoryGenerator
{
public:
    HistoryGenerator(quint32 seed, qint64 nowSecs);

    // count events, oldest first.
    QList<CommHistory::Event> generate(int count);

private:
    QString pickParty(bool voip);
    CommHistory::Event makeCall(qint64 start, const QString &remote, bool voip);

    QRandomGenerator m_random;
    qint64 m_now;
    QStringList m_numbers;
    QStringList m_addresses;
};

#endif
