#include "terminationwatch.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace CallUi {

namespace {
int s_fds[2] = {-1, -1};

void onTerm(int)
{
    const char byte = 1;
    // Nothing to do if the socket is full: a quit is on its way already.
    const ssize_t written = ::write(s_fds[0], &byte, 1);
    (void)written;
}
} // namespace

TerminationWatch::TerminationWatch(QObject *parent) : QObject(parent)
{
    if (s_fds[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, s_fds))
        return;
    m_notifier = new QSocketNotifier(s_fds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationWatch::onSignal);
    struct sigaction action = {};
    action.sa_handler = onTerm;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
}

// The handler stays: a termination asked for while the service ends (dconf's connection goes
// after the bus) must not cut that end short.
TerminationWatch::~TerminationWatch() = default;

void TerminationWatch::onSignal()
{
    char buffer[16];
    while (::read(s_fds[1], buffer, sizeof buffer) > 0) {
    }
    QCoreApplication::exit(0);
}

} // namespace CallUi
