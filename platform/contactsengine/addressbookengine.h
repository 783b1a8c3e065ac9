#ifndef ADDRESSBOOKENGINE_H
#define ADDRESSBOOKENGINE_H

#include "addressbookchangebus.h"
#include "addressbookdatabase.h"

#include <QtContacts/QContactManagerEngine>

#include <QList>
#include <QPointer>
#include <QScopedPointer>

namespace ContactsEngine {

// The QtContacts engine of the address book: contacts kept in an AddressBookDatabase, requests
// answered through the event loop, changes announced to every engine that has the same file open
// (in this and other processes) as contactsAdded/contactsChanged/contactsRemoved.
//
// Limits: requests run one after another in the engine's thread (a fetch of the whole book blocks
// that thread while it reads); relationships, collections and the self contact are not supported.
// When the file cannot be opened the engine still exists (QtContacts needs one) and answers every
// call with the error of the opening, leaving the file untouched.
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
    void processRequests();

private:
    bool usable(QtContacts::QContactManager::Error *error) const;
    bool fail(QtContacts::QContactManager::Error *error) const;
    void run(QtContacts::QContactAbstractRequest *request);
    void announce(const QList<QContactLocalId> &added, const QList<QContactLocalId> &changed,
                  const QList<QContactLocalId> &removed);

    QMap<QString, QString> m_parameters;
    QString m_file;
    QScopedPointer<AddressBookDatabase> m_database;
    QtContacts::QContactManager::Error m_openError = QtContacts::QContactManager::NoError;
    QString m_errorString;
    QList<QPointer<QtContacts::QContactAbstractRequest>> m_queue;
    bool m_processScheduled = false;
};

} // namespace ContactsEngine

#endif // ADDRESSBOOKENGINE_H
