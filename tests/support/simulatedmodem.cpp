#include "simulatedmodem.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace {
const int WaitMs = 20000;

// One line to the control socket at path and the line it answers; false on any failure.
bool exchange(const QByteArray &path, const QByteArray &line, QByteArray *answer)
{
    sockaddr_un address{};
    if (path.size() >= int(sizeof(address.sun_path)))
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    bool ok = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0 &&
              ::write(fd, line.constData(), size_t(line.size())) == line.size();
    answer->clear();
    while (ok && !answer->endsWith('\n')) {
        pollfd p{fd, POLLIN, 0};
        char buffer[4096];
        ssize_t n = 0;
        ok = ::poll(&p, 1, WaitMs) == 1 && (n = ::read(fd, buffer, sizeof(buffer))) > 0;
        if (ok)
            answer->append(buffer, int(n));
    }
    ::close(fd);
    return ok;
}
} // namespace

SimulatedModem::~SimulatedModem()
{
    stop();
}

QString SimulatedModem::controlPath() const
{
    return m_dir.filePath(QStringLiteral("control"));
}

bool SimulatedModem::start()
{
    static int count = 0;
    if (!m_dir.isValid())
        return false;
    // Abstract socket names are shared by the whole machine: the process id keeps tests apart.
    m_port = QStringLiteral("abstract:ch-simulated-modem-%1-%2")
                 .arg(QCoreApplication::applicationPid())
                 .arg(++count);
    QFile::remove(controlPath());
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral(CH_SIMULATED_MODEM), QStringLiteral("serve"),
                     QStringLiteral("--port"), m_port, QStringLiteral("--control"), controlPath()});
    while (m_process.waitForReadyRead(WaitMs))
        if (m_process.canReadLine())
            return m_process.readLine().trimmed() == "ready";
    return false;
}

void SimulatedModem::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished();
}

bool SimulatedModem::control(const QStringList &words, QString *answer)
{
    QByteArray reply;
    if (!exchange(QFile::encodeName(controlPath()), words.join(QLatin1Char(' ')).toUtf8() + '\n',
                  &reply))
        return false;
    reply = reply.trimmed();
    if (answer)
        *answer = QString::fromUtf8(reply.mid(3));
    return reply == "ok" || reply.startsWith("ok ");
}

QStringList SimulatedModem::log()
{
    QString text;
    QStringList commands;
    if (control({QStringLiteral("log")}, &text))
        for (const QJsonValue &v : QJsonDocument::fromJson(text.toUtf8()).array())
            commands << v.toString();
    return commands;
}
