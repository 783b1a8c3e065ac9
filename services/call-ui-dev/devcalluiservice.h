#pragma once

#include <QDateTime>
#include <QHash>
#include <QObject>

#include <functional>

#include "callschedule.h"
#include "callscreenbackend.h"
#include "eventstore.h"

// A call-UI service for development and tests, on a machine with no modem. It owns the bus
// name "com.velto.CallUi", accepts every RequestCallToContact with a fresh call id and then
// emits, for that id, what a real call would: CallAnswered and CallEnded on its schedule, or
// CommandCompleted at once for a call that is neither answered nor ended, or CommandFailed if
// told to refuse calls. Each accepted request is also reported through callRequested(), which
// the development interface relays on the bus as CallRequested, so that tests in other processes
// see exactly what a caller asked for.
//
// It is also the call screen's service (CallScreenBackend): a call placed shows from the request
// on; Ring(number) makes a call come in, which rings until the person answers or declines it,
// the caller gives up (EndRemote, or the schedule's ringFor) or, answered, either side hangs up.
// Tones typed on the screen's keypad are reported through tonesSent() (TonesSent on the bus).
//
// Every call is written into the call history store when it ends: a placed call as dialled (a
// call that is never answered nor ended, when the request completes); a call rung in as received
// when answered, else missed: unread when the caller gave up, read when the person declined it
// (declining is looking at it). Refused requests are not calls and are not written.
class DevCallUiService : public CallScreenBackend
{
    Q_OBJECT
public:
    explicit DevCallUiService(const CallSchedule &schedule, QObject *parent = nullptr);

    // Takes the bus name and publishes the object; false if the bus or the name is not had.
    bool registerOnBus(QString *error);
    // Opens the call history store that calls are written to; false (with the reason) if it
    // cannot be opened, and calls are then not recorded.
    bool openHistory(QString *error);
    CallSchedule schedule() const { return m_schedule; }

    // The call screen's requests.
    void answer(const QString &id) override;
    void decline(const QString &id) override;
    void hangup(const QString &id) override;
    void sendDtmf(const QString &id, const QString &digits) override;
    void endAndAnswer(const QString &id) override;
    void holdAndAnswer(const QString &id) override;

public Q_SLOTS:
    QString RequestCallToContact(const QString &accountPath, const QString &accountId,
                                 uint localContactId, const QString &contactName, bool video);
    void SetSchedule(int answerAfter, int endAfter, bool fail);
    // A call comes in from `number` (empty: withheld); returns its id. A number of other
    // characters than "+", digits, "*", "#" and spaces, or longer than 40, is refused: no id,
    // and the reason in `error`.
    QString Ring(const QString &number, QString *error);
    // The far end hangs up (or gives up, or is busy for a call still being placed); false when
    // the id names no call being followed.
    bool EndRemote(const QString &uid);
    void Quit();
    // Places a call to `number` on the cellular account, as the program would (the missed-call
    // notification's "Call back").
    void callBack(const QString &number);

Q_SIGNALS:
    void CallAnswered(QString uid);
    void CallEnded(QString uid, int reason, int duration, QString message);
    void CommandCompleted(QString uid);
    void CommandFailed(QString uid);
    void callRequested(const QString &uid, const QString &accountPath, const QString &accountId,
                       uint localContactId, const QString &contactName, bool video);
    void tonesSent(const QString &uid, const QString &digits);

private:
    struct Call
    {
        QString accountPath;
        QString number;
        bool video = false;
        Direction direction = Outgoing;
        State state = Dialing;
        QDateTime answered; // invalid until answered
        bool recorded = false;
        QObject *timers = nullptr; // parent of the call's pending steps, gone with the call
    };

    QString newId();
    void after(const QString &uid, int ms, const std::function<void()> &step);
    void setState(const QString &uid, State state);
    // Ends the call: writes it (unless written already), tells the screen and the bus.
    void end(const QString &uid, EndReason reason);
    void record(const Call &call, bool missed, bool read, const QDateTime &start,
                const QDateTime &end);

    CallSchedule m_schedule;
    CommHistory::EventStore m_history;
    bool m_historyOpen = false;
    int m_nextId = 1;
    QHash<QString, Call> m_calls;
};
