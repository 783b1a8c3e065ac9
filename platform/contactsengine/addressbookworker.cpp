#include "addressbookworker.h"

#include <QtContacts/QContactDetailFilter>
#include <QtContacts/QContactGuid>
#include <QtContacts/QContactIdFilter>
#include <QtContacts/QContactManagerEngine>

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

bool fail(QContactManager::Error *error)
{
    *error = QContactManager::UnspecifiedError;
    return false;
}

} // namespace

AddressBookWorker::AddressBookWorker(AddressBookDatabase *database) : m_database(database) {}

AddressBookWorker::~AddressBookWorker() = default;

void AddressBookWorker::run(AddressBookJob *job)
{
    if (job->begin()) {
        switch (job->kind) {
        case AddressBookJob::Fetch:
            job->found = contacts(job->filter, job->sorting, job->fetchHint, &job->error);
            break;
        case AddressBookJob::FetchById:
            job->found = contacts(job->ids, job->fetchHint, &job->errorMap, &job->error);
            break;
        case AddressBookJob::FetchIds:
            job->foundIds = contactIds(job->filter, job->sorting, &job->error);
            break;
        case AddressBookJob::Save:
            save(job);
            break;
        case AddressBookJob::Remove:
            remove(job);
            break;
        }
    }
    job->finish();
}

QList<QContactId> AddressBookWorker::contactIds(const QContactFilter &filter,
                                                const QList<QContactSortOrder> &sortOrders,
                                                QContactManager::Error *error)
{
    if (filter.type() == QContactFilter::DefaultFilter && sortOrders.isEmpty()) {
        QList<QContactLocalId> ids;
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

QList<QContact> AddressBookWorker::contacts(const QContactFilter &filter,
                                            const QList<QContactSortOrder> &sortOrders,
                                            const QContactFetchHint &fetchHint,
                                            QContactManager::Error *error)
{
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
            !QContactManagerEngine::testFilter(filter, contact))
            continue;
        if (sortOrders.isEmpty())
            result.append(withFetchHint(contact, fetchHint));
        else
            QContactManagerEngine::addSorted(&result, withFetchHint(contact, fetchHint),
                                             sortOrders);
    }
    return result;
}

QList<QContact> AddressBookWorker::contacts(const QList<QContactId> &contactIds,
                                            const QContactFetchHint &fetchHint,
                                            QMap<int, QContactManager::Error> *errorMap,
                                            QContactManager::Error *error)
{
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
            errorMap->insert(i, QContactManager::DoesNotExistError);
            *error = QContactManager::DoesNotExistError;
        } else {
            result.append(withFetchHint(it.value(), fetchHint));
        }
    }
    return result;
}

void AddressBookWorker::save(AddressBookJob *job)
{
    QList<QContact> toSave = job->contacts;
    if (!job->typeMask.isEmpty()) {
        // Only the masked detail types of each contact replace those of the stored contact.
        toSave.clear();
        for (const QContact &contact : qAsConst(job->contacts)) {
            QContact target;
            if (!contact.id().isNull()) {
                QList<QContact> stored;
                if (!m_database->contacts({toLocalId(contact.id())}, &stored)) {
                    fail(&job->error);
                    return;
                }
                target = stored.isEmpty() ? contact : stored.first();
            }
            for (QContactDetail detail : target.details()) {
                if (job->typeMask.contains(detail.type()))
                    target.removeDetail(&detail, QContact::IgnoreAccessConstraints);
            }
            for (QContactDetail detail : contact.details()) {
                if (job->typeMask.contains(detail.type()))
                    target.saveDetail(&detail, QContact::IgnoreAccessConstraints);
            }
            target.setId(contact.id());
            toSave.append(target);
        }
    }
    if (!m_database->save(&toSave, &job->added, &job->changed, &job->errorMap)) {
        job->errorMap.clear();
        fail(&job->error);
        return;
    }
    if (job->typeMask.isEmpty()) {
        job->contacts = toSave;
    } else {
        for (int i = 0; i < job->contacts.size(); ++i)
            job->contacts[i].setId(toSave.at(i).id());
    }
    if (!job->errorMap.isEmpty())
        job->error = job->errorMap.first();
}

void AddressBookWorker::remove(AddressBookJob *job)
{
    if (!m_database->remove(toLocalIds(job->ids), &job->removed, &job->errorMap)) {
        job->errorMap.clear();
        fail(&job->error);
        return;
    }
    if (!job->errorMap.isEmpty())
        job->error = job->errorMap.first();
}

} // namespace ContactsEngine
