#include "modelmanager.h"

#include "callmodel.h"
#include "eventcontactsupdater.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#ifdef __GLIBC__
#include <malloc.h>
#endif

QPointer<ModelManager> ModelManager::s_instance;

static const int SharedLoadLimit = 200;
static const uint SharedFirstChunk = 25;
static const uint SharedChunk = 50;
static const unsigned long ShutdownWaitMs = 3000;
// Of that time, what writes that were asked for (a call marked read, a deletion) may take to
// finish, for instance while another process holds the database locked; the rest is for
// giving them up.
static const unsigned long WriteGraceMs = 2500;

ModelManager *ModelManager::instance()
{
    if (!s_instance)
        s_instance = new ModelManager(QCoreApplication::instance());
    return s_instance;
}

ModelManager::ModelManager(QObject *parent) : QObject(parent)
{
    m_thread = new QThread;
    m_thread->start();
    // Lives in the thread, to queue the end of the thread behind the requests made before it.
    m_threadContext = new QObject;
    m_threadContext->moveToThread(m_thread);
    m_model = new CommHistory::CallModel(this);
    m_model->setBackgroundThread(m_thread);
    m_model->setLoadLimit(SharedLoadLimit);
    m_model->setFirstChunkSize(SharedFirstChunk);
    m_model->setChunkSize(SharedChunk);
    EventContactsUpdater::instance()->attach(m_model);
    connect(m_model, SIGNAL(modelReady(bool)), this, SIGNAL(modelChanged()));
    connect(m_model, SIGNAL(dataChanged(const QModelIndex &, const QModelIndex &)), this,
            SIGNAL(modelChanged()));
    connect(m_model, SIGNAL(rowsInserted(const QModelIndex &, int, int)), this,
            SIGNAL(modelChanged()));
    connect(m_model, SIGNAL(rowsRemoved(const QModelIndex &, int, int)), this,
            SIGNAL(modelChanged()));
    connect(m_model, SIGNAL(eventsCommitted(const QList<CommHistory::Event> &, bool)), this,
            SIGNAL(modelChanged()));
}

ModelManager::~ModelManager()
{
    if (!m_thread)
        return;
    // Queries give up at once (the store checks for this request); the writes queued before
    // now still run, in order, and then the thread ends.
    m_thread->requestInterruption();
    QThread *thread = m_thread;
    QMetaObject::invokeMethod(
        m_threadContext, [thread]() { thread->quit(); }, Qt::QueuedConnection);
    bool ended = m_thread->wait(WriteGraceMs);
    if (!ended) {
        // A write still waits: give it up, so that the thread can end in the time left.
        m_model->interrupt();
        m_thread->quit();
        ended = m_thread->wait(ShutdownWaitMs - WriteGraceMs);
    }
    // A thread that still runs is left alone: deleting a running thread would abort the
    // process.
    if (ended) {
        delete m_threadContext;
        delete m_thread;
    }
    m_threadContext = nullptr;
    m_thread = nullptr;
}

bool ModelManager::releaseUnusedRows()
{
    if (!m_model->unloadRowsAfter(m_model->loadLimit()))
        return false;
#ifdef __GLIBC__
    // Freed blocks stay in the allocator's free lists, still counted as the process's own
    // memory, until it is asked to hand whole free pages back.
    QTimer::singleShot(0, this, []() { malloc_trim(0); });
#endif
    return true;
}

bool ModelManager::isEmpty() const
{
    return m_model->rowCount(QModelIndex()) == 0;
}
