#include "addresslookup.h"

#include <algorithm>

namespace ContactsEngine {

AddressLookup::AddressLookup(const QString &databasePath)
    : m_path(databasePath.isEmpty() ? ContactsEngine::databasePath() : databasePath)
{
}

AddressLookup::~AddressLookup() = default;

bool AddressLookup::ensureOpen()
{
    if (m_database)
        return true;
    QScopedPointer<AddressBookDatabase> database(new AddressBookDatabase(m_path));
    if (!database->open(AddressBookDatabase::ReadOnly)) {
        m_error = database->errorString();
        return false;
    }
    m_database.swap(database);
    return true;
}

static int commonTail(const QString &a, const QString &b)
{
    int n = 0;
    while (n < a.size() && n < b.size() && a.at(a.size() - 1 - n) == b.at(b.size() - 1 - n))
        ++n;
    return n;
}

QList<AddressLookup::Match> AddressLookup::matchNumber(const QString &number, int minimumTail)
{
    m_error.clear();
    if (number.isEmpty() || !ensureOpen())
        return {};
    minimumTail = qMax(1, minimumTail);
    const QString digits = dialableDigits(number);
    QList<AddressBookDatabase::AddressRow> rows;
    bool ok = m_database->numbersEqualTo(number, &rows);
    const int exactRows = rows.size();
    if (ok && digits.size() >= minimumTail) {
        QString tail = digits.right(minimumTail);
        std::reverse(tail.begin(), tail.end());
        ok = m_database->numbersWithReversedPrefix(tail, &rows);
    }
    if (!ok) {
        m_error = m_database->errorString();
        m_database.reset(); // a later call reopens, e.g. after the file was replaced
        return {};
    }
    QList<Match> matches;
    for (int i = 0; i < rows.size(); ++i) {
        const AddressBookDatabase::AddressRow &row = rows.at(i);
        const int tail =
            i < exactRows ? qMax(digits.size(), row.digits.size()) : commonTail(digits, row.digits);
        auto same = std::find_if(matches.begin(), matches.end(),
                                 [&](const Match &m) { return m.contactId == row.contactId; });
        if (same == matches.end())
            matches.append({row.contactId, row.displayLabel, row.value, tail});
        else if (tail > same->tailLength)
            *same = {row.contactId, row.displayLabel, row.value, tail};
    }
    std::stable_sort(matches.begin(), matches.end(), [](const Match &a, const Match &b) {
        return a.tailLength != b.tailLength ? a.tailLength > b.tailLength
                                            : a.contactId < b.contactId;
    });
    return matches;
}

QList<AddressLookup::Match> AddressLookup::matchAddress(const QString &address)
{
    m_error.clear();
    if (address.isEmpty() || !ensureOpen())
        return {};
    QList<AddressBookDatabase::AddressRow> rows;
    if (!m_database->addressesEqualTo(address, &rows)) {
        m_error = m_database->errorString();
        m_database.reset();
        return {};
    }
    QList<Match> matches;
    for (const AddressBookDatabase::AddressRow &row : rows) {
        if (!matches.isEmpty() && matches.last().contactId == row.contactId)
            continue;
        matches.append({row.contactId, row.displayLabel, row.value, int(address.size())});
    }
    return matches;
}

} // namespace ContactsEngine
