#pragma once

#include "sortedcontactlist.h"

#include <QSharedPointer>
#include <QString>
#include <QVector>

// The last few results of the contact picker's filter over one SortedContactList, so that a
// filter typed on, typed back or typed again does not search every name: a text filtered lately
// is answered at once, and a text that contains one filtered lately (typed on) tests only that
// one's rows when they are half the list or less. The results are those of
// SortedContactList::filtered().
//
// Limits: one list at a time (another list forgets every result); a few results are kept, the
// least recently used goes first.
class ContactFilterCache
{
public:
    explicit ContactFilterCache(int capacity = 8);

    // The groups of `list` whose names contain `text` (see SortedContactList::filtered()).
    QVector<SortedContactList::Group> filtered(const QSharedPointer<const SortedContactList> &list,
                                               const QString &text);
    // How many names were tested so far: every name of the list for a full search, the rows of
    // the narrower result for a text typed on, none for a text kept.
    qint64 testedNames() const { return m_tested; }

private:
    struct Result
    {
        QString text;
        QVector<SortedContactList::Group> groups;
        int rows;
    };

    int m_capacity;
    QSharedPointer<const SortedContactList> m_list;
    QVector<Result> m_results; // most recently used first
    qint64 m_tested = 0;
};
