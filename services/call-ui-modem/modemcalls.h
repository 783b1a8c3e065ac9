#pragma once

#include "event.h"

#include <QDBusMessage>
#include <QObject>
#include <QStringList>

#include <functional>

namespace Cellular {
class ModemManagerObjects;
}

// The voice calls of ModemManager's modems, as its D-Bus API shows them
// (org.freedesktop.ModemManager1.Modem.Voice and org.freedesktop.ModemManager1.Call), checked
// and turned into plain values; and the few operations the call-UI service needs on them.
//
// Signals come only from the current ModemManager (ModemManagerObjects::owner()) and only
// with the documented signatures; call paths must lie under /org/freedesktop/ModemManager1/Call/,
// states, directions and reasons within their documented ranges (an unknown reason counts as
// ReasonUnknown, a newer ModemManager may add some; an unknown state is dropped). A call's
// number is taken when it is at most MaxNumberLength printable characters, else it counts as
// not given: MaxNumberLength is the history store's bound on a remote identifier, so that a
// number taken is one the history keeps. Every call to ModemManager is asynchronous.
class ModemCalls : public QObject
{
    Q_OBJECT
public:
    // ModemManager's MMCallState values.
    enum State {
        StateUnknown = 0,
        Dialing = 1,
        RingingOut = 2,
        RingingIn = 3,
        Active = 4,
        Held = 5,
        Waiting = 6,
        Terminated = 7
    };
    // ModemManager's MMCallStateReason values.
    enum Reason {
        ReasonUnknown = 0,
        OutgoingStarted = 1,
        IncomingNew = 2,
        Accepted = 3,
        ReasonTerminated = 4,
        RefusedOrBusy = 5,
        Error = 6,
        AudioSetupFailed = 7,
        Transferred = 8,
        Deflected = 9
    };
    enum { MaxNumberLength = CommHistory::Event::MaxRemoteUidLength };

    struct Properties
    {
        int direction = 0;
        QString number;
        int state = StateUnknown;
        int reason = ReasonUnknown;
    };

    using Callback = std::function<void(const QString &error)>;

    explicit ModemCalls(Cellular::ModemManagerObjects *objects, QObject *parent = nullptr);

    // Whether the modem offers voice calls now.
    bool hasVoice(const QString &modem) const;
    // The modems that offer voice calls, in path order.
    QStringList voiceModems() const;
    // The calls the modem lists (its Voice "Calls" property as last seen).
    QStringList calls(const QString &modem) const;

    // Asynchronous operations; each callback runs once, later, with an empty error on success.
    void create(const QString &modem, const QString &number,
                const std::function<void(const QString &callPath, const QString &error)> &done);
    void fetch(const QString &callPath,
               const std::function<void(bool ok, const Properties &properties)> &done);
    void start(const QString &callPath, const std::function<void(const QString &error)> &done);
    void accept(const QString &callPath, const std::function<void(const QString &error)> &done);
    void hangup(const QString &callPath, const std::function<void(const QString &error)> &done);
    // Sends tones ("0"-"9", "*", "#", "A"-"D") on an active call.
    void sendDtmf(const QString &callPath, const QString &tones,
                  const std::function<void(const QString &error)> &done);
    // A call waits while another runs: the running ones put on hold, or ended, and the waiting
    // one (else a held one) answered (Voice.HoldAndAccept, Voice.HangupAndAccept).
    void holdAndAccept(const QString &modem, const std::function<void(const QString &error)> &done);
    void hangupAndAccept(const QString &modem,
                         const std::function<void(const QString &error)> &done);
    // Asks the modem to forget a call (ModemManager keeps ended calls until then).
    void remove(const QString &modem, const QString &callPath);

    static bool isCallPath(const QString &path);
    // The number as ModemManager gave it, or empty when it is not one (see above).
    static QString checkedNumber(const QVariant &value);
    static QString checkedNumber(const QString &number);

Q_SIGNALS:
    void callAdded(const QString &modem, const QString &callPath);
    void callDeleted(const QString &modem, const QString &callPath);
    void stateChanged(const QString &callPath, int oldState, int newState, int reason);
    void numberChanged(const QString &callPath, const QString &number);

private Q_SLOTS:
    void onCallAdded(const QDBusMessage &message);
    void onCallDeleted(const QDBusMessage &message);
    void onStateChanged(const QDBusMessage &message);
    void onPropertiesChanged(const QDBusMessage &message);

private:
    // The call path a Voice signal names, or empty when the signal is not one to take.
    QString callPathOf(const QDBusMessage &message) const;
    void callMethod(const QString &callPath, const QString &method,
                    const std::function<void(const QString &error)> &done);
    static int checkedReason(qint64 reason);

    Cellular::ModemManagerObjects *m_objects;
};
