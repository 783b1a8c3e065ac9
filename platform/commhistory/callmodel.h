#ifndef COMMHISTORY_CALLMODEL_H
#define COMMHISTORY_CALLMODEL_H

#include "eventmodel.h"

#include <QDateTime>

namespace CommHistory {

/*
 * The call history as a list model: every stored call, newest first (by end time, then id).
 * What the store leaves open is defined here:
 *
 * Sorting (first argument of setFilter):
 *  - 0 (SortByContact): consecutive calls with the same remote identifier, the same account
 *    and the same kind (dialled, missed, received) collapse into one row. The row shows the
 *    newest of them; eventCount() is the number of calls and isRead() is true only when all of
 *    them are read. Marking the row read (modifyEvent) marks all its calls read; deleting it
 *    (deleteEvent) deletes all its calls. A call of another kind, party or account in between
 *    starts a new row.
 *  - 1 (SortByTime): one row per call.
 *
 * Call type (second argument): 0 all calls, 1 dialled (outbound), 2 missed (inbound and
 * missed), 3 received (every other call). Other numbers count as 0.
 *
 * Reference time (third argument): when valid, only calls that ended at or after it; a null
 * time sets no limit.
 *
 * Setting A (setQueryMode) and setting B (setLoadLimit): see EventModel. The shared model of
 * the program uses mode 0 with a limit of 200 rows, first chunk 25 and chunks of 50; the
 * dialer's model uses mode 1 with a first chunk of 5 and chunks of 10.
 *
 * A model only ever shows call events (type() == Event::CallEvent).
 */
class CallModel : public EventModel
{
    Q_OBJECT

public:
    enum Sorting { SortByContact = 0, SortByTime = 1 };
    enum CallType { AllCalls = 0, DialedCalls = 1, MissedCalls = 2, ReceivedCalls = 3 };

    explicit CallModel(QObject *parent = nullptr);

    // Sets the filter; once getEvents() was called, the model loads again at once.
    bool setFilter(int sorting, int callType, const QDateTime &referenceTime = QDateTime());
    int sorting() const { return m_sorting; }
    int callType() const { return m_callType; }
    QDateTime referenceTime() const { return m_referenceTime; }

    // Deletes every stored call.
    bool deleteAll();

private:
    int m_sorting = SortByContact;
    int m_callType = AllCalls;
    QDateTime m_referenceTime;
};

} // namespace CommHistory

#endif
