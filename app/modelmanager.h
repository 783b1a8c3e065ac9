#ifndef MODELMANAGER_H
#define MODELMANAGER_H

#include <QObject>
#include <QPointer>

class QThread;

namespace CommHistory {
class CallModel;
}

/*
 * Owns the call event model that the whole program shares and the one background thread in
 * which the history store runs its queries (the dialer's last-call model borrows it), and turns
 * every change of the model into modelChanged().
 *
 * A process-wide singleton, created on first use as a child of the application object. On
 * destruction it stops the thread within 3000 ms: queries that run or wait are dropped at once,
 * writes already asked for (marking read, deleting) are let finish in that time, even when
 * they wait for another process's lock, and given up only when it runs out.
 */
class ModelManager : public QObject
{
    Q_OBJECT

public:
    static ModelManager *instance();
    ~ModelManager() override;

    CommHistory::CallModel *model() const { return m_model; }
    QThread *backgroundThread() const { return m_thread; }
    // True while the shared model has no row (also before its first chunk arrived).
    bool isEmpty() const;
    // Lets go of the shared model's rows past its load limit, loaded by a long scroll or a
    // search over the whole history, and hands the memory they held back to the system at the
    // next turn of the event loop. For when the view is back at its top (a page reset); the
    // rows are read again when the view asks for more. Returns whether rows went, so that the
    // models above can let go of what they kept for them before the memory is handed back.
    bool releaseUnusedRows();

Q_SIGNALS:
    void modelChanged();

private:
    explicit ModelManager(QObject *parent);

    CommHistory::CallModel *m_model = nullptr;
    QThread *m_thread = nullptr;
    QObject *m_threadContext = nullptr;
    static QPointer<ModelManager> s_instance;
};

#endif
