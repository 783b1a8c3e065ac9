#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A simulated AT modem (tests/support/simulatedmodem.py) in a process of its own, for
// ModemManager itself to drive (see RealModemManager): it listens on an abstract Unix socket
// that names it uniquely on the machine, so tests may run side by side. The test plays the
// network and the other phone through its control socket; every call blocks until the modem
// answered (a test may wait), and a command the modem refuses makes it return false.
class SimulatedModem
{
public:
    SimulatedModem() = default;
    ~SimulatedModem();
    SimulatedModem(const SimulatedModem &) = delete;
    SimulatedModem &operator=(const SimulatedModem &) = delete;

    // Starts the modem and waits until it listens; false if it did not come up.
    bool start();
    void stop();
    // ModemManager's name of its port: "abstract:NAME".
    QString port() const { return m_port; }
    // The control socket, for simulatedmodem.py send.
    QString controlPath() const;

    // The other phone calls: RING, then +CLIP with number (none when number is empty).
    bool ring(const QString &number) { return control({QStringLiteral("ring"), number}); }
    // The ringing call's number, which ModemManager sees only in its next read of the calls.
    bool giveCallerId(const QString &number)
    {
        return control({QStringLiteral("caller-id"), number});
    }
    // The callee of the outgoing call: its phone rings, it answers, it is busy.
    bool alert() { return control({QStringLiteral("alert")}); }
    bool answer() { return control({QStringLiteral("answer")}); }
    bool busy() { return control({QStringLiteral("busy")}); }
    // The other side ends the newest call (or, ringing, gives up).
    bool hangUp() { return control({QStringLiteral("hangup")}); }
    // Any control command of simulatedmodem.py, e.g. {"dial-reply", "hold"}; its answer after
    // "ok " goes to *answer.
    bool control(const QStringList &words, QString *answer = nullptr);
    // Every AT command the modem received, in order.
    QStringList log();

private:
    QProcess m_process;
    QTemporaryDir m_dir;
    QString m_port;
};
