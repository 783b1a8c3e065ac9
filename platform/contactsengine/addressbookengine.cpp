#include "addressbookengine.h"

#include "addressbookdatabase.h"
#include "addressbookworker.h"

#include <QtContacts/QContactFetchByIdRequest>
#include <QtContacts/QContactFetchRequest>
#include <QtContacts/QContactIdFetchRequest>
#include <QtContacts/QContactRemoveRequest>
#include <QtContacts/QContactSaveRequest>

#include <QFileInfo>
#include <QPointer>

using namespace QtContacts;

namespace ContactsEngine {

AddressBookEngine::AddressBookEngine(const QMap<QString, QString> &parameters)
    : m_parameters(parameters), m_file(databasePath(parameters))
{
    // Opening reads a few header values only; the file is checked as a whole before the first
    // write, in the worker.
    auto *database = new AddressBookDatabase(m_file);
    if (!database->open(AddressBookDatabase::ReadWrite)) {
        m_openError = QContactManager::UnspecifiedError;
        m_errorString = database->errorString();
        delete database;
        return;
    }
    const QString canonical = QFileInfo(m_file).canonicalFilePath();
    if (!canonical.isEmpty())
        m_file = canonical;
    m_worker = new AddressBookWorker(database);
    m_thread.setObjectName(QStringLiteral("address book"));
    m_worker->moveToThread(&m_thread);
    m_thread.start();
    AddressBookChangeBus::subscribe(this, m_file);
}

AddressBookEngine::~AddressBookEngine()
{
    if (!m_worker)
        return;
    AddressBookChangeBus::unsubscribe(this);
    // The job in progress is finished; jobs still queued are dropped with the worker.
    m_thread.quit();
    m_thread.wait();
    delete m_worker;
}

QString AddressBookEngine::managerName() const
{
    return QString::fromLatin1(ContactsEngine::managerName);
}

QMap<QString, QString> AddressBookEngine::managerParameters() const
{
    return m_parameters;
}

QMap<QString, QString> AddressBookEngine::idInterpretationParameters() const
{
    // Ids are the same whichever file parameter was used to reach the book.
    return QMap<QString, QString>();
}

void AddressBookEngine::post(const Job &job, QContactAbstractRequest *request) const
{
    auto *self = const_cast<AddressBookEngine *>(this);
    if (!m_worker) {
        job->error = m_openError;
        job->begin();
        job->finish();
        if (request)
            QMetaObject::invokeMethod(
                self, [self, job, request] { self->jobDone(job, request); }, Qt::QueuedConnection);
        return;
    }
    AddressBookWorker *worker = m_worker;
    QMetaObject::invokeMethod(
        worker,
        [worker, self, job, request] {
            worker->run(job.data());
            // The engine stops this thread before it is destroyed, so it is alive here.
            if (request)
                QMetaObject::invokeMethod(
                    self, [self, job, request] { self->jobDone(job, request); },
                    Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void AddressBookEngine::runNow(const Job &job) const
{
    post(job, nullptr);
    job->wait(-1);
}

QList<QContactId> AddressBookEngine::contactIds(const QContactFilter &filter,
                                                const QList<QContactSortOrder> &sortOrders,
                                                QContactManager::Error *error) const
{
    Job job(new AddressBookJob(AddressBookJob::FetchIds));
    job->filter = filter;
    job->sorting = sortOrders;
    runNow(job);
    *error = job->error;
    return job->foundIds;
}

QList<QContact> AddressBookEngine::contacts(const QContactFilter &filter,
                                            const QList<QContactSortOrder> &sortOrders,
                                            const QContactFetchHint &fetchHint,
                                            QContactManager::Error *error) const
{
    Job job(new AddressBookJob(AddressBookJob::Fetch));
    job->filter = filter;
    job->sorting = sortOrders;
    job->fetchHint = fetchHint;
    runNow(job);
    *error = job->error;
    return job->found;
}

QList<QContact> AddressBookEngine::contacts(const QList<QContactId> &contactIds,
                                            const QContactFetchHint &fetchHint,
                                            QMap<int, QContactManager::Error> *errorMap,
                                            QContactManager::Error *error) const
{
    Job job(new AddressBookJob(AddressBookJob::FetchById));
    job->ids = contactIds;
    job->fetchHint = fetchHint;
    runNow(job);
    *error = job->error;
    if (errorMap)
        *errorMap = job->errorMap;
    return job->found;
}

QContact AddressBookEngine::contact(const QContactId &contactId, const QContactFetchHint &fetchHint,
                                    QContactManager::Error *error) const
{
    const QList<QContact> found = contacts(QList<QContactId>{contactId}, fetchHint, nullptr, error);
    return found.isEmpty() ? QContact() : found.first();
}

bool AddressBookEngine::saveContact(QContact *contact, QContactManager::Error *error)
{
    QList<QContact> list{*contact};
    QMap<int, QContactManager::Error> errorMap;
    const bool ok = saveContacts(&list, &errorMap, error);
    *contact = list.first();
    if (errorMap.contains(0))
        *error = errorMap.value(0);
    return ok && *error == QContactManager::NoError;
}

bool AddressBookEngine::removeContact(const QContactId &contactId, QContactManager::Error *error)
{
    QMap<int, QContactManager::Error> errorMap;
    const bool ok = removeContacts({contactId}, &errorMap, error);
    if (errorMap.contains(0))
        *error = errorMap.value(0);
    return ok && *error == QContactManager::NoError;
}

bool AddressBookEngine::saveContacts(QList<QContact> *contacts,
                                     QMap<int, QContactManager::Error> *errorMap,
                                     QContactManager::Error *error)
{
    return saveContacts(contacts, QList<QContactDetail::DetailType>(), errorMap, error);
}

bool AddressBookEngine::saveContacts(QList<QContact> *contacts,
                                     const QList<QContactDetail::DetailType> &typeMask,
                                     QMap<int, QContactManager::Error> *errorMap,
                                     QContactManager::Error *error)
{
    Job job(new AddressBookJob(AddressBookJob::Save));
    job->contacts = *contacts;
    job->typeMask = typeMask;
    runNow(job);
    *contacts = job->contacts;
    *error = job->error;
    if (errorMap)
        *errorMap = job->errorMap;
    announce(job->added, job->changed, {});
    return job->error == QContactManager::NoError;
}

bool AddressBookEngine::removeContacts(const QList<QContactId> &contactIds,
                                       QMap<int, QContactManager::Error> *errorMap,
                                       QContactManager::Error *error)
{
    Job job(new AddressBookJob(AddressBookJob::Remove));
    job->ids = contactIds;
    runNow(job);
    *error = job->error;
    if (errorMap)
        *errorMap = job->errorMap;
    announce({}, {}, job->removed);
    return job->error == QContactManager::NoError;
}

void AddressBookEngine::announce(const QList<QContactLocalId> &added,
                                 const QList<QContactLocalId> &changed,
                                 const QList<QContactLocalId> &removed)
{
    AddressBookChangeBus::publish(this, m_file, added, changed, removed);
    externalChange(added, changed, removed);
}

void AddressBookEngine::externalChange(const QList<QContactLocalId> &added,
                                       const QList<QContactLocalId> &changed,
                                       const QList<QContactLocalId> &removed)
{
    if (!added.isEmpty())
        Q_EMIT contactsAdded(toContactIds(added));
    if (!changed.isEmpty())
        Q_EMIT contactsChanged(toContactIds(changed), QList<QContactDetail::DetailType>());
    if (!removed.isEmpty())
        Q_EMIT contactsRemoved(toContactIds(removed));
}

void AddressBookEngine::onBusChanged(const QString &databaseFile, const QString &origin,
                                     const QList<uint> &added, const QList<uint> &changed,
                                     const QList<uint> &removed)
{
    AddressBookChangeBus::deliverFromBus(this, databaseFile, origin, added, changed, removed);
}

void AddressBookEngine::requestDestroyed(QContactAbstractRequest *request)
{
    // A job already running still finishes, and its changes are still announced.
    const Job job = m_jobs.take(request);
    if (job)
        job->cancel();
}

bool AddressBookEngine::startRequest(QContactAbstractRequest *request)
{
    Job job;
    switch (request->type()) {
    case QContactAbstractRequest::ContactFetchRequest: {
        auto *r = static_cast<QContactFetchRequest *>(request);
        job.reset(new AddressBookJob(AddressBookJob::Fetch));
        job->filter = r->filter();
        job->sorting = r->sorting();
        job->fetchHint = r->fetchHint();
        break;
    }
    case QContactAbstractRequest::ContactFetchByIdRequest: {
        auto *r = static_cast<QContactFetchByIdRequest *>(request);
        job.reset(new AddressBookJob(AddressBookJob::FetchById));
        job->ids = r->contactIds();
        job->fetchHint = r->fetchHint();
        break;
    }
    case QContactAbstractRequest::ContactIdFetchRequest: {
        auto *r = static_cast<QContactIdFetchRequest *>(request);
        job.reset(new AddressBookJob(AddressBookJob::FetchIds));
        job->filter = r->filter();
        job->sorting = r->sorting();
        break;
    }
    case QContactAbstractRequest::ContactSaveRequest: {
        auto *r = static_cast<QContactSaveRequest *>(request);
        job.reset(new AddressBookJob(AddressBookJob::Save));
        job->contacts = r->contacts();
        job->typeMask = r->typeMask();
        break;
    }
    case QContactAbstractRequest::ContactRemoveRequest: {
        auto *r = static_cast<QContactRemoveRequest *>(request);
        job.reset(new AddressBookJob(AddressBookJob::Remove));
        job->ids = r->contactIds();
        break;
    }
    default:
        return false;
    }
    updateRequestState(request, QContactAbstractRequest::ActiveState);
    m_jobs.insert(request, job);
    post(job, request);
    return true;
}

bool AddressBookEngine::cancelRequest(QContactAbstractRequest *request)
{
    const Job job = m_jobs.value(request);
    if (!job || !job->cancel())
        return false;
    m_jobs.remove(request);
    updateRequestState(request, QContactAbstractRequest::CanceledState);
    return true;
}

bool AddressBookEngine::waitForRequestFinished(QContactAbstractRequest *request, int msecs)
{
    const Job job = m_jobs.value(request);
    if (job) {
        if (!job->wait(msecs > 0 ? msecs : -1))
            return false;
        jobDone(job, request);
    }
    return request->isFinished();
}

void AddressBookEngine::jobDone(const Job &job, QContactAbstractRequest *request)
{
    if (job->delivered)
        return;
    job->delivered = true;
    // Changes are announced even when their request is gone. A handler of the change signals or
    // of the request may destroy the manager, and with it this engine.
    const QPointer<AddressBookEngine> self(this);
    announce(job->added, job->changed, job->removed);
    if (!self || m_jobs.value(request) != job)
        return;
    m_jobs.remove(request);
    finishRequest(request, job);
}

void AddressBookEngine::finishRequest(QContactAbstractRequest *request, const Job &job)
{
    const auto finished = QContactAbstractRequest::FinishedState;
    switch (job->kind) {
    case AddressBookJob::Fetch:
        updateContactFetchRequest(static_cast<QContactFetchRequest *>(request), job->found,
                                  job->error, finished);
        break;
    case AddressBookJob::FetchById:
        updateContactFetchByIdRequest(static_cast<QContactFetchByIdRequest *>(request), job->found,
                                      job->error, job->errorMap, finished);
        break;
    case AddressBookJob::FetchIds:
        updateContactIdFetchRequest(static_cast<QContactIdFetchRequest *>(request), job->foundIds,
                                    job->error, finished);
        break;
    case AddressBookJob::Save:
        updateContactSaveRequest(static_cast<QContactSaveRequest *>(request), job->contacts,
                                 job->error, job->errorMap, finished);
        break;
    case AddressBookJob::Remove:
        updateContactRemoveRequest(static_cast<QContactRemoveRequest *>(request), job->error,
                                   job->errorMap, finished);
        break;
    }
}

bool AddressBookEngine::isFilterSupported(const QContactFilter &filter) const
{
    Q_UNUSED(filter);
    // Every filter is evaluated, most of them by reading the whole book.
    return true;
}

QList<QContactType::TypeValues> AddressBookEngine::supportedContactTypes() const
{
    return {QContactType::TypeContact};
}

QList<QContactDetail::DetailType> AddressBookEngine::supportedContactDetailTypes() const
{
    QList<QContactDetail::DetailType> types;
    for (int type = QContactDetail::TypeAddress; type <= QContactDetail::TypeVersion; ++type)
        types.append(static_cast<QContactDetail::DetailType>(type));
    return types;
}

} // namespace ContactsEngine
