#include "contactpickermodel.h"

#include <QCollator>

#include <algorithm>

ContactPickerModel::ContactPickerModel(QObject *parent) : QAbstractItemModel(parent) {}

QString ContactPickerModel::groupOf(const QString &name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return QStringLiteral("#");
    // A letter outside the basic plane takes two code units.
    const int length = trimmed.at(0).isHighSurrogate() && trimmed.size() > 1 ? 2 : 1;
    const QString first = trimmed.left(length);
    const uint code = first.toUcs4().value(0);
    if (!QChar::isLetter(code))
        return QStringLiteral("#");
    // Accented letters go under their base letter.
    const QString base = first.normalized(QString::NormalizationForm_D).left(length);
    return base.toUpper();
}

void ContactPickerModel::setContacts(const QVector<Entry> &contacts)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // "Flat 9" before "Flat 10".
    collator.setNumericMode(true);
    // Sort keys are made once per name: comparing them is much cheaper than comparing names.
    struct Keyed
    {
        Entry entry;
        QString group;
        QCollatorSortKey key;
    };
    QVector<Keyed> sorted;
    sorted.reserve(contacts.size());
    for (const Entry &e : contacts)
        sorted.append({e, groupOf(e.name), collator.sortKey(e.name)});
    // Names that start with a letter first, the "#" group last.
    const QString other = QStringLiteral("#");
    std::stable_sort(sorted.begin(), sorted.end(), [&other](const Keyed &a, const Keyed &b) {
        const bool aOther = a.group == other, bOther = b.group == other;
        if (aOther != bOther)
            return bOther;
        return a.key.compare(b.key) < 0;
    });
    beginResetModel();
    m_all.clear();
    m_groupOf.clear();
    m_all.reserve(sorted.size());
    m_groupOf.reserve(sorted.size());
    for (const Keyed &k : qAsConst(sorted)) {
        m_all.append(k.entry);
        m_groupOf.append(k.group);
    }
    regroup();
    endResetModel();
}

void ContactPickerModel::setFilter(const QString &filter)
{
    if (filter == m_filter)
        return;
    beginResetModel();
    m_filter = filter;
    regroup();
    endResetModel();
}

void ContactPickerModel::regroup()
{
    m_groups.clear();
    const QString needle = m_filter.trimmed();
    for (int i = 0; i < m_all.size(); ++i) {
        if (!needle.isEmpty() && !m_all.at(i).name.contains(needle, Qt::CaseInsensitive))
            continue;
        // Sorted names keep each letter's names together (the collator may still place a base
        // letter's accented names after the next letter's: they join their group).
        int g = m_groups.size() - 1;
        if (g < 0 || m_groups.at(g).letter != m_groupOf.at(i)) {
            g = -1;
            for (int k = 0; k < m_groups.size() && g < 0; ++k)
                if (m_groups.at(k).letter == m_groupOf.at(i))
                    g = k;
            if (g < 0) {
                m_groups.append(Group{m_groupOf.at(i), {}});
                g = m_groups.size() - 1;
            }
        }
        m_groups[g].rows.append(i);
    }
}

QModelIndex ContactPickerModel::index(int row, int column, const QModelIndex &parent) const
{
    if (row < 0 || column != 0)
        return QModelIndex();
    if (!parent.isValid())
        return row < m_groups.size() ? createIndex(row, 0, quintptr(0)) : QModelIndex();
    if (parent.internalId() != 0 || parent.row() >= m_groups.size() ||
        row >= m_groups.at(parent.row()).rows.size())
        return QModelIndex();
    return createIndex(row, 0, quintptr(parent.row() + 1));
}

QModelIndex ContactPickerModel::parent(const QModelIndex &child) const
{
    if (!child.isValid() || child.internalId() == 0)
        return QModelIndex();
    return createIndex(int(child.internalId() - 1), 0, quintptr(0));
}

int ContactPickerModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return m_groups.size();
    if (parent.internalId() != 0 || parent.column() != 0)
        return 0;
    return m_groups.at(parent.row()).rows.size();
}

int ContactPickerModel::columnCount(const QModelIndex &) const
{
    return 1;
}

QVariant ContactPickerModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (index.internalId() == 0)
        return role == Qt::DisplayRole ? QVariant(m_groups.at(index.row()).letter) : QVariant();
    const Group &group = m_groups.at(int(index.internalId() - 1));
    const Entry &entry = m_all.at(group.rows.at(index.row()));
    if (role == Qt::DisplayRole)
        return entry.name;
    if (role == IdRole)
        return entry.id;
    return QVariant();
}
