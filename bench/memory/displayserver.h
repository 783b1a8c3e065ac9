#pragma once

#include <QProcess>
#include <QString>

// The display servers the memory benchmark runs the program under, started for the benchmark
// and stopped with it: a virtual X server (Xvfb) and a Wayland compositor with no screen
// (weston's headless back-end), each of the phone's screen size. Either may be missing from the
// machine; available() tells.
class DisplayServer
{
public:
    enum Kind { X11, Wayland };
    explicit DisplayServer(Kind kind);
    ~DisplayServer();
    DisplayServer(const DisplayServer &) = delete;
    DisplayServer &operator=(const DisplayServer &) = delete;

    // Starts the server and waits until it takes clients; false (and why()) when it cannot.
    bool start();
    bool available() const { return m_ready; }
    QString why() const { return m_why; }
    // QT_QPA_PLATFORM and the server's address for a client's environment.
    void addTo(QProcessEnvironment *env) const;

private:
    Kind m_kind;
    QProcess m_process;
    QString m_address;
    QString m_why;
    bool m_ready = false;
};
