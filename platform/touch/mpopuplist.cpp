#include "mpopuplist.h"

#include "mbutton.h"

#include <QAbstractItemModel>
#include <QGraphicsLinearLayout>

MPopupList::MPopupList(QGraphicsItem *parent) : MDialog(parent)
{
    auto *body = new QGraphicsWidget;
    auto *layout = new QGraphicsLinearLayout(Qt::Vertical, body);
    layout->setContentsMargins(0, 0, 0, 12);
    layout->setSpacing(0);
    setCentralWidget(body);
}

void MPopupList::setItemModel(QAbstractItemModel *model)
{
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    m_model = model;
    if (model) {
        connect(model, &QAbstractItemModel::modelReset, this, &MPopupList::rebuild);
        connect(model, &QAbstractItemModel::rowsInserted, this, &MPopupList::rebuild);
        connect(model, &QAbstractItemModel::rowsRemoved, this, &MPopupList::rebuild);
        connect(model, &QAbstractItemModel::dataChanged, this, &MPopupList::rebuild);
    }
    rebuild();
}

void MPopupList::setCurrentIndex(const QModelIndex &index)
{
    if (index == m_current)
        return;
    m_current = index;
    for (int i = 0; i < m_entries.size(); ++i)
        m_entries.at(i)->setChecked(i == m_current.row());
    Q_EMIT currentIndexChanged(index);
}

void MPopupList::rebuild()
{
    auto *layout = static_cast<QGraphicsLinearLayout *>(centralWidget()->layout());
    qDeleteAll(m_entries);
    m_entries.clear();
    const int rows = m_model ? m_model->rowCount() : 0;
    for (int row = 0; row < rows; ++row) {
        auto *entry = new MButton(m_model->index(row, 0).data().toString());
        entry->setStyleName(QStringLiteral("MPopupListEntry"));
        entry->setCheckable(true);
        entry->setChecked(row == m_current.row());
        layout->addItem(entry);
        m_entries.append(entry);
        connect(
            entry, &MButton::clicked, this, [this, row]() { click(row); }, Qt::QueuedConnection);
    }
}

void MPopupList::click(int row)
{
    if (!m_model || row < 0 || row >= m_model->rowCount())
        return;
    const QModelIndex index = m_model->index(row, 0);
    setCurrentIndex(index);
    Q_EMIT clicked(index);
    accept();
}
