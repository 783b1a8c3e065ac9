#include "mlist.h"

#include "mcellcreator.h"
#include "mlabel.h"
#include "mlistfilter.h"
#include "mlistitem.h"
#include "mpannableviewport.h"
#include "mtheme.h"

#include <QAbstractItemModel>
#include <QGraphicsSceneResizeEvent>
#include <QWidget>

namespace {
const qreal PreloadMargin = 1.0; // screens of rows made ahead above and below the view
}

MList::MList(QGraphicsItem *parent) : MWidgetController(parent)
{
    setStyleName(QStringLiteral("MList"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    setFlag(QGraphicsItem::ItemHasNoContents);
}

MList::~MList()
{
    delete m_creator;
}

void MList::setItemModel(QAbstractItemModel *model)
{
    if (m_model == model)
        return;
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    m_model = model;
    if (model) {
        auto structural = [this]() { scheduleRefresh(true); };
        connect(model, &QAbstractItemModel::rowsInserted, this, structural);
        connect(model, &QAbstractItemModel::rowsRemoved, this, structural);
        connect(model, &QAbstractItemModel::rowsMoved, this, structural);
        connect(model, &QAbstractItemModel::modelReset, this, structural);
        connect(model, &QAbstractItemModel::layoutChanged, this, structural);
        connect(model, &QAbstractItemModel::dataChanged, this, [this]() { scheduleRefresh(true); });
        connect(model, &QObject::destroyed, this, structural);
    }
    scheduleRefresh(true);
}

void MList::setCellCreator(MCellCreator *creator)
{
    if (creator == m_creator)
        return;
    // Cells of the old creator cannot be filled by the new one.
    for (MWidget *cell : qAsConst(m_cells))
        delete cell;
    m_cells.clear();
    m_keys.clear();
    delete m_creator;
    m_creator = creator;
    scheduleRefresh(true);
}

void MList::setShowGroups(bool show)
{
    if (show == m_showGroups)
        return;
    m_showGroups = show;
    scheduleRefresh(true);
}

MListFilter *MList::filtering()
{
    if (!m_filter)
        m_filter = new MListFilter(this);
    return m_filter;
}

void MList::scheduleRefresh(bool structure)
{
    if (structure)
        m_countsDirty = m_refillDirty = true;
    if (m_refreshPending)
        return;
    m_refreshPending = true;
    QMetaObject::invokeMethod(this, &MList::refresh, Qt::QueuedConnection);
}

void MList::flush()
{
    if (m_refreshPending)
        refresh();
}

void MList::setPreloading(bool preload)
{
    if (preload == m_preloading)
        return;
    m_preloading = preload;
    scheduleRefresh(false);
}

void MList::retranslateUi()
{
    m_refillDirty = true;
    scheduleRefresh(false);
}

void MList::refresh()
{
    m_refreshPending = false;
    if (m_countsDirty)
        countRows();
    resizeToContent();
    updateVisibleCells();
}

void MList::resizeToContent()
{
    // A change of filter often leaves the height as it was: the list area is laid out again
    // only when it is not.
    const qreal height = contentHeight();
    if (height == m_laidOutHeight && m_viewport == m_laidOutIn)
        return;
    m_laidOutHeight = height;
    m_laidOutIn = m_viewport;
    updateGeometry();
    if (m_viewport)
        m_viewport->updateWidgetGeometry();
}

void MList::countRows()
{
    m_countsDirty = false;
    m_counts.clear();
    if (!m_model)
        return;
    if (m_showGroups) {
        const int groups = m_model->rowCount();
        m_counts.reserve(groups);
        for (int g = 0; g < groups; ++g)
            m_counts.append(m_model->rowCount(m_model->index(g, 0)));
    } else {
        m_counts.append(m_model->rowCount());
    }
}

qreal MList::cellHeight() const
{
    const qreal h = m_creator ? m_creator->cellSize().height() : 0;
    return h > 0 ? h : 84;
}

qreal MList::headerHeight() const
{
    const int h = MTheme::instance()->style(QStringLiteral("CommonGroupHeader")).height;
    return h > 0 ? h : 40;
}

qreal MList::groupTop(int group) const
{
    const qreal header = m_showGroups ? headerHeight() : 0;
    const qreal cell = cellHeight();
    const int groups = qMin(group, m_counts.size());
    int rows = 0;
    for (int g = 0; g < groups; ++g)
        rows += m_counts.at(g);
    return groups * header + rows * cell;
}

qreal MList::contentHeight() const
{
    return groupTop(m_counts.size());
}

QSizeF MList::sizeHint(Qt::SizeHint which, const QSizeF &constraint) const
{
    if (which == Qt::MaximumSize)
        return QSizeF(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    const qreal w = constraint.width() > 0 ? constraint.width() : 480;
    return QSizeF(which == Qt::MinimumSize ? 0 : w, contentHeight());
}

QModelIndex MList::indexOf(int group, int row) const
{
    if (!m_model)
        return QModelIndex();
    if (!m_showGroups)
        return m_model->index(row, 0);
    const QModelIndex header = m_model->index(group, 0);
    return row < 0 ? header : m_model->index(row, 0, header);
}

void MList::findViewport()
{
    MPannableViewport *found = nullptr;
    for (QGraphicsItem *p = parentItem(); p && !found; p = p->parentItem())
        found = qobject_cast<MPannableViewport *>(p->toGraphicsObject());
    if (found == m_viewport)
        return;
    if (m_viewport)
        disconnect(m_viewport, nullptr, this, nullptr);
    m_viewport = found;
    if (found) {
        connect(found, &MPannableWidget::positionChanged, this, &MList::updateVisibleCells);
        connect(found, &MPannableViewport::viewportSizeChanged, this, &MList::updateVisibleCells);
        connect(found, &MPannableWidget::panningStarted, this, &MList::panningStarted);
        connect(found, &MPannableWidget::panningStopped, this, &MList::panningStopped);
    }
    if (m_filter)
        m_filter->setViewport(found);
}

QVariant MList::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemParentHasChanged || change == ItemSceneHasChanged)
        QMetaObject::invokeMethod(
            this, [this]() { findViewport(), scheduleRefresh(false); }, Qt::QueuedConnection);
    return MWidgetController::itemChange(change, value);
}

void MList::resizeEvent(QGraphicsSceneResizeEvent *event)
{
    MWidgetController::resizeEvent(event);
    if (event->oldSize().width() != event->newSize().width())
        m_refillDirty = true;
    updateVisibleCells();
}

void MList::updateVisibleCells()
{
    if (!m_model || !m_creator) {
        for (MWidget *cell : qAsConst(m_cells))
            delete cell;
        m_cells.clear();
        m_keys.clear();
        return;
    }
    // The list may get rows before the queued search for its viewport has run: without the
    // viewport it would make a cell for every row.
    if (!m_viewport)
        findViewport();
    QRectF view = rect();
    if (m_viewport)
        view = mapFromItem(m_viewport, m_viewport->rect()).boundingRect() & rect();
    const qreal margin = m_preloading ? qMax<qreal>(view.height(), 200) * PreloadMargin : 0;
    const qreal top = view.top() - margin, bottom = view.bottom() + margin;
    const qreal ch = cellHeight(), hh = m_showGroups ? headerHeight() : 0;
    const qreal w = size().width();
    // Rows counted from an old shape of the model would map cells to the wrong rows.
    if (m_countsDirty) {
        countRows();
        updateGeometry();
    }
    const bool refill = m_refillDirty;
    m_refillDirty = false;

    // First what should be shown, then give back what is not, then make or refill the rest:
    // a jump far down the list reuses the cells it leaves.
    struct Wanted
    {
        quint64 key;
        int group;
        int row;
        QRectF geometry;
    };
    QVector<Wanted> wanted;
    qreal y = 0;
    for (int g = 0; g < m_counts.size() && y < bottom; ++g) {
        const int n = m_counts.at(g);
        const qreal groupEnd = y + hh + n * ch;
        if (groupEnd >= top) {
            if (m_showGroups && y + hh >= top)
                wanted.append({key(g, -1), g, -1, QRectF(0, y, w, hh)});
            const int first = qMax(0, int((top - y - hh) / ch));
            const int last = qMin(n - 1, int((bottom - y - hh) / ch));
            for (int r = first; r <= last; ++r)
                wanted.append({key(g, r), g, r, QRectF(0, y + hh + r * ch, w, ch)});
        }
        y = groupEnd;
    }
    QHash<quint64, MWidget *> kept;
    for (const Wanted &it : qAsConst(wanted)) {
        if (MWidget *cell = m_cells.take(it.key))
            kept.insert(it.key, cell);
    }
    for (auto it = m_cells.begin(); it != m_cells.end(); ++it) {
        if (quint32(it.key()) == 0) {
            auto *header = static_cast<MLabel *>(it.value());
            header->hide();
            m_spareHeaders.append(header);
        } else {
            m_recycler.recycle(it.value());
        }
    }
    m_cells.clear();
    for (const Wanted &it : qAsConst(wanted)) {
        MWidget *cell = kept.value(it.key);
        const QModelIndex index = indexOf(it.group, it.row);
        if (it.row < 0) {
            auto *header = static_cast<MLabel *>(cell);
            if (!header) {
                header = m_spareHeaders.isEmpty() ? new MLabel : m_spareHeaders.takeLast();
                header->setStyleName(QStringLiteral("CommonGroupHeader"));
                header->setParentItem(this);
                header->show();
            }
            header->setText(m_model->data(index, Qt::DisplayRole).toString());
            cell = header;
        } else if (cell && refill) {
            m_creator->updateCell(index, cell);
        } else if (!cell) {
            cell = m_creator->createCell(index, m_recycler);
            if (!cell)
                continue;
            cell->setParentItem(this);
            cell->show();
            if (auto *item = qobject_cast<MListItem *>(cell))
                connect(item, &MListItem::clicked, this, &MList::onCellClicked,
                        Qt::UniqueConnection);
        }
        cell->setGeometry(it.geometry);
        m_cells.insert(it.key, cell);
    }
    m_keys.clear();
    for (auto it = m_cells.constBegin(); it != m_cells.constEnd(); ++it)
        m_keys.insert(it.value(), it.key());
}

QList<MWidget *> MList::visibleCells() const
{
    QList<MWidget *> cells;
    for (auto it = m_cells.constBegin(); it != m_cells.constEnd(); ++it) {
        if (quint32(it.key()) != 0)
            cells.append(it.value());
    }
    std::sort(cells.begin(), cells.end(),
              [](MWidget *a, MWidget *b) { return a->pos().y() < b->pos().y(); });
    return cells;
}

MWidget *MList::cellForIndex(const QModelIndex &index) const
{
    if (!index.isValid())
        return nullptr;
    const bool child = index.parent().isValid();
    if (m_showGroups)
        return m_cells.value(child ? key(index.parent().row(), index.row()) : key(index.row(), -1));
    return m_cells.value(key(0, index.row()));
}

QModelIndex MList::indexForCell(const MWidget *cell) const
{
    auto it = m_keys.constFind(cell);
    if (it == m_keys.constEnd())
        return QModelIndex();
    return indexOf(int(it.value() >> 32), int(quint32(it.value())) - 1);
}

void MList::onCellClicked()
{
    const QModelIndex index = indexForCell(qobject_cast<MWidget *>(sender()));
    if (index.isValid())
        Q_EMIT itemClicked(index);
}

void MList::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    flush();
    if (!m_viewport || !index.isValid())
        return;
    qreal y = 0;
    const bool child = index.parent().isValid();
    if (m_showGroups) {
        const int group = child ? index.parent().row() : index.row();
        y = groupTop(group) + (child ? headerHeight() + index.row() * cellHeight() : 0);
    } else {
        y = index.row() * cellHeight();
    }
    const qreal viewH = m_viewport->size().height();
    const qreal listTop = mapToItem(m_viewport->widget(), QPointF(0, 0)).y();
    qreal target = listTop + y;
    const qreal current = m_viewport->position().y();
    if (hint == PositionAtCenter)
        target -= (viewH - cellHeight()) / 2;
    else if (hint == EnsureVisible) {
        if (target >= current && target + cellHeight() <= current + viewH)
            return;
        if (target > current)
            target = target + cellHeight() - viewH;
    }
    m_viewport->stopPanning();
    m_viewport->setPosition(QPointF(m_viewport->position().x(), target));
}
