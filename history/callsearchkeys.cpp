#include "callsearchkeys.h"

using CommHistory::Event;

void CallSearchKeys::setPattern(const CallSearchPattern &pattern)
{
    const bool narrower = pattern.narrows(m_pattern);
    const bool wider = m_pattern.narrows(pattern);
    m_pattern = pattern;
    if (narrower && wider)
        return;
    // What stays true: a narrower search finds nothing the last one did not; a wider one finds
    // everything the last one did.
    const Answer kept = narrower ? NotFound : wider ? Found : Unknown;
    for (Row &row : m_rows) {
        if (row.answer != kept)
            row.answer = Unknown;
    }
}

void CallSearchKeys::setRowCount(int rows)
{
    if (!m_counting || m_rows.size() != rows) {
        m_rows.fill(NewRow, rows);
        m_numbers.fill(QString(), rows);
        m_names.fill(QString(), rows);
    }
    m_counting = true;
}

void CallSearchKeys::forgetAll()
{
    m_counting = false;
    m_rows = QVector<Row>();
    m_numbers = QVector<QString>();
    m_names = QVector<QString>();
}

void CallSearchKeys::insertRows(int first, int count)
{
    if (!m_counting)
        return;
    m_rows.insert(first, count, NewRow);
    m_numbers.insert(first, count, QString());
    m_names.insert(first, count, QString());
}

void CallSearchKeys::removeRows(int first, int count)
{
    if (!m_counting)
        return;
    m_rows.remove(first, count);
    m_numbers.remove(first, count);
    m_names.remove(first, count);
}

void CallSearchKeys::forgetRows(int first, int last)
{
    for (int row = first; row <= last && row < m_rows.size(); ++row) {
        m_rows[row] = NewRow;
        m_numbers[row] = QString();
        m_names[row] = QString();
    }
}

bool CallSearchKeys::isCallEvent(const Event &event)
{
    return event.isValid() && event.type() == Event::CallEvent;
}

void CallSearchKeys::prepare(Row *row, QString *number, QString *name, const Event &event)
{
    *row = NewRow;
    *number = QString();
    *name = QString();
    if (!isCallEvent(event)) {
        row->state = NoCall;
        return;
    }
    row->state = Call;
    *number = event.remoteUid();
    const QList<Event::Contact> contacts = event.contacts();
    if (contacts.size() == 1)
        *name = contacts.first().second;
}

bool CallSearchKeys::answer(Row *row, const QString &number, const QString &name) const
{
    if (row->state != Call)
        return false;
    if (row->answer == Unknown)
        row->answer = m_pattern.matches(number) || m_pattern.matches(name) ? Found : NotFound;
    return row->answer == Found;
}
