#pragma once

#include "mabstractitemmodel.h"

#include <QDateTime>
#include <QList>
#include <QPersistentModelIndex>
#include <QVector>
#include <functional>

class CallHistoryLocale;
class QAbstractProxyModel;

namespace CommHistory {
class EventModel;
}

// The model that the call history list shows: the flat, newest-first list of call events of its
// source (the search filter model) as a two-level tree. Top-level rows are day headers (today,
// yesterday, the earlier weekdays of the current week, last week, older), each with the calls
// that ended in that period as children. It keeps no copy of the events, only how many
// consecutive source rows each header covers, and maps a child to its source row by adding up
// those counts.
//
// A call belongs to the newest group whose start (a local midnight) it did not end before; an
// end time exactly at a boundary belongs to the newer group, an end time in the future to today.
// A call without an end time joins the group of the call above it (today at the top), so that
// every source row is counted and each header keeps covering consecutive rows. The source must
// list its calls newest first; a call out of that order joins the group of its neighbours rather
// than breaking the mapping. Over the event model, whose order is kept, a full count looks up
// where each group ends (a binary search per group) instead of reading every row.
//
// Insertions and removals adjust the counts without a recount. A removal within one group is
// announced as a row removal of that group (animated when it is one that removeEvent() asked
// for), followed by the removal of the header when it became empty; other changes are layout
// changes that carry the persistent indexes over. The groups are rebuilt when the day breaks and
// when the locale or clock settings change (CallHistoryLocale), recounting every row.
//
// Header rows answer every role with their title, except Qt::SizeHintRole, whose value must be
// a size.
class CallHistoryGroupedModel : public MAbstractItemModel
{
    Q_OBJECT
public:
    // One possible day group: the calls that ended at or after the boundary (older: before it).
    struct HeaderDefinition
    {
        QDateTime boundary; // local midnight
        bool older = false;
        QString title;
        qint64 boundarySecs = 0; // the boundary in seconds since the epoch

        bool contains(qint64 endSecs) const
        {
            return older ? endSecs < boundarySecs : endSecs >= boundarySecs;
        }
        bool isSameGroup(const HeaderDefinition &other) const
        {
            return boundarySecs == other.boundarySecs && older == other.older;
        }
    };

    // A header row shown: a group and the number of consecutive source rows under it.
    struct GroupHeader : HeaderDefinition
    {
        int count = 0;
    };

    // Groups `source` with the application's locale service.
    explicit CallHistoryGroupedModel(QAbstractItemModel *source, QObject *parent = nullptr);
    // Groups `source` by the date, calendar and titles of `locale`.
    CallHistoryGroupedModel(CallHistoryLocale *locale, QAbstractItemModel *source,
                            QObject *parent = nullptr);
    ~CallHistoryGroupedModel() override;

    QModelIndex index(int row, int column,
                      const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    int groupCount() const override;
    int rowCountInGroup(int group) const override;
    QString groupTitle(int group) const override;
    QVariant itemData(int row, int group, int role = Qt::DisplayRole) const override;

    QModelIndex mapToSource(const QModelIndex &index) const;
    QModelIndex mapFromSource(const QModelIndex &sourceIndex) const;

    // Deletes the event from the history store (through the event model at the bottom of the
    // source chain) and drops its cached row. The row disappears, animated, when the event model
    // removes it; if the store refuses, the row stays.
    void removeEvent(int eventId);

public Q_SLOTS:
    void rebuildHeaders();
    void resetHeaders();
    void onModelReset();
    void onRowsInserted(const QModelIndex &parent, int first, int last);
    void onRowsDeleted(const QModelIndex &parent, int first, int last);
    void onDataChanged(const QModelIndex &first, const QModelIndex &last);

private Q_SLOTS:
    void onModelAboutToBeReset();
    void onRowsAboutToBeDeleted(const QModelIndex &parent, int first, int last);
    void onLayoutAboutToBeChanged();

private:
    // What a persistent index pointed at before a layout change.
    struct SavedIndex
    {
        bool header = false;
        GroupHeader group;            // header: the group it showed
        int sourceRow = -1;           // child: its source row
        QPersistentModelIndex source; // child, in a layout change of the source
        int column = 0;
    };

    void buildHeaderDefinitions();
    void appendDefinition(const QDate &day, bool older, const QString &title);
    int definitionFor(qint64 endSecs) const;
    int headerIndexFor(qint64 endSecs, int current, int *next);
    int todayHeaderAtTop(int *next);
    int insertHeader(int position, const HeaderDefinition &definition, int *next);
    void addSourceRows(int first, int end);
    void countOrderedRows(int rows);
    void populateHeaders();
    void clearHeaders();

    qint64 endTimeOf(int sourceRow) const;
    int headerStart(int header) const;
    int headerOfSourceRow(int sourceRow, int *start = nullptr) const;
    int headerPosition(const QModelIndex &child) const;
    QModelIndex indexOfSourceRow(int sourceRow, int column) const;
    CommHistory::EventModel *eventModel() const;

    void beginLayoutChange(bool throughSource);
    void endLayoutChange(const std::function<int(int)> &newSourceRow);

    void findEventModel();

    QAbstractItemModel *m_source;
    // The event model under the source, when rows can be read from it directly (the source is
    // the search filter, whose data is the event model's, or the event model itself).
    QAbstractProxyModel *m_filter = nullptr;
    CommHistory::EventModel *m_events = nullptr;
    CallHistoryLocale *m_locale;
    QVector<HeaderDefinition> m_definitions;
    QList<GroupHeader *> m_headers;

    QModelIndexList m_savedIndexes;
    QVector<SavedIndex> m_saved;
    bool m_sourceLayoutChanging = false;
    bool m_resetting = false;
    // The header whose rows are being removed, announced before the source removes them.
    int m_removingFrom = -1;
    bool m_animatedRemoval = false;
};
