#pragma once

#include "callsearchkeys.h"
#include "event.h"
#include "mcommonlabelhighlighter.h"

#include <QPointer>
#include <QRegExp>
#include <QSortFilterProxyModel>

namespace CommHistory {
class EventModel;
}

// The search filter of the call history: sits on the shared call event model and lets only call
// events through; while the user searches, only the calls whose number (remote identifier) or
// whose single matched contact's name matches the typed text. A call matched to two or more
// contacts is found by its number only.
//
// Numbers match anywhere; when the text holds anything but digits and the usual number
// punctuation it is a name search and matches from the start of a word only. Case is ignored, a
// typed accented letter also matches its base letter, and typed marks are ignored.
//
// It owns the label highlighter of the current search and announces each change of it with
// filterChanged() (a null pointer when the search ends). A text that gives the same expression
// as the current one (such as an added trailing space) changes nothing.
//
// A change of search is a model reset of this model: one pass over the source, instead of a
// removal or insertion signal for every run of rows that the new text hides or shows. Beginning
// a search asks the source to load the whole history, so that older calls can be found too.
// The pass does not run the expression on every row: each row's search texts are kept from
// the first search on, the search's own matcher gives the expression's answer without running
// it, and a typed letter that extends the text tests only the rows that matched (see
// CallSearchKeys and CallSearchPattern).
//
// The source is normally a CommHistory::EventModel; any other model is read through the event
// that it hands out under Qt::UserRole.
class CallHistoryFilterProxyModel : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit CallHistoryFilterProxyModel(QAbstractItemModel *source, QObject *parent = nullptr);
    ~CallHistoryFilterProxyModel() override;

    void setSourceModel(QAbstractItemModel *source) override;
    void setFilterText(const QString &text);
    // Builds the row mapping anew for the rows the source holds now and forgets every row's
    // search keys (a search prepares them again). After the source let go of many rows (a page
    // reset), the mapping and the keys would otherwise keep room for all of them. A model
    // reset: for when the view is back at its top.
    void releaseUnusedMemory();

    // The highlighter of the current search, null while there is none.
    QPointer<MCommonLabelHighlighter> highlighter() const { return m_highlighter; }

    // The regular expression pattern that the search text stands for.
    static QString buildSearchPattern(const QString &text);

Q_SIGNALS:
    void filterChanged(QPointer<MCommonLabelHighlighter> highlighter);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    CommHistory::Event sourceEvent(int sourceRow, const QModelIndex &sourceParent) const;
    void applySearch(MCommonLabelHighlighter *highlighter, const CallSearchPattern &pattern);
    void followSource(QAbstractItemModel *source);

    QPointer<MCommonLabelHighlighter> m_highlighter;
    CallSearchPattern m_pattern;
    bool m_searching = false;
    CommHistory::EventModel *m_events = nullptr;
    // Filled while filtering, which Qt declares const.
    mutable CallSearchKeys m_keys;
    QList<QMetaObject::Connection> m_sourceConnections;
};

// For queued connections to filterChanged().
Q_DECLARE_METATYPE(QPointer<MCommonLabelHighlighter>)
