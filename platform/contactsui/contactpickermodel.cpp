#include "contactpickermodel.h"

#include "mcommonlabelhighlighter.h"

ContactPickerModel::ContactPickerModel(QObject *parent)
    : QAbstractItemModel(parent), m_list(SortedContactList::build({}))
{
}

void ContactPickerModel::setContacts(const QVector<Entry> &contacts)
{
    setList(SortedContactList::build(contacts));
}

void ContactPickerModel::setList(const QSharedPointer<const SortedContactList> &list)
{
    if (!list)
        return;
    beginResetModel();
    m_list = list;
    m_groups = m_results.filtered(m_list, m_filter);
    endResetModel();
}

void ContactPickerModel::setFilter(const QString &filter)
{
    if (filter == m_filter)
        return;
    beginResetModel();
    m_filter = filter;
    m_groups = m_results.filtered(m_list, m_filter);
    if (m_highlighter)
        m_highlighter->deleteLater();
    const QString needle = filter.trimmed();
    if (!needle.isEmpty()) {
        // The text as typed in a name; in a number, its digits with anything between them.
        QString pattern = QRegExp::escape(needle);
        const QString digits = SortedContactList::numberDigits(needle);
        if (!digits.isEmpty()) {
            QStringList each;
            for (const QChar d : digits)
                each << QString(d);
            pattern += QStringLiteral("|") + each.join(QStringLiteral("\\D*"));
        }
        m_highlighter = new MCommonLabelHighlighter(QRegExp(pattern, Qt::CaseInsensitive), this);
    }
    endResetModel();
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
    const SortedContactList::Group &group = m_groups.at(int(index.internalId() - 1));
    const Entry &entry = m_list->entries().at(group.rows.at(index.row()));
    if (role == Qt::DisplayRole)
        return entry.name;
    if (role == IdRole)
        return entry.id;
    if (role == PictureRole)
        return entry.picture;
    if (role == MatchedNumberRole)
        return m_list->matchedNumber(group.rows.at(index.row()), m_filter);
    return QVariant();
}
