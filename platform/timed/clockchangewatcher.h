#pragma once

#include <QObject>

class QSocketNotifier;

// Tells when the system's wall clock is set (by the user, NTP stepping it, or the network's
// time): a timerfd on CLOCK_REALTIME armed with TFD_TIMER_CANCEL_ON_SET is cancelled by the
// kernel whenever the clock is set discontinuously. Gradual NTP slewing is not reported.
// isValid() is false where the kernel offers no such timer; nothing is reported then.
class ClockChangeWatcher : public QObject
{
    Q_OBJECT
public:
    explicit ClockChangeWatcher(QObject *parent = nullptr);
    ~ClockChangeWatcher() override;

    bool isValid() const { return m_fd >= 0; }

Q_SIGNALS:
    void clockChanged();

private:
    bool arm();
    void onReadable();

    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
};
