#pragma once

#include <QObject>

class QSocketNotifier;

namespace CallUi {

// Ends a service's event loop, with exit code 0, when the process is asked to terminate
// (SIGTERM): systemd stopping the service, or a library's bus connection giving up when the
// session bus goes away (dconf's, which the call screen's locale settings watch, raises SIGTERM
// then). The service's objects are then destroyed in order and what they keep on disk is written
// as on any normal quit, instead of the process dying where it stood.
//
// One per process (the signal handler is process-wide); the handler only writes a byte to a
// socket, the quitting happens in the event loop. Once the watch is gone (the service is
// ending), SIGTERM is ignored: the end already under way is not cut short.
class TerminationWatch : public QObject
{
    Q_OBJECT
public:
    explicit TerminationWatch(QObject *parent = nullptr);
    ~TerminationWatch() override;

private:
    void onSignal();

    QSocketNotifier *m_notifier = nullptr;
};

} // namespace CallUi
