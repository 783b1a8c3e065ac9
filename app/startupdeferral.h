#pragma once

#include <QList>
#include <QObject>
#include <QTimer>

#include <functional>

class QWidget;

// Holds the parts of the start-up that the first frame does not need (the address book, the
// accounts, the other pages, the voicemail service) and runs them, in the order given, in the
// turns of the event loop right after the first frame that shows what the start meant to show:
// the first paint of the window's viewport for which `shown` holds (say, the call history with
// its rows or its empty text). Work deferred after that runs at the next turn of the loop.
//
// Limits: it never waits for ever. When no such frame is painted within LongestWaitMs of the
// start (no display, a window that is never shown), or when nothing is shown at all
// (releaseAtNextTurn(), for a process started in the background), the work runs then. Whatever
// needs a deferred part earlier (a launch request, a bus call) must make that part itself: this
// class only chooses the time when no one asked.
class StartupDeferral : public QObject
{
    Q_OBJECT
public:
    static const int LongestWaitMs = 3000;

    StartupDeferral(QWidget *viewport, const std::function<bool()> &shown,
                    QObject *parent = nullptr);

    void defer(const std::function<void()> &work);
    // Runs the work at the next turn of the event loop, whatever is painted.
    void releaseAtNextTurn();
    bool isReleased() const { return m_released; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void release();
    void runWork();

    QWidget *m_viewport;
    std::function<bool()> m_shown;
    QList<std::function<void()>> m_work;
    QTimer m_longestWait;
    bool m_released = false;
};
