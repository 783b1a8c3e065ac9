#pragma once

#include <QVector>

#include <functional>

class FirstFrameWatch;

// Moves a list as a fling does, to measure its frames: from where it is to a target in a given
// time, slowing down evenly, one step per 60 Hz frame (a slow frame makes the next step longer).
// A frame is the work of the event loop from the move to the end of the paint it causes; between
// frames the thread rests until the next frame is due, so work of other threads (the store
// loading rows) runs as it would. Knows nothing of the list: it is given how to read and set the
// position and where the fling ends, asked again each frame (it may move while rows load).
class FlingDriver
{
public:
    static constexpr double FrameMs = 1000.0 / 60;

    struct Result
    {
        QVector<double> frames; // ms of each frame
        int stalled = 0;        // frames that could not reach their step (no rows there yet)
        double wallMs = 0;
        bool reached = false;
    };

    FlingDriver(FirstFrameWatch *paints, std::function<double()> position,
                std::function<void(double)> setPosition);

    // Flings from position 0 to end() in durationMs; gives up after ten times that.
    Result run(const std::function<double()> &end, double durationMs);

    static double percentile(QVector<double> values, double p);
    static int overBudget(const QVector<double> &frames);

private:
    FirstFrameWatch *m_paints;
    std::function<double()> m_position;
    std::function<void(double)> m_setPosition;
};
