#pragma once

#include <QMap>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

class SimulatedModem;

// ModemManager itself (Debian's /usr/sbin/ModemManager) in its test mode on the test's session
// bus: no udev, no system bus, every authorisation granted, and only the modems a test plugs in
// (its Test.SetProfile, with a SimulatedModem's port and the generic plugin). A process of its
// own, so that a test can kill it mid-call and start it again.
//
// Blocking, for tests: every step waits on ModemManager's signals, up to 20 s (a modem takes
// about a second to come up, much longer on a loaded machine). errorString() says why a step
// failed.
class RealModemManager : public QObject
{
    Q_OBJECT
public:
    RealModemManager();
    ~RealModemManager() override;
    RealModemManager(const RealModemManager &) = delete;
    RealModemManager &operator=(const RealModemManager &) = delete;

    static bool isInstalled();
    // Starts it and waits until it owns its name; false if it did not come up. With
    // CH_MODEMMANAGER_LOG set, its debug log goes to that file.
    bool start();
    // Kills it (as a crash would) and waits until its name is gone.
    void stop();

    // Plugs modem in under profile and waits until ModemManager made it a modem, enabled it and
    // saw it registered with voice calls; its object path, or empty. Plugging in again under
    // the same profile takes ModemManager's modem of that profile away first (as an unplugged
    // modem: its calls go without a word) and makes a new one.
    QString plug(const SimulatedModem &modem, const QString &profile = QStringLiteral("modem0"));
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    bool isRegistered(const QString &modem);
    // Every call object of modem as "path state [number]" (its MMCallState), newest first as
    // ModemManager lists them.
    QStringList calls(const QString &modem);
    // Call.Accept or Call.Hangup (method) of the newest call of modem that has not ended, as
    // the call screen of the service asks it for the call it shows; false when there is none or
    // ModemManager refused.
    bool controlNewestCall(const QString &modem, const QString &method);
    // Waits until modem lists no call (the service deleted them).
    bool waitForNoCalls(const QString &modem);
    QString errorString() const { return m_error; }

private Q_SLOTS:
    void onSignal() { ++m_signals; }

private:
    bool fail(const QString &why);
    // Waits until ready() holds, asking it again after each of ModemManager's signals.
    bool waitFor(const std::function<bool()> &ready);
    QVariantList call(const QString &path, const QString &interface, const QString &method,
                      const QVariantList &arguments, bool *ok = nullptr);
    QVariant property(const QString &path, const QString &interface, const QString &name);
    // The modem ModemManager made of port, or empty.
    QString modemOf(const QString &port);

    QProcess m_process;
    QMap<QString, QString> m_modemOfProfile;
    QString m_error;
    int m_signals = 0;
};
