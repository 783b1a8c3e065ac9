#include "retrytimer.h"

RetryTimer::RetryTimer(const std::function<bool()> &attempt, QObject *parent)
    : QObject(parent), m_attempt(attempt)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &RetryTimer::onTimeout);
}

void RetryTimer::setDelays(int firstMs, int longestMs)
{
    m_first = qMax(1, firstMs);
    m_longest = qMax(m_first, longestMs);
    m_delay = m_first;
}

void RetryTimer::failed()
{
    if (!m_timer.isActive())
        m_timer.start(m_delay);
}

void RetryTimer::onTimeout()
{
    if (m_attempt()) {
        m_timer.stop();
        m_delay = m_first;
        return;
    }
    m_delay = int(qMin<qint64>(qint64(m_delay) * 2, m_longest));
    m_timer.start(m_delay);
}
