#pragma once

#include "detailentry.h"

#include <QAbstractListModel>
#include <QHash>
#include <QList>
#include <QVariant>

// The rows of the detail selector: one DetailEntry per row, as its property map under EntryRole
// (Qt::DisplayRole holds the row's address as text, as views expect), in the order they were
// added.
//
// The selector rebuilds its rows into a fresh model and merges that into the shown one
// (mergeFrom()), so that the list is never reset: rows found again keep their place and widget
// and are refreshed one by one, new rows are appended one at a time. Rows are never removed: an
// address that left the contact stays listed (without presence) while the dialog is open.
//
// Limits: a key that occurs twice in one merged model ends as one row holding the later entry;
// addItem() appends even a known key (the later row is the one that merges refresh).
class DetailSelectorModel : public QAbstractListModel
{
public:
    enum Roles { EntryRole = Qt::UserRole };

    explicit DetailSelectorModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // Appends one row.
    void addItem(const DetailEntry &entry);
    // Brings this model up to date with `other`: presence icons are cleared from every row,
    // then each row of `other` replaces the row with its key or is appended.
    void mergeFrom(const DetailSelectorModel &other);

    // The entry of a row (an empty entry outside the list).
    DetailEntry entry(int row) const;

private:
    void append(const QVariantMap &map, const QString &key);

    QList<QVariant> m_rows;
    QHash<QString, int> m_rowKeys;
};
