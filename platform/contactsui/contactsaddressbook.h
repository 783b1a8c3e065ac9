#pragma once

#include <QtContacts/QContactManager>

// The address book that the contacts user interface reads and writes: the engine's default book
// (ContactsEngine::databasePath()), shared by every process. One connection per process, a child
// of the application object, made on first use; tests may hand in another one.
namespace ContactsAddressBook {
QtContacts::QContactManager *manager();
// Uses `manager` (not owned) instead of the default book; null goes back to the default.
void setManager(QtContacts::QContactManager *manager);
} // namespace ContactsAddressBook
