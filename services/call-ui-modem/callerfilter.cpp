#include "callerfilter.h"

#include "addresslookup.h"
#include "blocklist.h"
#include "contactsengine.h"
#include "emergencynumbers.h"
#include "eventfilter.h"
#include "eventstore.h"
#include "mgconfitem.h"

#include <QDateTime>

using Blocking::BlockList;

namespace {
// The voicemail numbers' key (VoicemailStore::numbersKey, platform/voicemail, whose library
// brings the UI layer a service has no use for).
const char VoicemailNumbersKey[] = "/apps/telephony/voicemail/numbers";

bool sameNumber(const QString &a, const QString &b)
{
    const QString x = ContactsEngine::dialableDigits(a);
    const QString y = ContactsEngine::dialableDigits(b);
    int tail = 0;
    for (int i = x.size() - 1, j = y.size() - 1; i >= 0 && j >= 0 && x.at(i) == y.at(j); --i, --j)
        ++tail;
    return ContactsEngine::isSameNumber(x, y, tail);
}
} // namespace

CallerFilter::CallerFilter(BlockList *list, Cellular::EmergencyNumbers *emergency,
                           CommHistory::EventStore *history, const QString &addressBook)
    : m_list(list), m_emergency(emergency), m_history(history),
      m_addressBook(new ContactsEngine::AddressLookup(addressBook)),
      m_voicemail(new MGConfItem(QString::fromLatin1(VoicemailNumbersKey)))
{
}

CallerFilter::~CallerFilter()
{
    delete m_addressBook;
    delete m_voicemail;
}

bool CallerFilter::isExempt(const QString &number) const
{
    if (number.isEmpty())
        return false;
    const QString digits = ContactsEngine::dialableDigits(number);
    if (m_emergency) {
        for (const QString &emergency : m_emergency->numbers())
            if (number == emergency || (!digits.isEmpty() && digits == emergency))
                return true;
    }
    for (const QString &voicemail : m_voicemail->value().toStringList())
        if (number == voicemail || sameNumber(number, voicemail))
            return true;
    return false;
}

bool CallerFilter::isContact(const QString &number)
{
    const QString digits = ContactsEngine::dialableDigits(number);
    const int minimumTail = qMax(1, qMin(digits.size(), int(ContactsEngine::SignificantDigits)));
    for (const auto &match : m_addressBook->matchNumber(number, minimumTail)) {
        if (match.matchedValue == number ||
            ContactsEngine::isSameNumber(digits, ContactsEngine::dialableDigits(match.matchedValue),
                                         match.tailLength))
            return true;
    }
    return false;
}

bool CallerFilter::calledRecently(const QString &number, int days)
{
    if (!m_history || days <= 0 || (!m_history->isOpen() && !m_history->open()))
        return false;
    const QDateTime since = QDateTime::currentDateTimeUtc().addDays(-days);
    QList<CommHistory::Event> dialled;
    if (!m_history->events(CommHistory::EventFilter(CommHistory::EventFilter::Dialled, since),
                           CommHistory::Event(), MaxCalledBack, &dialled))
        return false;
    for (const CommHistory::Event &e : qAsConst(dialled))
        if (e.remoteUid() == number || sameNumber(e.remoteUid(), number))
            return true;
    return false;
}

bool CallerFilter::blocks(const QString &number)
{
    if (!m_list || isExempt(number))
        return false;
    if (m_list->match(number) != BlockList::NotBlocked)
        return true;
    // Withheld callers are the withheld switch's alone.
    if (number.isEmpty() || !m_list->blocksNonContacts())
        return false;
    if (isContact(number) || !m_addressBook->errorString().isEmpty())
        return false;
    return !calledRecently(number, m_list->calledBackDays());
}
