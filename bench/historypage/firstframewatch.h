#pragma once

#include <QObject>

#include <functional>

class QWidget;

// Watches the paints of one widget (a graphics view's viewport) and reports the end of the
// first paint that happens while a condition holds, e.g. "the list shows rows". The paint is
// timed to its end: the watch delivers the paint event itself, inside the paint cycle, and
// notes the monotonic time once it returned. Armed from construction or from arm() on; reports
// once (painted()) until armed again.
class FirstFrameWatch : public QObject
{
    Q_OBJECT
public:
    FirstFrameWatch(QWidget *widget, std::function<bool()> condition, QObject *parent = nullptr);

    // Watches for the next paint (forgetting the last one reported).
    void arm()
    {
        m_armed = true;
        m_paintedAtMs = -1;
        m_earlierPaints = 0;
    }
    bool hasPainted() const { return m_paintedAtMs >= 0; }
    // Monotonic milliseconds (see monotonicMs()) at the end of the paint; -1 before.
    double paintedAtMs() const { return m_paintedAtMs; }
    // Paints seen before the one reported (loading states, empty frames).
    int earlierPaints() const { return m_earlierPaints; }

    // Runs the event loop until the paint watched for came (at most timeoutMs); false without.
    bool waitForPaint(int timeoutMs);

    // CLOCK_MONOTONIC in milliseconds: one clock for every process on the machine.
    static double monotonicMs();

Q_SIGNALS:
    void painted();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_widget;
    std::function<bool()> m_condition;
    bool m_armed = true;
    bool m_delivering = false;
    int m_earlierPaints = 0;
    double m_paintedAtMs = -1;
};
