#pragma once

#include <QAbstractItemModel>

// An item model a list can show in groups: top-level rows are group titles, their children the
// items. Besides the item model operations it answers four grouped queries the list uses, and
// lets a removal ask the list to animate it.
class MAbstractItemModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    explicit MAbstractItemModel(QObject *parent = nullptr);

    bool isGrouped() const { return m_grouped; }
    void setGrouped(bool grouped) { m_grouped = grouped; }

    virtual int groupCount() const = 0;
    // Rows in group; group -1 means all rows of the model's data.
    virtual int rowCountInGroup(int group) const = 0;
    virtual QString groupTitle(int group) const = 0;
    virtual QVariant itemData(int row, int group, int role = Qt::DisplayRole) const = 0;

    // Whether the removal in progress was asked to be animated.
    bool isAnimatedRemoval() const { return m_animated; }

protected:
    using QAbstractItemModel::beginRemoveRows;
    void beginRemoveRows(const QModelIndex &parent, int first, int last, bool animated);
    void endRemoveRows();

private:
    bool m_grouped = true;
    bool m_animated = false;
};
