#pragma once

#include "contactfiltercache.h"
#include "mcommonlabelhighlighter.h"
#include "sortedcontactlist.h"

#include <QAbstractItemModel>
#include <QPointer>
#include <QVector>

// The rows of the contact picker: contacts sorted by name (locale-aware), grouped under the
// upper-case first letter of their names ("#" for names that do not start with a letter). The
// top-level rows are the groups (their DisplayRole is the letter), their children the contacts
// (DisplayRole the name, IdRole the local id). A filter text keeps only the contacts whose
// names contain it, without regard to case, or, for a text written as a number, one of whose
// numbers holds its digits; groups left empty are dropped. PictureRole is the local file of the
// contact's own picture (empty for none); MatchedNumberRole the number that matched the filter
// when the name did not (empty otherwise). highlighter() marks what matched in a label.
//
// The contacts come as a SortedContactList, sorted and grouped once and shared (setList() costs
// no sorting; without a filter it costs nothing per contact); setContacts() sorts them itself.
//
// Limits: every change (new contacts, a new filter) resets the model; the picker shows it
// through a list that makes only the visible cells and refills them, so a reset costs the
// filtering and the redrawing of the rows whose contacts changed. The last few filters' results
// are kept (ContactFilterCache): a filter typed on searches only the rows of the one before, a
// filter typed back or again is not searched.
class ContactPickerModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    enum Roles { IdRole = Qt::UserRole + 1, PictureRole, MatchedNumberRole };
    using Entry = SortedContactList::Entry;

    explicit ContactPickerModel(QObject *parent = nullptr);

    // Replaces the contacts (any order).
    void setContacts(const QVector<Entry> &contacts);
    // Shows `list` (not null).
    void setList(const QSharedPointer<const SortedContactList> &list);
    QSharedPointer<const SortedContactList> list() const { return m_list; }
    int contactCount() const { return m_list->entries().size(); }
    QString filter() const { return m_filter; }
    void setFilter(const QString &filter);
    // Marks the filter's matches in a name or number (null without a filter); replaced, and the
    // one before deleted later, with each new filter.
    MCommonLabelHighlighter *highlighter() const { return m_highlighter; }
    // The group letter of a name.
    static QString groupOf(const QString &name) { return SortedContactList::groupOf(name); }

    QModelIndex index(int row, int column,
                      const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    QSharedPointer<const SortedContactList> m_list;
    QVector<SortedContactList::Group> m_groups; // of m_list, filtered
    QString m_filter;
    ContactFilterCache m_results;
    QPointer<MCommonLabelHighlighter> m_highlighter;
};
