#include "startupdeferral.h"

#include <QEvent>
#include <QWidget>

StartupDeferral::StartupDeferral(QWidget *viewport, const std::function<bool()> &shown,
                                 QObject *parent)
    : QObject(parent), m_viewport(viewport), m_shown(shown)
{
    if (m_viewport)
        m_viewport->installEventFilter(this);
    m_longestWait.setSingleShot(true);
    m_longestWait.setInterval(LongestWaitMs);
    connect(&m_longestWait, &QTimer::timeout, this, &StartupDeferral::release);
    m_longestWait.start();
}

void StartupDeferral::defer(const std::function<void()> &work)
{
    m_work.append(work);
    if (m_released && m_work.size() == 1)
        QMetaObject::invokeMethod(this, &StartupDeferral::runWork, Qt::QueuedConnection);
}

void StartupDeferral::releaseAtNextTurn()
{
    QMetaObject::invokeMethod(this, &StartupDeferral::release, Qt::QueuedConnection);
}

bool StartupDeferral::eventFilter(QObject *watched, QEvent *event)
{
    // The paint is about to happen: the work runs once it is done and on screen.
    if (watched == m_viewport && event->type() == QEvent::Paint && !m_released && m_shown())
        releaseAtNextTurn();
    return false;
}

void StartupDeferral::release()
{
    if (m_released)
        return;
    m_released = true;
    m_longestWait.stop();
    if (m_viewport)
        m_viewport->removeEventFilter(this);
    runWork();
}

void StartupDeferral::runWork()
{
    // One piece per turn of the event loop, in order, so that a tap or a paint waits for one
    // piece at most; work deferred meanwhile goes to the end.
    if (m_work.isEmpty())
        return;
    const std::function<void()> work = m_work.takeFirst();
    if (!m_work.isEmpty())
        QMetaObject::invokeMethod(this, &StartupDeferral::runWork, Qt::QueuedConnection);
    work();
}
