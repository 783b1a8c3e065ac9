#pragma once

#include "contactsengine.h"

#include <QObject>
#include <QString>
#include <QThread>

#include <memory>

class AddressBookContactResolver;

// Finds the address-book contact of a caller's number away from the GUI thread, with the same
// matching as the call history's rows (AddressBookContactResolver): the screen shows the number
// at once and the name when it is found. Reading the address book is an SQLite query that may
// wait for a writer; the screen never waits for it.
//
// lookUp() returns at once; found() follows on the thread that owns this object, once per
// request, in the order asked, with contact 0 and an empty name when no contact has the number
// (or the book cannot be read). When several contacts share the number, the first of the
// resolver's order (longest match) is taken.
class CallerLookup : public QObject
{
    Q_OBJECT
public:
    // The default address book (ContactsEngine::databasePath()) or the given file.
    explicit CallerLookup(const QString &databasePath = QString(), QObject *parent = nullptr);
    ~CallerLookup() override;

    void lookUp(const QString &key, const QString &number);

Q_SIGNALS:
    void found(const QString &key, const QString &number, QContactLocalId contactId,
               const QString &name);

private:
    QThread m_thread;
    QObject *m_worker; // lives in m_thread
    std::shared_ptr<AddressBookContactResolver> m_resolver;
};
