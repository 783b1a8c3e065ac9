#include "flingdriver.h"

#include "firstframewatch.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>

FlingDriver::FlingDriver(FirstFrameWatch *paints, std::function<double()> position,
                         std::function<void(double)> setPosition)
    : m_paints(paints), m_position(std::move(position)), m_setPosition(std::move(setPosition))
{
}

FlingDriver::Result FlingDriver::run(const std::function<double()> &end, double durationMs)
{
    Result result;
    const double start = FirstFrameWatch::monotonicMs();
    double due = start;
    while (true) {
        const double now = FirstFrameWatch::monotonicMs();
        if (now < due)
            QThread::usleep(qMax(0, int((due - now) * 1000)));
        const double frameStart = FirstFrameWatch::monotonicMs();
        const double target = end();
        const double t = qMin(1.0, (frameStart - start) / durationMs);
        const double step = target * (1 - (1 - t) * (1 - t));
        const double before = m_position();
        m_paints->arm();
        m_setPosition(step);
        if (m_position() != before)
            m_paints->waitForPaint(200);
        else
            QCoreApplication::processEvents();
        const double frameEnd = FirstFrameWatch::monotonicMs();
        result.frames << frameEnd - frameStart;
        if (m_position() < step - 1)
            ++result.stalled;
        if (t >= 1 && m_position() >= target - 1) {
            result.reached = true;
            break;
        }
        if (frameEnd - start > 10 * durationMs)
            break;
        due += FrameMs;
        if (due < frameEnd)
            due = frameEnd;
    }
    result.wallMs = FirstFrameWatch::monotonicMs() - start;
    return result;
}

double FlingDriver::percentile(QVector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(qMin(values.size() - 1, int(values.size() * p)));
}

int FlingDriver::overBudget(const QVector<double> &frames)
{
    return int(std::count_if(frames.begin(), frames.end(), [](double ms) { return ms > FrameMs; }));
}
