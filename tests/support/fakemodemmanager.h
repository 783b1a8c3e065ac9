#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// A fake ModemManager on the test's session bus: python-dbusmock running our template
// tests/support/fakemodemmanager.py, in a process of its own, so that a test can stop and start
// it as ModemManager restarts. The methods drive it with blocking calls (a test may wait).
class FakeModemManager
{
public:
    FakeModemManager() = default;
    ~FakeModemManager();
    FakeModemManager(const FakeModemManager &) = delete;
    FakeModemManager &operator=(const FakeModemManager &) = delete;

    // Starts it with that many modems (each with the SIM emergency numbers 911 and 112) and
    // waits until it owns its name; false if it did not come up.
    bool start(int modems = 1);
    // Ends the process and waits until its name is gone.
    void stop();

    static QString modemPath(int index);
    QString addModem(const QStringList &emergencyNumbers);
    bool removeModem(const QString &modem);
    QString addIncomingCall(const QString &modem, const QString &number);
    // A second call that waits while another runs (state 6).
    QString addWaitingCall(const QString &modem, const QString &number);
    // The tones SendDtmf got on a call so far.
    QString tones(const QString &call);
    // The same under the call object path given (one ModemManager would not choose).
    QString addIncomingCallAt(const QString &modem, const QString &path, const QString &number);
    // The modem announces count calls (CallAdded) that do not exist.
    bool announceMissingCalls(const QString &modem, uint count);
    // A call rings on the modem while the next listing (GetManagedObjects) is answered: its
    // signals go out before the answer, which does not hold it.
    bool ringDuringNextListing(const QString &modem, const QString &number);
    bool setCallState(const QString &call, int state, uint reason);
    bool setCallNumber(const QString &call, const QString &number);
    // The state, then the number, in one go: no request of the service's comes between them.
    bool setCallStateAndNumber(const QString &call, int state, uint reason, const QString &number);
    // What Start does to an outgoing call: "dial" (the default), "refuse" or "silent"; or
    // "unplug-at-create": the modem is unplugged before CreateCall answers.
    bool setStartMode(const QString &mode);
    // Sends any signal from the object at path (dbusmock's EmitSignal), e.g. one of a shape
    // ModemManager never sends.
    bool emitSignal(const QString &path, const QString &interface, const QString &name,
                    const QString &signature, const QVariantList &args);
    // Every call object as "path state".
    QStringList calls();

private:
    QVariantList control(const QString &method, const QVariantList &args, bool *ok = nullptr);

    QProcess m_process;
};
