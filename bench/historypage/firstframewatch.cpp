#include "firstframewatch.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <time.h>

FirstFrameWatch::FirstFrameWatch(QWidget *widget, std::function<bool()> condition, QObject *parent)
    : QObject(parent), m_widget(widget), m_condition(std::move(condition))
{
    // Filters run newest first: this one sees the paint before the view does.
    widget->installEventFilter(this);
}

double FirstFrameWatch::monotonicMs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

bool FirstFrameWatch::waitForPaint(int timeoutMs)
{
    const double until = monotonicMs() + timeoutMs;
    while (!hasPainted() && monotonicMs() < until)
        QCoreApplication::processEvents();
    return hasPainted();
}

bool FirstFrameWatch::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_widget || event->type() != QEvent::Paint || m_delivering || !m_armed)
        return false;
    if (!m_condition()) {
        ++m_earlierPaints;
        return false;
    }
    // Let the view paint now, within this paint cycle, and take the time when it is done.
    m_delivering = true;
    QCoreApplication::sendEvent(watched, event);
    m_delivering = false;
    m_paintedAtMs = monotonicMs();
    m_armed = false;
    Q_EMIT painted();
    return true;
}
