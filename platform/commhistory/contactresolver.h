#ifndef COMMHISTORY_CONTACTRESOLVER_H
#define COMMHISTORY_CONTACTRESOLVER_H

#include "event.h"

namespace CommHistory {

/*
 * Finds the address-book contacts of a call's remote party. A model given a resolver
 * (EventModel::setContactResolver) calls it in its background thread for every event it reads,
 * so implementations must be safe to call from that thread. Without a resolver events carry no
 * contacts.
 */
class ContactResolver
{
public:
    virtual ~ContactResolver() = default;
    virtual QList<Event::Contact> contactsFor(const QString &localUid,
                                              const QString &remoteUid) = 0;
};

} // namespace CommHistory

#endif
