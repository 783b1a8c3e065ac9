#pragma once

#include "contactsengine.h"

#include <QAbstractItemModel>
#include <QVector>

// The rows of the contact picker: contacts sorted by name (locale-aware), grouped under the
// upper-case first letter of their names ("#" for names that do not start with a letter). The
// top-level rows are the groups (their DisplayRole is the letter), their children the contacts
// (DisplayRole the name, IdRole the local id). A filter text keeps only the contacts whose
// names contain it, without regard to case; groups left empty are dropped.
//
// Limits: every change (new contacts, a new filter) resets the model; the picker shows it
// through a list that makes only the visible cells, so a reset costs the filtering alone.
class ContactPickerModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    enum Roles { IdRole = Qt::UserRole + 1 };
    struct Entry
    {
        QContactLocalId id;
        QString name;
    };

    explicit ContactPickerModel(QObject *parent = nullptr);

    // Replaces the contacts (any order).
    void setContacts(const QVector<Entry> &contacts);
    int contactCount() const { return m_all.size(); }
    QString filter() const { return m_filter; }
    void setFilter(const QString &filter);
    // The group letter of a name.
    static QString groupOf(const QString &name);

    QModelIndex index(int row, int column,
                      const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    struct Group
    {
        QString letter;
        QVector<int> rows; // indexes into m_all
    };
    void regroup();

    QVector<Entry> m_all;
    QVector<QString> m_groupOf; // group letter of each of m_all
    QVector<Group> m_groups;
    QString m_filter;
};
