#pragma once

#include "callrecord.h"
#include "callscreenbackend.h"
#include "modemcalls.h"
#include "retrytimer.h"

#include <QHash>
#include <QObject>
#include <QSet>

class CallJournal;
class CallHistoryRecorder;
class CallerFilter;
namespace Cellular {
class EmergencyNumbers;
class ModemManagerObjects;
} // namespace Cellular

// The call-UI service on a phone: owns "com.velto.CallUi" and places and follows calls through
// ModemManager (see README.md).
//
// Requests that come before the modems are known wait until they are. A call request becomes
// CreateCall on the first modem that offers voice calls, then Start; a
// request that cannot be placed (not a cellular account, not a number, no modem, refused by the
// modem) gets CommandFailed. From then on, for every call ModemManager has, placed by us or not,
// incoming or outgoing: CallAnswered when it becomes active, CallEnded(uid, reason, seconds
// talked, reason text) when it ends, with reason 0 normal, 1 refused or busy, 2 not answered,
// 3 failed (network or audio error, modem gone, ModemManager gone). CommandCompleted is not
// used: every placed request is a call that ends. Incoming calls are also announced
// (callIncoming) with the number as the network gave it, and again when a number of a ringing
// call comes later. A number given later replaces it only when it is usable
// (ModemCalls::checkedNumber()): the last good number is kept, and not announced again.
//
// Every call that began to ring or dial is written to the history once, when it ends
// (CallHistoryRecorder), and then deleted from the modem. The calls being followed are kept in
// the CallJournal: a service started again (after a crash, or with ModemManager or a modem gone
// meanwhile) takes up the calls ModemManager still has under their ids and times, and writes
// those that ended meanwhile as ending when it noticed.
//
// It is the call screen's service (CallScreenBackend): a call request shows on the screen from
// the request on, every call ModemManager has shows from when it rings or dials, and the
// person's answers go to ModemManager (Call.Accept, Call.Hangup, Call.SendDtmf,
// Voice.HangupAndAccept, Voice.HoldAndAccept). Answering and ending are offered only there, not
// on the bus. A declined call is noted (CallRecord::declined) and written missed but read. A
// number with pause characters ("p", "w", "x", ",") dials the part before the first one; the
// rest is sent as tones once the call is answered, each pause character waiting tonePause() ms.
//
// A call is never refused or dropped for this bookkeeping: when the journal or the history
// cannot be written (a full disk, a folder not writable, a damaged history file), the call is
// placed and followed all the same, its record kept in memory, stderr says so, and the writes
// are tried again (RetryTimer: after 1 s, then twice as long each time, up to 256 times the
// first delay) until they are made.
class ModemCallUiService : public CallScreenBackend
{
    Q_OBJECT
public:
    ModemCallUiService(Cellular::ModemManagerObjects *objects, CallJournal *journal,
                       CallHistoryRecorder *recorder, Cellular::EmergencyNumbers *emergency,
                       QObject *parent = nullptr);

    // The first delay before writes that failed are tried again (milliseconds, default 1000).
    void setRetryDelay(int firstMs);
    // How long a pause character of a dialled number waits before the tones after it (ms,
    // default 3000).
    void setTonePause(int ms) { m_tonePause = ms; }
    int tonePause() const { return m_tonePause; }
    // Incoming calls the filter blocks are hung up as soon as they are first seen (their
    // properties read, one bus round trip after CallAdded), never announced (neither
    // callIncoming nor CallEnded), and recorded as blocked. None: nothing is blocked.
    void setCallerFilter(CallerFilter *filter) { m_filter = filter; }
    // The cellular account, which every modem call belongs to.
    static QString cellularAccount();

    // The call screen's requests; what the modem did shows in the notifications.
    void answer(const QString &id) override;
    void decline(const QString &id) override;
    void hangup(const QString &id) override;
    void sendDtmf(const QString &id, const QString &digits) override;
    void endAndAnswer(const QString &id) override;
    void holdAndAnswer(const QString &id) override;

public Q_SLOTS:
    QString RequestCallToContact(const QString &accountPath, const QString &accountId,
                                 uint localContactId, const QString &contactName, bool video);
    // Places a call to `number` on the cellular account (the missed-call notification's "Call
    // back").
    void callBack(const QString &number);

Q_SIGNALS:
    void CallAnswered(QString uid);
    void CallEnded(QString uid, int reason, int duration, QString message);
    void CommandCompleted(QString uid);
    void CommandFailed(QString uid);
    void callIncoming(const QString &uid, const QString &number);

private Q_SLOTS:
    void onListed();
    void onOwnerChanged(const QString &oldOwner, const QString &newOwner);
    void onModemChanged(const QString &modem);
    void onModemRemoved(const QString &modem);
    void onCallAdded(const QString &modem, const QString &callPath);
    void onCallDeleted(const QString &modem, const QString &callPath);
    void onStateChanged(const QString &callPath, int oldState, int newState, int reason);
    void onNumberChanged(const QString &callPath, const QString &number);

private:
    // CallEnded's reason on the bus.
    enum EndCode { EndNormal = 0, EndBusy = 1, EndNoAnswer = 2, EndFailed = 3 };

