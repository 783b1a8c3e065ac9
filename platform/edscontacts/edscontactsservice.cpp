#include "edscontactsservice.h"

#include "contactssource.h"
#include "edsaddressbooks.h"
#include "edsmirror.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>

EdsContactsService *EdsContactsService::instance()
{
    static QPointer<EdsContactsService> service;
    if (!service)
        service = new EdsContactsService(QString(), QCoreApplication::instance());
    return service;
}

EdsContactsService::EdsContactsService(const QString &mirrorFile, QObject *parent)
    : QObject(parent),
      m_file(mirrorFile.isEmpty() ? ContactsEngine::ContactsSource::mirrorDatabasePath()
                                  : mirrorFile)
{
    m_thread.setObjectName(QStringLiteral("eds contacts"));
    m_lockRetry.setInterval(LockRetryInterval);
    connect(&m_lockRetry, &QTimer::timeout, this, &EdsContactsService::tryStart);
}

EdsContactsService::~EdsContactsService()
{
    m_lockRetry.stop();
    if (m_context) {
        QObject *context = m_context;
        QMetaObject::invokeMethod(
            context, [context] { delete context; }, Qt::BlockingQueuedConnection);
    }
    m_thread.quit();
    m_thread.wait();
}

void EdsContactsService::start()
{
    if (m_started)
        return;
    m_started = true;
    QDir().mkpath(QFileInfo(m_file).absolutePath());
    m_lock.reset(new QLockFile(m_file + QStringLiteral(".lock")));
    m_lock->setStaleLockTime(0); // a lock of a process that is gone is taken over
    tryStart();
}

void EdsContactsService::tryStart()
{
    if (!m_lock->tryLock(0)) {
        m_lockRetry.start();
        return;
    }
    m_lockRetry.stop();
    m_thread.start();
    m_context = new QObject;
    m_context->moveToThread(&m_thread);
    QPointer<EdsContactsService> self(this);
    const QString file = m_file;
    const QString pictures = QFileInfo(m_file).absolutePath() + QStringLiteral("/eds-pictures");
    const int retryDelay = m_retryDelay;
    QObject *context = m_context;
    QMetaObject::invokeMethod(context, [self, context, file, pictures, retryDelay] {
        auto *books = new EdsAddressBooks(context);
        books->setRetryDelay(retryDelay);
        auto *mirror = new EdsMirror(books, file, pictures, context);
        // Told in the service's thread; the service outlives this thread's objects.
        EdsContactsService *service = self.data();
        if (!service)
            return;
        QObject::connect(mirror, &EdsMirror::writeRefused, service,
                         &EdsContactsService::writeRefused, Qt::QueuedConnection);
        QObject::connect(mirror, &EdsMirror::idle, service, &EdsContactsService::idle,
                         Qt::QueuedConnection);
        QObject::connect(books, &EdsAddressBooks::availabilityChanged, service,
                         &EdsContactsService::availabilityChanged, Qt::QueuedConnection);
        QString error;
        if (!mirror->open())
            error = mirror->errorString();
        else if (!books->start())
            error = books->errorString();
        if (!error.isEmpty())
            QMetaObject::invokeMethod(
                service,
                [self, error] {
                    if (!self)
                        return;
                    self->m_error = error;
                    Q_EMIT self->failed(error);
                },
                Qt::QueuedConnection);
    });
}
