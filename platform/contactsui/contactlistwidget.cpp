#include "contactlistwidget.h"

#include "contactlistrow.h"
#include "mpannableviewport.h"

#include <QGraphicsLinearLayout>

ContactListWidget::ContactListWidget(QGraphicsItem *parent)
    : MWidget(parent), m_viewport(new MPannableViewport), m_content(new QGraphicsWidget),
      m_rows(new QGraphicsLinearLayout(Qt::Vertical, m_content))
{
    m_rows->setContentsMargins(0, 0, 0, 0);
    m_rows->setSpacing(0);
    auto *layout = new QGraphicsLinearLayout(Qt::Vertical, this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addItem(m_viewport);
    m_viewport->setWidget(m_content);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void ContactListWidget::setContacts(const QList<Entry> &contacts)
{
    for (ContactListRow *row : qAsConst(m_all)) {
        m_rows->removeItem(row);
        delete row;
    }
    m_all.clear();
    for (const Entry &e : contacts) {
        auto *row = new ContactListRow(e.first, e.second, m_content);
        const QContactLocalId id = e.first;
        connect(
            row, &MListItem::clicked, this, [this, id]() { Q_EMIT contactPicked(id); },
            Qt::QueuedConnection);
        m_all << row;
    }
    setFilter(m_filter);
}

void ContactListWidget::setFilter(const QString &filter)
{
    m_filter = filter;
    while (m_rows->count())
        m_rows->removeAt(0);
    for (ContactListRow *row : qAsConst(m_all)) {
        const bool shown = row->name().contains(filter.trimmed(), Qt::CaseInsensitive);
        row->setVisible(shown);
        if (shown)
            m_rows->addItem(row);
    }
    m_viewport->updateWidgetGeometry();
}

QList<ContactListRow *> ContactListWidget::visibleRows() const
{
    QList<ContactListRow *> rows;
    for (int i = 0; i < m_rows->count(); ++i)
        rows << static_cast<ContactListRow *>(m_rows->itemAt(i));
    return rows;
}
