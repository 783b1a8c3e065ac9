#pragma once

#include "callsearchpattern.h"
#include "event.h"

#include <QVector>

// What the call history search looks at in each row of the call model, prepared once, and
// which rows the current search finds.
//
// A row's keys are its call's remote identifier and the name of its single matched contact
// (none with no contact or with two or more), kept as shared copies of the event's texts: a
// search then reads neither the events nor their contacts again, and the keys cost no more
// than two references per row. A row that is not a call has no keys.
//
// The rows are kept in step with the model by its owner: rows inserted, removed, changed (a
// changed call, or contacts that arrived, is read again when next asked for) or all forgotten
// (a reset, a move or a change of layout), and counted anew with setRowCount() when a search
// begins. Until the first search nothing is prepared, so a history that is never searched
// costs nothing here.
//
// A new search keeps what it can of the last one's answers: when it narrows the last search
// (the text was extended) only the rows found before are tested again; when it widens it (the
// text was shortened) only the others are; any other change tests each row once more when
// asked.
class CallSearchKeys
{
public:
    void setPattern(const CallSearchPattern &pattern);

    void setRowCount(int rows);
    void forgetAll();
    void insertRows(int first, int count);
    void removeRows(int first, int count);
    void forgetRows(int first, int last);

    // Whether the row holds a call; read(row) gives its event when it is not known.
    template <typename Read> bool isCall(int row, const Read &read)
    {
        if (row < m_rows.size() && m_rows.at(row).state != NotRead)
            return m_rows.at(row).state == Call;
        return isCallEvent(read(row));
    }
    // Whether the current search finds the row's call.
    template <typename Read> bool found(int row, const Read &read)
    {
        if (row >= m_rows.size()) {
            Row state = NewRow;
            QString number, name;
            prepare(&state, &number, &name, read(row));
            return answer(&state, number, name);
        }
        Row &r = m_rows[row];
        if (r.state == NotRead)
            prepare(&r, &m_numbers[row], &m_names[row], read(row));
        return r.answer == Found ||
               (r.answer == Unknown && answer(&r, m_numbers.at(row), m_names.at(row)));
    }

private:
    enum State : quint8 { NotRead, NoCall, Call };
    enum Answer : quint8 { Unknown, Found, NotFound };
    // Apart from the texts, so that a pass over the rows reads two bytes per row. Trivial,
    // as QString is relocatable: rows arriving at the top move the others with one memmove.
    struct Row
    {
        State state;
        Answer answer;
    };
    static constexpr Row NewRow{NotRead, Unknown};

    static bool isCallEvent(const CommHistory::Event &event);
    static void prepare(Row *row, QString *number, QString *name, const CommHistory::Event &event);
    bool answer(Row *row, const QString &number, const QString &name) const;

    CallSearchPattern m_pattern;
    // Per model row, kept while counting: from the first search on until everything is
    // forgotten.
    QVector<Row> m_rows;
    // The remote identifier, and the single contact's name (null without one: no search
    // matches an empty text).
    QVector<QString> m_numbers;
    QVector<QString> m_names;
    bool m_counting = false;
};
