#include "modelmanager.h"

#include "callmodel.h"
#include "eventcontactsupdater.h"

#include <QCoreApplication>
#include <QThread>

QPointer<ModelManager> ModelManager::s_instance;

static const int SharedLoadLimit = 200;
static const uint SharedFirstChunk = 25;
static const uint SharedChunk = 50;
static const unsigned long ShutdownWaitMs = 3000;

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
    if (m_thread) {
        // A running query gives up at once (the store checks for this request), so the wait
        // below is short. A thread that still runs after the wait is left alone: deleting a
        // running thread would abort the process.
        m_thread->requestInterruption();
        m_thread->quit();
        if (m_thread->wait(ShutdownWaitMs))
            delete m_thread;
        m_thread = nullptr;
    }
}

bool ModelManager::isEmpty() const
{
    return m_model->rowCount(QModelIndex()) == 0;
}
