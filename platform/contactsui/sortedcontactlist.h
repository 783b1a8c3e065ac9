#pragma once

#include "contactsengine.h"

#include <QSharedPointer>
#include <QString>
#include <QVector>

// The contact picker's contacts in list order, with everything the list and its filter need made
// once: names sorted by the current locale's collation (case-insensitive, numbers by value),
// names that do not start with a letter last; the group letter of each name; the groups of the
// whole list; each name case-folded for the filter.
//
// Built in one piece (build() may run in any thread) and never changed afterwards, so that one
// list can be shared between threads and by every picker of the process.
//
// Limits: the order is the one of the locale current when it was built.
class SortedContactList
{
public:
    struct Entry
    {
        QContactLocalId id;
        QString name;
        // Local file of the contact's own picture; empty for none.
        QString picture = QString();
        // The contact's phone numbers as written.
        QStringList numbers = QStringList();
    };
    struct Group
    {
        QString letter;
        QVector<int> rows; // indexes into entries()
    };

    // Sorts and groups `contacts` (any order).
    static QSharedPointer<const SortedContactList> build(const QVector<Entry> &contacts);
    // The group letter of a name: its upper-case first letter without accents, "#" for names
    // that do not start with a letter.
    static QString groupOf(const QString &name);

    const QVector<Entry> &entries() const { return m_entries; }
    // Every entry under its group.
    const QVector<Group> &groups() const { return m_groups; }
    // The groups of the entries whose names contain `text` without regard to case (surrounding
    // spaces ignored; every entry for an empty text), or, for a text written as a number (digits,
    // "+", spaces, "-", ".", "(", ")"), one of whose numbers contains its digits (any number, for
    // a text without digits). Groups left empty are left out.
    QVector<Group> filtered(const QString &text) const;
    // The same, testing only the rows of `within`: groups of this list (as filtered() gave them)
    // that hold every row the text can match, such as the result of a text it contains.
    QVector<Group> filtered(const QString &text, const QVector<Group> &within) const;
    QString localeName() const { return m_locale; }
    // The first number of `row` whose digits contain those of `text`, when the text is written
    // as a number and the row's name does not contain it; else empty.
    QString matchedNumber(int row, const QString &text) const;
    // The digits of a text written as a number (empty, not null, for "+" alone); a null string
    // for any other text.
    static QString numberDigits(const QString &text);

private:
    SortedContactList() = default;
    // Rows whose names contain `text`, or whose numbers contain `digits` (when not null), in
    // row order.
    QVector<int> matchingRows(const QString &text, const QString &digits) const;
    // Rows whose numbers contain `digits`, in row order.
    QVector<int> matchingNameRows(const QString &text) const;
    QVector<int> rowsWithDigits(const QString &digits) const;
    bool rowHasDigits(int row, const QString &digits) const;
    // Whether the name of `row` contains `text`; `folded` is text case-folded, or empty when
    // folding changes its length.
    bool rowMatches(int row, const QString &text, const QString &folded) const;
    // The groups of `rows` (each group's rows in the order given).
    QVector<Group> groupsOf(const QVector<int> &rows) const;

    QVector<Entry> m_entries;
    QVector<Group> m_groups;
    QVector<int> m_groupOfRow;
    // Every case-folded name, one after another, each closed by a null character: one search
    // over it tests every name. m_starts holds where each row's name starts (and the end).
    // Names whose folding changes their length are left empty there and tested one by one.
    QString m_folded;
    QVector<int> m_starts;
    QVector<int> m_unfoldable;
    // The digits of every row's numbers, the numbers of a row separated by a space and each row
    // closed by a null character, so that a match lies within one number; m_digitStarts holds
    // where each row's part starts (and the end).
    QString m_digits;
    QVector<int> m_digitStarts;
    QString m_locale;
};
