#ifndef ADDRESSBOOKENGINE_H
#define ADDRESSBOOKENGINE_H

#include "addressbookchangebus.h"
#include "addressbookjob.h"

#include <QtContacts/QContactManagerEngine>

#include <QHash>
#include <QList>
#include <QSharedPointer>
#include <QThread>

namespace ContactsEngine {

class AddressBookWorker;

// The QtContacts engine of the address book: contacts kept in an AddressBookDatabase, changes
// announced to every engine that has the same file open (in this and other processes) as
// contactsAdded/contactsChanged/contactsRemoved.
//
// The file is read and written only by the engine's worker thread (AddressBookWorker), one job
// after another in the order they were asked for. An asynchronous request returns at once; its
// results, state changes and the change signals of a save or removal arrive later in the
// engine's own thread, through the event loop. Synchronous calls (contacts(), saveContacts(), ...)
// and waitForRequestFinished() hand their job to the same worker and wait for it, so they still
// see every request started before them.
//
// Limits: relationships, collections and the self contact are not supported; a running job cannot
// be cancelled. When the file cannot be opened the engine still exists (QtContacts needs one) and
// answers every call with the error of the opening, leaving the file untouched.
class AddressBookEngine : public QtContacts::QContactManagerEngine,
                          public AddressBookChangeBus::Listener
{
    Q_OBJECT
public:
    explicit AddressBookEngine(const QMap<QString, QString> &parameters);
    ~AddressBookEngine() override;

    QtContacts::QContactManager::Error openError() const { return m_openError; }
    QString errorString() const { return m_errorString; }

    QString managerName() const override;
    QMap<QString, QString> managerParameters() const override;
    QMap<QString, QString> idInterpretationParameters() const override;
    int managerVersion() const override { return 1; }

    QList<QtContacts::QContactId>
    contactIds(const QtContacts::QContactFilter &filter,
               const QList<QtContacts::QContactSortOrder> &sortOrders,
               QtContacts::QContactManager::Error *error) const override;
    QList<QtContacts::QContact> contacts(const QtContacts::QContactFilter &filter,
                                         const QList<QtContacts::QContactSortOrder> &sortOrders,
                                         const QtContacts::QContactFetchHint &fetchHint,
                                         QtContacts::QContactManager::Error *error) const override;
    QList<QtContacts::QContact> contacts(const QList<QtContacts::QContactId> &contactIds,
                                         const QtContacts::QContactFetchHint &fetchHint,
                                         QMap<int, QtContacts::QContactManager::Error> *errorMap,
                                         QtContacts::QContactManager::Error *error) const override;
    QtContacts::QContact contact(const QtContacts::QContactId &contactId,
                                 const QtContacts::QContactFetchHint &fetchHint,
                                 QtContacts::QContactManager::Error *error) const override;

    bool saveContact(QtContacts::QContact *contact,
                     QtContacts::QContactManager::Error *error) override;
    bool removeContact(const QtContacts::QContactId &contactId,
                       QtContacts::QContactManager::Error *error) override;
    bool saveContacts(QList<QtContacts::QContact> *contacts,
                      QMap<int, QtContacts::QContactManager::Error> *errorMap,
                      QtContacts::QContactManager::Error *error) override;
    bool saveContacts(QList<QtContacts::QContact> *contacts,
                      const QList<QtContacts::QContactDetail::DetailType> &typeMask,
                      QMap<int, QtContacts::QContactManager::Error> *errorMap,
                      QtContacts::QContactManager::Error *error) override;
    bool removeContacts(const QList<QtContacts::QContactId> &contactIds,
                        QMap<int, QtContacts::QContactManager::Error> *errorMap,
                        QtContacts::QContactManager::Error *error) override;

    void requestDestroyed(QtContacts::QContactAbstractRequest *request) override;
    bool startRequest(QtContacts::QContactAbstractRequest *request) override;
    bool cancelRequest(QtContacts::QContactAbstractRequest *request) override;
    bool waitForRequestFinished(QtContacts::QContactAbstractRequest *request, int msecs) override;

    bool isFilterSupported(const QtContacts::QContactFilter &filter) const override;
    QList<QtContacts::QContactType::TypeValues> supportedContactTypes() const override;
    QList<QtContacts::QContactDetail::DetailType> supportedContactDetailTypes() const override;

    // AddressBookChangeBus::Listener
    QObject *listenerObject() override { return this; }
    void externalChange(const QList<QContactLocalId> &added, const QList<QContactLocalId> &changed,
                        const QList<QContactLocalId> &removed) override;

private Q_SLOTS:
    void onBusChanged(const QString &databaseFile, const QString &origin, const QList<uint> &added,
                      const QList<uint> &changed, const QList<uint> &removed);

private:
    typedef QSharedPointer<AddressBookJob> Job;

    // Hands the job to the worker; when it is done, jobDone() runs in this thread for request.
    void post(const Job &job, QtContacts::QContactAbstractRequest *request) const;
    // Runs the job in the worker and waits for it (synchronous calls).
    void runNow(const Job &job) const;
    void jobDone(const Job &job, QtContacts::QContactAbstractRequest *request);
    void finishRequest(QtContacts::QContactAbstractRequest *request, const Job &job);
    void announce(const QList<QContactLocalId> &added, const QList<QContactLocalId> &changed,
                  const QList<QContactLocalId> &removed);

    QMap<QString, QString> m_parameters;
    QString m_file;
    QtContacts::QContactManager::Error m_openError = QtContacts::QContactManager::NoError;
    QString m_errorString;
    QThread m_thread;
    AddressBookWorker *m_worker = nullptr;
    // Requests whose job has not been handed back yet.
    QHash<QtContacts::QContactAbstractRequest *, Job> m_jobs;
};

} // namespace ContactsEngine

#endif // ADDRESSBOOKENGINE_H
