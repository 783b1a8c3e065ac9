#include "clockchangewatcher.h"

#include <QSocketNotifier>

#include <cerrno>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>

#ifndef TFD_TIMER_CANCEL_ON_SET
#define TFD_TIMER_CANCEL_ON_SET (1 << 1)
#endif

namespace {
// The timer never fires in practice: it is aimed ten years ahead and re-aimed on every wake-up.
const time_t FarAhead = time_t(10) * 365 * 24 * 3600;
} // namespace

ClockChangeWatcher::ClockChangeWatcher(QObject *parent) : QObject(parent)
{
    m_fd = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd < 0)
        return;
    if (!arm()) {
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ClockChangeWatcher::onReadable);
}

ClockChangeWatcher::~ClockChangeWatcher()
{
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

bool ClockChangeWatcher::arm()
{
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    struct itimerspec timer = {};
    timer.it_value.tv_sec = now.tv_sec + FarAhead;
    return timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &timer, nullptr) == 0;
}

void ClockChangeWatcher::onReadable()
{
    quint64 expirations = 0;
    const ssize_t n = ::read(m_fd, &expirations, sizeof expirations);
    const bool cancelled = n < 0 && errno == ECANCELED;
    if (n < 0 && !cancelled)
        return; // EAGAIN: nothing to read after all
    arm();
    if (cancelled)
        Q_EMIT clockChanged();
}
