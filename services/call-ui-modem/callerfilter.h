#pragma once

#include <QString>
#include <QStringList>

namespace Blocking {
class BlockList;
}
namespace Cellular {
class EmergencyNumbers;
}
namespace CommHistory {
class EventStore;
}
namespace ContactsEngine {
class AddressLookup;
}
class MGConfItem;

// Decides whether the modem call service ends an incoming call before it rings: its caller is
// on the block list (a number or a prefix), withheld while withheld callers are blocked, or not
// in the address book while such callers are blocked and not called within the list's
// calledBackDays() days (the history's dialled calls). The emergency numbers and the voicemail
// numbers are never blocked.
//
// Limits: everything is read synchronously in the service's thread: the list from memory, the
// address book (one indexed query) and the history (at most MaxCalledBack dialled calls of the
// last days) only when the "not in the address book" switch is on. An address book or history
// that cannot be read counts as "not known": the caller is let through, never blocked by a
// failure.
class CallerFilter
{
public:
    enum { MaxCalledBack = 1000 };

    // A null list blocks nothing; a null store knows no calls; addressBook is the address-book
    // file (default: the engine's).
    CallerFilter(Blocking::BlockList *list, Cellular::EmergencyNumbers *emergency,
                 CommHistory::EventStore *history, const QString &addressBook = QString());
    ~CallerFilter();

    // number as the network gave it; empty when withheld.
    bool blocks(const QString &number);

private:
    bool isExempt(const QString &number) const;
    bool isContact(const QString &number);
    bool calledRecently(const QString &number, int days);

    Blocking::BlockList *m_list;
    Cellular::EmergencyNumbers *m_emergency;
    CommHistory::EventStore *m_history;
    ContactsEngine::AddressLookup *m_addressBook;
    MGConfItem *m_voicemail;
};
