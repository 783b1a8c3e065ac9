#include "callsearchkeys.h"

using CommHistory::Event;

void CallSearchKeys::setPattern(const CallSearchPattern &pattern)
{
    const bool narrower = pattern.narrows(m_pattern);
    const bool wider = m_pattern.narrows(pattern);
    // What stays true: a narrower search finds nothing the last one did not; a wider one finds
    // everything the last one did.
    for (Answer &answer : m_answers) {
        if (narrower && wider)
            continue;
        if ((narrower && answer == NotFound) || (wider && answer == Found))
            continue;
        answer = Unknown;
    }
    m_pattern = pattern;
}

void CallSearchKeys::forgetAll()
{
    m_counting = false;
    m_rows.clear();
    dropParties();
}

void CallSearchKeys::dropParties()
{
    m_parties.clear();
    m_keys.clear();
    m_answers.clear();
}

void CallSearchKeys::insertRows(int first, int count)
{
    if (m_counting)
        m_rows.insert(first, count, NotRead);
}

void CallSearchKeys::removeRows(int first, int count)
{
    if (m_counting)
        m_rows.remove(first, count);
}

void CallSearchKeys::forgetRows(int first, int last)
{
    for (int row = first; row <= last && row < m_rows.size(); ++row)
        m_rows[row] = NotRead;
}

void CallSearchKeys::setRowCount(int rows)
{
    if (!m_counting || m_rows.size() != rows)
        m_rows.fill(NotRead, rows);
    m_counting = true;
}

bool CallSearchKeys::isCallEvent(const Event &event)
{
    return event.isValid() && event.type() == Event::CallEvent;
}

int CallSearchKeys::prepare(int row, const Event &event)
{
    int party = NoCall;
    if (isCallEvent(event)) {
        const QList<Event::Contact> contacts = event.contacts();
        const Party key{event.remoteUid(),
                        contacts.size() == 1 ? contacts.first().second : QString(),
                        contacts.size() == 1};
        auto it = m_parties.constFind(key);
        if (it != m_parties.constEnd()) {
            party = *it;
        } else {
            // Parties whose rows went or changed are kept; when they outnumber the rows, all
            // are dropped and the rows read again as they are asked for.
            if (m_keys.size() >= 2 * m_rows.size() + 1024) {
                dropParties();
                m_rows.fill(NotRead);
            }
            party = m_keys.size();
            m_parties.insert(key, party);
            m_keys.append({key.number, CallSearchPattern::lower(key.number), key.name,
                           CallSearchPattern::lower(key.name), key.hasName});
            m_answers.append(Unknown);
        }
    }
    if (row < m_rows.size())
        m_rows[row] = party;
    return party;
}

bool CallSearchKeys::found(int party)
{
    Answer &answer = m_answers[party];
    if (answer == Unknown) {
        const Keys &k = m_keys.at(party);
        answer = m_pattern.matches(k.number, k.loweredNumber) ||
                         (k.hasName && m_pattern.matches(k.name, k.loweredName))
                     ? Found
                     : NotFound;
    }
    return answer == Found;
}
