#include "addressbookengine.h"

#include <QtContacts/QContactDetailFilter>
#include <QtContacts/QContactFetchByIdRequest>
#include <QtContacts/QContactFetchRequest>
#include <QtContacts/QContactGuid>
#include <QtContacts/QContactIdFetchRequest>
#include <QtContacts/QContactIdFilter>
#include <QtContacts/QContactRemoveRequest>
#include <QtContacts/QContactSaveRequest>

#include <QFileInfo>
#include <QSet>

using namespace QtContacts;

namespace ContactsEngine {

namespace {

QContact withFetchHint(const QContact &contact, const QContactFetchHint &hint)
{
    const QList<QContactDetail::DetailType> types = hint.detailTypesHint();
    if (types.isEmpty())
        return contact;
    QContact trimmed;
    trimmed.setId(contact.id());
    trimmed.setType(contact.type());
    for (QContactDetail detail : contact.details()) {
        if (types.contains(detail.type()))
            trimmed.saveDetail(&detail, QContact::IgnoreAccessConstraints);
    }
    return trimmed;
}

// A filter on the GUID that the index of GUIDs answers (exact or fixed-string match of an ASCII
// value); the candidates it gives are still passed through the filter.
bool isGuidLookup(const QContactFilter &filter)
{
    if (filter.type() != QContactFilter::ContactDetailFilter)
        return false;
    const auto &detailFilter = static_cast<const QContactDetailFilter &>(filter);
    const QString value = detailFilter.value().toString();
    const QContactFilter::MatchFlags flags =
        detailFilter.matchFlags() & ~QContactFilter::MatchFlags(QContactFilter::MatchCaseSensitive);
    bool ascii = true;
    for (const QChar c : value)
        ascii = ascii && c.unicode() < 128;
    return detailFilter.detailType() == QContactDetail::TypeGuid &&
           (detailFilter.detailField() == QContactGuid::FieldGuid ||
            detailFilter.detailField() == -1) &&
           !value.isEmpty() && ascii &&
           (flags == QContactFilter::MatchExactly || flags == QContactFilter::MatchFixedString);
}

QList<QContactLocalId> uniqueLocalIds(const QList<QContactId> &ids)
{
    QList<QContactLocalId> result;
    QSet<QContactLocalId> seen;
    for (const QContactId &id : ids) {
        const QContactLocalId localId = toLocalId(id);
        if (localId != 0 && !seen.contains(localId)) {
            seen.insert(localId);
            result.append(localId);
        }
    }
    return result;
}

} // namespace

AddressBookEngine::AddressBookEngine(const QMap<QString, QString> &parameters)
    : m_parameters(parameters), m_file(databasePath(parameters))
{
    m_database.reset(new AddressBookDatabase(m_file));
    if (!m_database->open(AddressBookDatabase::ReadWrite)) {
        m_openError = QContactManager::UnspecifiedError;
        m_errorString = m_database->errorString();
        m_database.reset();
        return;
    }
    const QString canonical = QFileInfo(m_file).canonicalFilePath();
    if (!canonical.isEmpty())
        m_file = canonical;
    AddressBookChangeBus::subscribe(this, m_file);
}

AddressBookEngine::~AddressBookEngine()
{
    if (m_database)
        AddressBookChangeBus::unsubscribe(this);
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

bool AddressBookEngine::usable(QContactManager::Error *error) const
{
    if (m_database) {
        *error = QContactManager::NoError;
        return true;
    }
    *error = m_openError;
    return false;
}

bool AddressBookEngine::fail(QContactManager::Error *error) const
{
    *error = QContactManager::UnspecifiedError;
    return false;
}

QList<QContactId> AddressBookEngine::contactIds(const QContactFilter &filter,
                                                const QList<QContactSortOrder> &sortOrders,
                                                QContactManager::Error *error) const
{
    if (filter.type() == QContactFilter::DefaultFilter && sortOrders.isEmpty()) {
        QList<QContactLocalId> ids;
        if (!usable(error))
            return {};
        if (!m_database->contactIds(&ids)) {
            fail(error);
            return {};
        }
        return toContactIds(ids);
    }
    QContactFetchHint idsOnly;
    idsOnly.setDetailTypesHint({QContactDetail::TypeType});
    QList<QContactId> ids;
    const QList<QContact> found = contacts(filter, sortOrders, idsOnly, error);
    for (const QContact &contact : found)
        ids.append(contact.id());
    return ids;
}

QList<QContact> AddressBookEngine::contacts(const QContactFilter &filter,
                                            const QList<QContactSortOrder> &sortOrders,
                                            const QContactFetchHint &fetchHint,
                                            QContactManager::Error *error) const
{
    if (!usable(error))
        return {};
    QList<QContact> candidates;
    bool ok = true;
    if (filter.type() == QContactFilter::IdFilter) {
        ok = m_database->contacts(
            uniqueLocalIds(static_cast<const QContactIdFilter &>(filter).ids()), &candidates);
    } else if (isGuidLookup(filter)) {
        QList<QContactLocalId> ids;
        ok = m_database->contactIdsWithGuid(
                 static_cast<const QContactDetailFilter &>(filter).value().toString(), &ids) &&
             m_database->contacts(ids, &candidates);
    } else {
        ok = m_database->allContacts(&candidates);
    }
    if (!ok)
        return fail(error), QList<QContact>();

    QList<QContact> result;
    const bool everything = filter.type() == QContactFilter::DefaultFilter;
    for (const QContact &contact : candidates) {
        if (!everything && filter.type() != QContactFilter::IdFilter &&
            !testFilter(filter, contact))
            continue;
        if (sortOrders.isEmpty())
            result.append(withFetchHint(contact, fetchHint));
        else
            addSorted(&result, withFetchHint(contact, fetchHint), sortOrders);
    }
    return result;
}

QList<QContact> AddressBookEngine::contacts(const QList<QContactId> &contactIds,
                                            const QContactFetchHint &fetchHint,
                                            QMap<int, QContactManager::Error> *errorMap,
                                            QContactManager::Error *error) const
{
    if (!usable(error))
        return {};
    QList<QContact> found;
    if (!m_database->contacts(uniqueLocalIds(contactIds), &found))
        return fail(error), QList<QContact>();
    QHash<QContactId, QContact> byId;
    for (const QContact &contact : found)
        byId.insert(contact.id(), contact);
    // One entry per requested id, an empty contact and an error where there is none.
    QList<QContact> result;
    for (int i = 0; i < contactIds.size(); ++i) {
        const auto it = byId.constFind(contactIds.at(i));
        if (it == byId.cend()) {
            result.append(QContact());
            if (errorMap)
                errorMap->insert(i, QContactManager::DoesNotExistError);
            *error = QContactManager::DoesNotExistError;
        } else {
            result.append(withFetchHint(it.value(), fetchHint));
        }
    }
    return result;
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
    if (!usable(error))
        return false;
    QList<QContactLocalId> added, changed;
    QMap<int, QContactManager::Error> errors;
    if (!m_database->save(contacts, &added, &changed, &errors))
        return fail(error);
    if (errorMap)
        *errorMap = errors;
    announce(added, changed, {});
    if (!errors.isEmpty()) {
        *error = errors.first();
        return false;
    }
    return true;
}

bool AddressBookEngine::saveContacts(QList<QContact> *contacts,
                                     const QList<QContactDetail::DetailType> &typeMask,
                                     QMap<int, QContactManager::Error> *errorMap,
                                     QContactManager::Error *error)
{
    if (typeMask.isEmpty())
        return saveContacts(contacts, errorMap, error);
    if (!usable(error))
        return false;
    // Only the masked detail types of each contact replace those of the stored contact.
    QList<QContact> merged;
    for (const QContact &contact : *contacts) {
        QContact target;
        if (!contact.id().isNull()) {
            QList<QContact> stored;
            if (!m_database->contacts({toLocalId(contact.id())}, &stored))
                return fail(error);
            target = stored.isEmpty() ? contact : stored.first();
        }
        for (QContactDetail detail : target.details()) {
            if (typeMask.contains(detail.type()))
                target.removeDetail(&detail, QContact::IgnoreAccessConstraints);
        }
        for (QContactDetail detail : contact.details()) {
            if (typeMask.contains(detail.type()))
                target.saveDetail(&detail, QContact::IgnoreAccessConstraints);
        }
        target.setId(contact.id());
        merged.append(target);
    }
    const bool ok = saveContacts(&merged, errorMap, error);
    for (int i = 0; i < contacts->size(); ++i)
        (*contacts)[i].setId(merged.at(i).id());
    return ok;
}

bool AddressBookEngine::removeContacts(const QList<QContactId> &contactIds,
                                       QMap<int, QContactManager::Error> *errorMap,
                                       QContactManager::Error *error)
{
    if (!usable(error))
        return false;
    QList<QContactLocalId> removed;
    QMap<int, QContactManager::Error> errors;
    if (!m_database->remove(toLocalIds(contactIds), &removed, &errors))
        return fail(error);
    if (errorMap)
        *errorMap = errors;
    announce({}, {}, removed);
    if (!errors.isEmpty()) {
        *error = errors.first();
        return false;
    }
    return true;
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
    m_queue.removeAll(request);
    // QPointer entries of a request being destroyed read null already; drop them too.
    m_queue.removeAll(nullptr);
}

bool AddressBookEngine::startRequest(QContactAbstractRequest *request)
{
    switch (request->type()) {
    case QContactAbstractRequest::ContactFetchRequest:
    case QContactAbstractRequest::ContactFetchByIdRequest:
    case QContactAbstractRequest::ContactIdFetchRequest:
    case QContactAbstractRequest::ContactSaveRequest:
    case QContactAbstractRequest::ContactRemoveRequest:
        break;
    default:
        return false;
    }
    updateRequestState(request, QContactAbstractRequest::ActiveState);
    m_queue.append(request);
    if (!m_processScheduled) {
        m_processScheduled = true;
        QMetaObject::invokeMethod(this, "processRequests", Qt::QueuedConnection);
    }
    return true;
}

bool AddressBookEngine::cancelRequest(QContactAbstractRequest *request)
{
    if (!m_queue.contains(request))
        return false;
    m_queue.removeAll(request);
    updateRequestState(request, QContactAbstractRequest::CanceledState);
    return true;
}

bool AddressBookEngine::waitForRequestFinished(QContactAbstractRequest *request, int msecs)
{
    Q_UNUSED(msecs);
    if (m_queue.contains(request)) {
        m_queue.removeAll(request);
        run(request);
    }
    return request->isFinished();
}

void AddressBookEngine::processRequests()
{
    m_processScheduled = false;
    // Requests started by result handlers wait for the next turn of the event loop.
    QList<QPointer<QContactAbstractRequest>> batch;
    batch.swap(m_queue);
    // A result handler may destroy the manager, and with it this engine.
    const QPointer<AddressBookEngine> self(this);
    for (const QPointer<QContactAbstractRequest> &request : qAsConst(batch)) {
        if (!self)
            return;
        if (request)
            run(request);
    }
}

void AddressBookEngine::run(QContactAbstractRequest *request)
{
    QContactManager::Error error = QContactManager::NoError;
    QMap<int, QContactManager::Error> errorMap;
    const auto finished = QContactAbstractRequest::FinishedState;
    switch (request->type()) {
    case QContactAbstractRequest::ContactFetchRequest: {
        auto *r = static_cast<QContactFetchRequest *>(request);
        const QList<QContact> result = contacts(r->filter(), r->sorting(), r->fetchHint(), &error);
        updateContactFetchRequest(r, result, error, finished);
        break;
    }
    case QContactAbstractRequest::ContactFetchByIdRequest: {
        auto *r = static_cast<QContactFetchByIdRequest *>(request);
        const QList<QContact> result = contacts(r->contactIds(), r->fetchHint(), &errorMap, &error);
        updateContactFetchByIdRequest(r, result, error, errorMap, finished);
        break;
    }
    case QContactAbstractRequest::ContactIdFetchRequest: {
        auto *r = static_cast<QContactIdFetchRequest *>(request);
        const QList<QContactId> result = contactIds(r->filter(), r->sorting(), &error);
        updateContactIdFetchRequest(r, result, error, finished);
        break;
    }
    case QContactAbstractRequest::ContactSaveRequest: {
        auto *r = static_cast<QContactSaveRequest *>(request);
        QList<QContact> list = r->contacts();
        saveContacts(&list, r->typeMask(), &errorMap, &error);
        updateContactSaveRequest(r, list, error, errorMap, finished);
        break;
    }
    case QContactAbstractRequest::ContactRemoveRequest: {
        auto *r = static_cast<QContactRemoveRequest *>(request);
        removeContacts(r->contactIds(), &errorMap, &error);
        updateContactRemoveRequest(r, error, errorMap, finished);
        break;
    }
    default:
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
