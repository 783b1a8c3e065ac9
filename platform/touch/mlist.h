#pragma once

#include "mpannableviewport.h"
#include "mwidgetcontroller.h"
#include "mwidgetrecycler.h"

#include <QHash>
#include <QPersistentModelIndex>
#include <QPointer>

class MCellCreator;
class MLabel;
class MListFilter;
class QAbstractItemModel;

// A list of model rows for a pannable viewport. It is as tall as all its rows, but makes cells
// (through its cell creator, recycling those that scrolled away) only for the rows in and near
// the viewport's view, so it stays light at any row count. With groups shown, top-level rows
// of the model are group titles (style "CommonGroupHeader") and their children the items.
// Model changes are gathered and applied on the next turn of the event loop.
class MList : public MWidgetController
{
    Q_OBJECT
public:
    enum ScrollHint { EnsureVisible, PositionAtTop, PositionAtCenter };

    explicit MList(QGraphicsItem *parent = nullptr);
    ~MList() override;

    QAbstractItemModel *itemModel() const { return m_model; }
    void setItemModel(QAbstractItemModel *model);
    // The list owns its cell creator.
    void setCellCreator(MCellCreator *creator);
    MCellCreator *cellCreator() const { return m_creator; }
    bool showGroups() const { return m_showGroups; }
    void setShowGroups(bool show);
    MListFilter *filtering();
    MPannableViewport *viewport() const { return m_viewport; }

    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible);
    // Cells now made, by index, and the other way round (tests, taps).
    QList<MWidget *> visibleCells() const;
    MWidget *cellForIndex(const QModelIndex &index) const;
    QModelIndex indexForCell(const MWidget *cell) const;
    MWidgetRecycler &recycler() { return m_recycler; }
    // Applies pending model changes now instead of on the next turn of the event loop.
    void flush();
    // Whether cells are also made ahead for the rows a screen above and below the view (the
    // default), so that panning finds them ready. A start-up may hold this back until its first
    // frame is on screen: that frame shows only the rows in view.
    void setPreloading(bool preload);
    bool isPreloading() const { return m_preloading; }

Q_SIGNALS:
    void itemClicked(const QModelIndex &index);
    void panningStarted();
    void panningStopped();

protected:
    QSizeF sizeHint(Qt::SizeHint which, const QSizeF &constraint = QSizeF()) const override;
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;
    void resizeEvent(QGraphicsSceneResizeEvent *event) override;
    // Cells show translated texts: fill them all again.
    void retranslateUi() override;

private:
    struct Slot
    {
        int group;
        int row; // -1: the group's title
    };
    static quint64 key(int group, int row)
    {
        return (quint64(quint32(group)) << 32) | quint32(row + 1);
    }

    void scheduleRefresh(bool structure);
    void refresh();
    void countRows();
    // Gives the list the height of its rows (and its viewport's content the new size).
    void resizeToContent();
    void updateVisibleCells();
    void findViewport();
    QModelIndex indexOf(int group, int row) const;
    qreal groupTop(int group) const;
    qreal contentHeight() const;
    qreal cellHeight() const;
    qreal headerHeight() const;
    void onCellClicked();

    QPointer<QAbstractItemModel> m_model;
    MCellCreator *m_creator = nullptr;
    bool m_showGroups = false;
    MListFilter *m_filter = nullptr;
    QPointer<MPannableViewport> m_viewport;
    MWidgetRecycler m_recycler;
    QList<MLabel *> m_spareHeaders;
    QHash<quint64, MWidget *> m_cells;
    QHash<const MWidget *, quint64> m_keys;
    QVector<int> m_counts; // rows per group (one entry without groups)
    bool m_refreshPending = false;
    bool m_preloading = true;
    bool m_countsDirty = true;  // the model changed shape: count its rows again
    bool m_refillDirty = true;  // cells may show other rows now: fill them again
    qreal m_laidOutHeight = -1; // the height the list last asked its layout for
    QPointer<MPannableViewport> m_laidOutIn;
};
