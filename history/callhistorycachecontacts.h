#pragma once

#include "event.h"

#include <QtGlobal>

class QObject;

// What the row cache needs of the address book: for a contact id, a shared contact record that
// the cache holds one reference on, whether it is resolved yet, and the details it gives for one
// call. A record that is not resolved emits the signal updated() once it is.
//
// The application's implementation is CallHistoryContactsLookup, over the contacts manager.
class CallHistoryCacheContacts
{
public:
    struct Details
    {
        int numberType = 0;  // NumberType of the address the call used
        int presence = 0;    // PresenceCode on the call's account
        int numberCount = 0; // phone numbers of the contact
    };

    virtual ~CallHistoryCacheContacts() = default;

    // The record of contact `id` with a reference taken for the caller; never null.
    virtual QObject *acquireContact(quint32 id) = 0;
    virtual bool isResolved(QObject *contact) const = 0;
    virtual Details details(QObject *contact, const CommHistory::Event &event) const = 0;
    // Gives back the caller's reference.
    virtual void release(QObject *contact) = 0;
};
