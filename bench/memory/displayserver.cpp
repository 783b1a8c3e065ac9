#include "displayserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

namespace {
bool waitForFile(const QString &path, QProcess *server)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 15000) {
        if (QFileInfo::exists(path))
            return true;
        if (server->state() == QProcess::NotRunning)
            return false;
        QThread::msleep(20);
    }
    return false;
}
} // namespace

DisplayServer::DisplayServer(Kind kind) : m_kind(kind)
{
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(QProcess::nullDevice());
}

DisplayServer::~DisplayServer()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
}

bool DisplayServer::start()
{
    if (m_kind == X11) {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty()) {
            m_why = QStringLiteral("Xvfb is not installed");
            return false;
        }
        // The first display number that no X server holds.
        for (int n = 90; n < 190; ++n) {
            const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(n);
            if (QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)) ||
                QFileInfo::exists(socket))
                continue;
            m_process.start(xvfb, {QStringLiteral(":%1").arg(n), QStringLiteral("-screen"),
                                   QStringLiteral("0"), QStringLiteral("480x854x24"),
                                   QStringLiteral("-nolisten"), QStringLiteral("tcp")});
            if (m_process.waitForStarted(5000) && waitForFile(socket, &m_process)) {
                m_address = QStringLiteral(":%1").arg(n);
                m_ready = true;
                return true;
            }
            m_process.kill();
            m_process.waitForFinished(5000);
        }
        m_why = QStringLiteral("Xvfb did not start");
        return false;
    }
    const QString weston = QStandardPaths::findExecutable(QStringLiteral("weston"));
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (weston.isEmpty() || runtime.isEmpty()) {
        m_why = weston.isEmpty() ? QStringLiteral("weston is not installed")
                                 : QStringLiteral("no XDG_RUNTIME_DIR");
        return false;
    }
    const QString name =
        QStringLiteral("call-history-bench-%1").arg(QCoreApplication::applicationPid());
    // The kiosk shell shows each window on the whole output, as a handset's compositor does.
    m_process.start(weston, {QStringLiteral("--backend=headless-backend.so"),
                             QStringLiteral("--shell=kiosk-shell.so"),
                             QStringLiteral("--socket=") + name, QStringLiteral("--idle-time=0"),
                             QStringLiteral("--width=480"), QStringLiteral("--height=854")});
    if (m_process.waitForStarted(5000) && waitForFile(QDir(runtime).filePath(name), &m_process)) {
        m_address = name;
        m_ready = true;
        return true;
    }
    m_why = QStringLiteral("weston (headless back-end) did not start");
    return false;
}

void DisplayServer::addTo(QProcessEnvironment *env) const
{
    if (m_kind == X11) {
        env->insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env->insert(QStringLiteral("DISPLAY"), m_address);
    } else {
        env->insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        env->insert(QStringLiteral("WAYLAND_DISPLAY"), m_address);
    }
}
