#pragma once

#include <QObject>
#include <QString>

// What the call screen needs of the service that follows the calls: the calls as they come, change
// and end (signals), and the person's answers to them (the methods). Each call service (the
// development one, the one on ModemManager) implements it; the screen never reaches the bus
// itself, so answering and ending stay inside the process that shows the screen.
//
// Call ids are the service's own (the ids of its call-UI interface). A number is as the network
// or the request gave it, empty when withheld. The methods are requests: what came of them shows
// in the signals that follow (a call that the modem refuses to answer keeps ringing). They must
// return at once; a method called with an id the service no longer follows does nothing.
class CallScreenBackend : public QObject
{
    Q_OBJECT
public:
    enum Direction { Incoming, Outgoing };
    Q_ENUM(Direction)
    // Dialing: placed, the network has not reached the callee yet; Alerting: the callee's phone
    // rings; Ringing: an incoming call rings here (waiting, while another call runs).
    enum State { Dialing, Alerting, Ringing, Active, Held };
    Q_ENUM(State)
    // Normal: hung up by either side after an answer, or an outgoing call given up here;
    // Missed: an incoming call the caller gave up before it was answered; Declined: one the
    // person declined.
    enum EndReason { Normal, Busy, NoAnswer, Failed, Missed, Declined };
    Q_ENUM(EndReason)

    explicit CallScreenBackend(QObject *parent = nullptr) : QObject(parent) {}

    virtual void answer(const QString &id) = 0;
    virtual void decline(const QString &id) = 0;
    virtual void hangup(const QString &id) = 0;
    // Sends the tones of `digits` ("0"-"9", "*", "#", "A"-"D") on an active call.
    virtual void sendDtmf(const QString &id, const QString &digits) = 0;
    // A second call rings while another runs: answer it and end every other call, or answer it
    // and put the running call on hold.
    virtual void endAndAnswer(const QString &id) = 0;
    virtual void holdAndAnswer(const QString &id) = 0;

Q_SIGNALS:
    void callAdded(const QString &id, const QString &number, CallScreenBackend::Direction direction,
                   CallScreenBackend::State state);
    void callStateChanged(const QString &id, CallScreenBackend::State state);
    // The network gave the number later, or another one.
    void callNumberChanged(const QString &id, const QString &number);
    void callEnded(const QString &id, CallScreenBackend::EndReason reason);
};
