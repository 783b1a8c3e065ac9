#pragma once

#include "callsearchpattern.h"
#include "event.h"

#include <QHash>
#include <QVector>

// What the call history search looks at in each row of the call model, prepared once, and which
// of it the current search finds.
//
// A row's keys are its call's party: the remote identifier and the name of its single matched
// contact (none with no contact or with two or more), each with its lowered form. Rows of
// the same party share one entry, and the search tests each party once, not each row. A row that
// is not a call has no party.
//
// The rows are kept in step with the model by its owner: rows inserted, removed, changed (a
// changed call, or contacts that arrived, is read again when next asked for) or all forgotten
// (a reset, a move or a change of layout), and counted anew with setRowCount() when a search
// begins. Until the first search nothing is prepared, so a history that is never searched costs
// nothing here. Parties stay when their rows go, until they outnumber the rows twice over.
//
// A new search keeps what it can of the last one's answers: when it narrows the last search
// (the text was extended) only the parties found before are tested again; when it widens it (the
// text was shortened) only the others are; any other change tests each party once more when
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
        if (row < m_rows.size() && m_rows.at(row) != NotRead)
            return m_rows.at(row) != NoCall;
        return isCallEvent(read(row));
    }
    // Whether the current search finds the row's call.
    template <typename Read> bool found(int row, const Read &read)
    {
        const int party = row < m_rows.size() && m_rows.at(row) != NotRead
                              ? m_rows.at(row)
                              : prepare(row, read(row));
        return party != NoCall && found(party);
    }

private:
    struct Party
    {
        QString number;
        QString name;
        bool hasName;
        bool operator==(const Party &o) const
        {
            return hasName == o.hasName && number == o.number && name == o.name;
        }
        friend uint qHash(const Party &p, uint seed = 0)
        {
            return ::qHash(p.number, seed) ^ ::qHash(p.name, seed);
        }
    };
    struct Keys
    {
        QString number, loweredNumber, name, loweredName;
        bool hasName;
    };
    enum Answer : quint8 { Unknown, Found, NotFound };
    enum : int { NotRead = -2, NoCall = -1 };

    static bool isCallEvent(const CommHistory::Event &event);
    void dropParties();
    // The party of the row's event, noted for the row.
    int prepare(int row, const CommHistory::Event &event);
    bool found(int party);

    CallSearchPattern m_pattern;
    // Per model row: its party's index, NoCall or NotRead; kept while counting, that is from
    // the first search on until everything is forgotten.
    QVector<int> m_rows;
    bool m_counting = false;
    QHash<Party, int> m_parties;
    QVector<Keys> m_keys;
    QVector<Answer> m_answers;
};
