#include "detailselectormodel.h"

#include <QSet>

#include <algorithm>

namespace {
const QString PresenceStateKey = QStringLiteral("presenceState");
}

DetailSelectorModel::DetailSelectorModel(QObject *parent) : QAbstractListModel(parent) {}

int DetailSelectorModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.size();
}

QVariant DetailSelectorModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.model() != this || index.row() < 0 ||
        index.row() >= m_rows.size())
        return QVariant();
    if (role == EntryRole)
        return m_rows.at(index.row());
    if (role == Qt::DisplayRole)
        return m_rows.at(index.row()).toMap().value(QStringLiteral("displayName")).toString();
    return QVariant();
}

DetailEntry DetailSelectorModel::entry(int row) const
{
    return DetailEntry::fromMap(data(index(row), EntryRole).toMap());
}

void DetailSelectorModel::append(const QVariantMap &map, const QString &key)
{
    const int row = m_rows.size();
    beginInsertRows(QModelIndex(), row, row);
    m_rows.append(map);
    m_rowKeys.insert(key, row);
    endInsertRows();
}

void DetailSelectorModel::addItem(const DetailEntry &entry)
{
    append(entry.toMap(), entry.rowKey());
}

void DetailSelectorModel::mergeFrom(const DetailSelectorModel &other)
{
    QSet<int> changed;
    for (int row = 0; row < m_rows.size(); ++row) {
        QVariantMap map = m_rows.at(row).toMap();
        if (map.value(PresenceStateKey).toString().isEmpty())
            continue;
        map.insert(PresenceStateKey, QString());
        m_rows[row] = map;
        changed.insert(row);
    }
    for (int i = 0; i < other.rowCount(); ++i) {
        const QVariantMap map = other.data(other.index(i), EntryRole).toMap();
        const QString key = DetailEntry::fromMap(map).rowKey();
        const auto known = m_rowKeys.constFind(key);
        if (known != m_rowKeys.constEnd()) {
            m_rows[known.value()] = map;
            changed.insert(known.value());
        } else {
            append(map, key);
        }
    }
    QList<int> rows = changed.values();
    std::sort(rows.begin(), rows.end());
    for (int row : rows)
        Q_EMIT dataChanged(index(row), index(row));
}
