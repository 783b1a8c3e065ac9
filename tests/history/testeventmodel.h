#pragma once

#include "event.h"

#include <QAbstractListModel>
#include <QVector>

// A plain list of call events for the model tests: hands out each event under Qt::UserRole and
// its remote identifier under Qt::DisplayRole, and changes with the exact signals of a list.
class TestEventModel : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void setEvents(const QVector<CommHistory::Event> &events);
    void insertEvents(int row, const QVector<CommHistory::Event> &events);
    void removeEvents(int row, int count);
    void replaceEvent(int row, const CommHistory::Event &event);
    CommHistory::Event eventAt(int row) const { return m_events.at(row); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // A call with this id and remote party that ended at `end` (invalid: no end time).
    static CommHistory::Event call(int id, const QDateTime &end,
                                   const QString &remote = QStringLiteral("+358401234567"));

private:
    QVector<CommHistory::Event> m_events;
};
