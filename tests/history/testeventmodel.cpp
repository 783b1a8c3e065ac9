#include "testeventmodel.h"

using CommHistory::Event;

void TestEventModel::setEvents(const QVector<Event> &events)
{
    beginResetModel();
    m_events = events;
    endResetModel();
}

void TestEventModel::insertEvents(int row, const QVector<Event> &events)
{
    beginInsertRows(QModelIndex(), row, row + events.size() - 1);
    for (int i = 0; i < events.size(); ++i)
        m_events.insert(row + i, events.at(i));
    endInsertRows();
}

void TestEventModel::removeEvents(int row, int count)
{
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    m_events.remove(row, count);
    endRemoveRows();
}

void TestEventModel::replaceEvent(int row, const Event &event)
{
    m_events[row] = event;
    Q_EMIT dataChanged(index(row), index(row));
}

int TestEventModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_events.size();
}

QVariant TestEventModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_events.size())
        return QVariant();
    if (role == Qt::UserRole)
        return QVariant::fromValue(m_events.at(index.row()));
    if (role == Qt::DisplayRole)
        return m_events.at(index.row()).remoteUid();
    return QVariant();
}

Event TestEventModel::call(int id, const QDateTime &end, const QString &remote)
{
    Event e;
    e.setId(id);
    e.setType(Event::CallEvent);
    e.setDirection(Event::Inbound);
    e.setRemoteUid(remote);
    if (end.isValid()) {
        e.setStartTime(end.addSecs(-60));
        e.setEndTime(end);
    }
    return e;
}