    QString newUid();
    void place(const QString &uid, const QString &accountPath, const QString &accountId);
    QString keyOf(const QString &callPath) const;
    // A request that did not become a call: CommandFailed, and on the screen "Call failed" (or
    // nothing, for one the person gave up).
    void failLater(const QString &uid, const QString &why,
                   CallScreenBackend::EndReason shown = CallScreenBackend::Failed);
    // Tells the screen where a call stands (announcing it the first time).
    void show(const CallRecord &record, int modemState);
    // Runs the modem's method `what` on the call followed under `id`.
    void onCall(const QString &id, const char *what,
                const std::function<void(const CallRecord &, ModemCalls::Callback)> &how);
    // Sends the tones left of a dialled number, from `from` on.
    void sendTones(const QString &uid, const QString &tones);
    void onCreated(const QString &uid, const QString &modem, const QString &number,
                   const QString &callPath, const QString &error);
    // Starts following a call the modem has (no-op when followed already): its properties are
    // read, at most MaxFetching calls at a time.
    void follow(const QString &modem, const QString &callPath);
    void fetch(const QString &modem, const QString &callPath, const QString &key);
    void fetchWaiting();
    // Stops following a call (what the journal holds of it stays).
    void forget(const QString &key);
    void onProperties(const QString &modem, const QString &callPath, const QString &key, bool ok,
                      const ModemCalls::Properties &properties);
    void applyState(const QString &key, int state, int reason);
    // How a call's end was learnt: its state (it is then deleted from the modem), its object or
    // modem or ModemManager going away, or its properties not being readable (it is left on the
    // modem). Either of the last two forgets the call and, once it is in the history, takes it
    // out of the journal.
    enum End { Ended, Vanished, Unreadable };
    // Ends a call: written to the history and CallEnded when it began; CommandFailed for a
    // request of ours that never started.
    void finish(const QString &key, int reason, End how);
    // Ends and drops every followed call that matches.
    void finishAll(const std::function<bool(const CallRecord &)> &which);
    // Notes a record in the journal (see noteJournal()).
    bool store(const CallRecord &record);
    // Tells stderr of a journal that cannot be written (once for a run of failures) and of
    // calls it leaves out, and has the write tried again; returns written.
    bool noteJournal(bool written);
    // Writes an ended call to the history; on failure it stays owed (complained of when first
    // is set). True when written.
    bool writeHistory(CallRecord *record, bool first);
    // The retry's attempt: every owed history entry, then the journal file.
    bool writeOwed();
    QString keyOfUid(const QString &uid) const;
    bool isEmergency(const QString &number) const;
    // The hook for a new incoming call: hangs it up and marks it when the filter blocks it.
    void screen(CallRecord *record);

    Cellular::ModemManagerObjects *m_objects;
    ModemCalls m_calls;
    CallJournal *m_journal;
    CallHistoryRecorder *m_recorder;
    Cellular::EmergencyNumbers *m_emergency;
    CallerFilter *m_filter = nullptr;
    // Calls followed in this run (journal keys), those whose properties are in, and the state
    // changes (state, reason) and the last number seen before them. A call is noted in the
    // journal once its properties are in: one that cannot be read takes no place there.
    QSet<QString> m_followed;
    QSet<QString> m_loaded;
    QHash<QString, QList<QPair<int, int>>> m_changesBeforeLoaded;
    QHash<QString, QString> m_numberBeforeLoaded;
    // Calls whose properties are being read, and those waiting for their turn; when more came
    // than may wait, the modems' lists of calls are looked through again once all are read.
    // So a flood of announced calls takes bounded memory.
    enum { MaxFetching = 16, MaxWaitingToFetch = 256 };
    struct ToFetch
    {
        QString modem;
        QString callPath;
        QString key;
    };
    int m_fetching = 0;
    QList<ToFetch> m_toFetch;
    bool m_lookAgain = false;
    // Ids of requests whose call has not started ringing or dialling yet.
    QSet<QString> m_unstarted;
    // Calls of ours whose Start has not answered yet, with the reason of an end seen meanwhile
    // (NoEnd: none): ModemManager ends a call before Start fails, and the failure says why.
    enum { NoEnd = -1 };
    QHash<QString, int> m_starting;
    int m_nextId = 1;
    // How many calls the journal left out when last told on stderr.
    int m_leftOutReported = 0;
    bool m_journalFailing = false;
    RetryTimer m_retry;
    // Requests waiting for the modems to be known.
    QList<std::function<void()>> m_waiting;
    // Calls the screen was told of; requests the person gave up before they became calls; the
    // tones after the first pause of numbers dialled, until their call is answered.
    QSet<QString> m_shown;
    QSet<QString> m_givenUp;
    QHash<QString, QString> m_tones;
    int m_tonePause = 3000;
};
