#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVariantList>

// A python-dbusmock template (ours under tests/support, or one of dbusmock's own such as
// "notification_daemon") running on the test's session bus in a process of its own, as a
// stand-in for a daemon that cannot run here. The methods are blocking calls (a test may wait).
class DBusMockProcess
{
public:
    // `templateName`: a file path or the name of a dbusmock template; `service` and `path`: the
    // bus name and main object it publishes.
    DBusMockProcess(const QString &templateName, const QString &service, const QString &path);
    ~DBusMockProcess();
    DBusMockProcess(const DBusMockProcess &) = delete;
    DBusMockProcess &operator=(const DBusMockProcess &) = delete;

    // Starts it (with dbusmock's JSON parameters, if any) and waits until it owns its name.
    bool start(const QString &parameters = QString());
    void stop();

    // Calls `method` of `interface` on the main object; the reply's arguments.
    QVariantList call(const QString &interface, const QString &method, const QVariantList &args,
                      bool *ok = nullptr);
    // The calls of `method` the main object got so far, each as its arguments joined by ","
    // (booleans as true/false), e.g. "true" for MuteMic(true).
    QStringList methodCalls(const QString &method);
    void clearCalls();
    // Sends a signal from the main object (dbusmock's EmitSignal), as the daemon would.
    bool emitSignal(const QString &interface, const QString &name, const QString &signature,
                    const QVariantList &args);

private:
    QString m_template;
    QString m_service;
    QString m_path;
    QProcess m_process;
};
