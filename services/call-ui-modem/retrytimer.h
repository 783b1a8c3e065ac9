#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

// Tries again later what could not be done now, without a loop that spins: after failed(), the
// attempt runs once the current delay has passed; while it fails, each delay is twice the one
// before, up to the longest; a success ends it and sets the delay back to the first. For writes
// that failed (a full disk, a write-protected folder, a damaged history store) and must be made
// as soon as they can.
//
// failed() while an attempt is due changes nothing: many failures in a row make one attempt.
class RetryTimer : public QObject
{
    Q_OBJECT
public:
    explicit RetryTimer(const std::function<bool()> &attempt, QObject *parent = nullptr);

    // The first and the longest delay (milliseconds; by default 1 s and 256 s).
    void setDelays(int firstMs, int longestMs);
    void failed();
    bool isPending() const { return m_timer.isActive(); }
    // The delay of the attempt due, or of the next one.
    int delay() const { return m_delay; }

private:
    void onTimeout();

    std::function<bool()> m_attempt;
    QTimer m_timer;
    int m_first = 1000;
    int m_longest = 256000;
    int m_delay = 1000;
};
