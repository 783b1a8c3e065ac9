#include "callhistorycontactsmanager.h"

#include "contactchangerelay.h"

#include <QtContacts/QContactDisplayLabel>
#include <QtContacts/QContactFetchRequest>
#include <QtContacts/QContactIdFilter>
#include <QtContacts/QContactOnlineAccount>
#include <QtContacts/QContactPhoneNumber>
#include <QtContacts/QContactPresence>
#include <QtContacts/QContactType>

#include <QCoreApplication>
#include <QSet>

using namespace QtContacts;

CallHistoryContactsManager *CallHistoryContactsManager::instance()
{
    static QPointer<CallHistoryContactsManager> manager;
    if (!manager)
        manager =
            new CallHistoryContactsManager(QMap<QString, QString>(), QCoreApplication::instance());
    return manager;
}

CallHistoryContactsManager::CallHistoryContactsManager(
    const QMap<QString, QString> &engineParameters, QObject *parent)
    : CallHistoryContactsManager(engineParameters, Timings(), parent)
{
}

CallHistoryContactsManager::CallHistoryContactsManager(
    const QMap<QString, QString> &engineParameters, const Timings &timings, QObject *parent)
    : QObject(parent), m_releaseDelay(timings.releaseDelay)
{
    m_changeTimer.setSingleShot(true);
    m_changeTimer.setInterval(timings.changeDebounce);
    connect(&m_changeTimer, &QTimer::timeout, this, &CallHistoryContactsManager::slotTimeout);
    m_batchTimer.setSingleShot(true);
    m_batchTimer.setInterval(timings.batchWindow);
    connect(&m_batchTimer, &QTimer::timeout, this, &CallHistoryContactsManager::onUpdateTimeout);

    QMap<QString, QString> parameters = engineParameters;
    parameters.insert(QStringLiteral("contact-types"), QStringLiteral("Contact"));
    m_contactManager = new QContactManager(ContactsEngine::ensureRegistered(), parameters);
    m_changeRelay = new ContactChangeRelay(m_contactManager, this);
    connect(m_changeRelay, &ContactChangeRelay::contactsChanged, this,
            &CallHistoryContactsManager::slotOnContactsChanged);
}

CallHistoryContactsManager::~CallHistoryContactsManager()
{
    // Requests go before the connection they run on; records are deleted as children.
    const QList<QContactFetchRequest *> requests = m_requests.keys();
    m_requests.clear();
    qDeleteAll(requests);
    delete m_contactManager.data();
}

CallHistoryContact *CallHistoryContactsManager::acquireContact(QContactLocalId id)
{
    CallHistoryContact *contact = m_contacts.value(id);
    if (contact) {
        contact->ref();
        return contact;
    }
    contact = new CallHistoryContact(id, this, m_releaseDelay);
    requestUpdate(contact);
    m_contacts.insert(id, contact);
    // Direct: the record is deleted inside its own signal, before the event loop runs again.
    connect(contact, &CallHistoryContact::unreferenced, this,
            &CallHistoryContactsManager::slotContactUnreferenced, Qt::DirectConnection);
    contact->ref();
    return contact;
}

void CallHistoryContactsManager::requestUpdate(CallHistoryContact *contact)
{
    contact->ref();
    m_pendingContacts.append(contact);
    if (m_pendingContacts.size() == BatchLimit) {
        m_batchTimer.stop();
        onUpdateTimeout();
    } else if (!m_batchTimer.isActive()) {
        m_batchTimer.start();
    }
}

QList<QContactDetail::DetailType> CallHistoryContactsManager::fetchedDetailTypes()
{
    // Without an avatar library of its own, the record needs these four alone.
    const QSet<QContactDetail::DetailType> types{QContactDisplayLabel::Type,
                                                 QContactOnlineAccount::Type,
                                                 QContactPresence::Type, QContactPhoneNumber::Type};
    return types.values();
}

void CallHistoryContactsManager::onUpdateTimeout()
{
    if (m_pendingContacts.isEmpty())
        return;
    const QList<CallHistoryContact *> batch = m_pendingContacts;
    m_pendingContacts.clear();

    auto *request = new QContactFetchRequest;
    request->setManager(m_contactManager.data());
    connect(request, &QContactAbstractRequest::stateChanged, this,
            &CallHistoryContactsManager::slotOnRequestStateChanged);
    QList<QContactId> ids;
    ids.reserve(batch.size());
    for (CallHistoryContact *contact : batch)
        ids.append(ContactsEngine::toContactId(contact->localId()));
    QContactIdFilter filter;
    filter.setIds(ids);
    request->setFilter(filter);
    QContactFetchHint hint;
    hint.setDetailTypesHint(fetchedDetailTypes());
    request->setFetchHint(hint);
    m_requests.insert(request, batch);
    if (!request->start()) {
        // No connection, or the engine refused: nothing will ever finish this request, so its
        // records must not stay referenced.
        m_requests.remove(request);
        delete request;
        releaseAll(batch);
    }
}

void CallHistoryContactsManager::slotOnRequestStateChanged(QContactAbstractRequest::State state)
{
    Q_UNUSED(state);
    auto *request = qobject_cast<QContactFetchRequest *>(sender());
    if (!request || !request->isFinished())
        return;
    // Errors are treated as "found nothing": the records stay as they were.
    const QList<QContact> contacts = request->contacts();
    for (const QContact &contact : contacts) {
        CallHistoryContact *record = m_contacts.value(ContactsEngine::toLocalId(contact.id()));
        if (record)
            record->setContact(contact);
    }
    const QList<CallHistoryContact *> batch = m_requests.take(request);
    releaseAll(batch);
    request->deleteLater();
}

void CallHistoryContactsManager::releaseAll(const QList<CallHistoryContact *> &contacts)
{
    for (CallHistoryContact *contact : contacts)
        contact->release();
}

void CallHistoryContactsManager::slotOnContactsChanged(const QList<QContactLocalId> &contactIds)
{
    for (QContactLocalId id : contactIds) {
        if (!m_changedIds.contains(id))
            m_changedIds.append(id);
    }
    m_changeTimer.start();
}

void CallHistoryContactsManager::slotTimeout()
{
    const QList<QContactLocalId> changed = m_changedIds;
    m_changedIds.clear();
    for (QContactLocalId id : changed) {
        CallHistoryContact *contact = m_contacts.value(id);
        if (contact)
            requestUpdate(contact);
    }
}

void CallHistoryContactsManager::slotContactUnreferenced(QContactLocalId contactId)
{
    CallHistoryContact *contact = m_contacts.take(contactId);
    delete contact;
}

QString CallHistoryContactsManager::displayLabel(const QContact &contact) const
{
    return ContactsEngine::synthesizedContactDisplayLabel(contact);
}
