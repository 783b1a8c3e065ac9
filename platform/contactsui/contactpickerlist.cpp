#include "contactpickerlist.h"

#include "contactnameindex.h"
#include "contactpickercellcreator.h"
#include "contactpickermodel.h"
#include "mlist.h"
#include "mpannableviewport.h"
#include "mstylablewidget.h"
#include "mtextedit.h"

#include <QGraphicsLinearLayout>

using namespace QtContacts;

ContactPickerList::ContactPickerList(QContactManager *manager, QGraphicsItem *parent)
    : MWidget(parent), m_filterEdit(new MTextEdit), m_list(new MList),
      m_model(new ContactPickerModel(this)), m_index(ContactNameIndex::of(manager))
{
    auto *layout = new QGraphicsLinearLayout(Qt::Vertical, this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *filterPanel = new MStylableWidget;
    filterPanel->setStyleName(QStringLiteral("ContactsFilterPanel"));
    auto *filterLayout = new QGraphicsLinearLayout(Qt::Horizontal, filterPanel);
    filterLayout->setContentsMargins(16, 10, 16, 10);
    m_filterEdit->setStyleName(QStringLiteral("ContactsFilterField"));
    m_filterEdit->setPrompt(qtTrId("qtn_comm_search"));
    filterLayout->addItem(m_filterEdit);
    layout->addItem(filterPanel);

    auto *viewport = new MPannableViewport;
    viewport->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::MinimumExpanding);
    auto *listArea = new QGraphicsWidget;
    auto *listLayout = new QGraphicsLinearLayout(Qt::Vertical, listArea);
    listLayout->setContentsMargins(0, 0, 0, 0);
    // The list finds its viewport when it gets its parent: the viewport comes first.
    viewport->setWidget(listArea);
    listLayout->addItem(m_list);
    layout->addItem(viewport);
    layout->setStretchFactor(viewport, 1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    m_list->setShowGroups(true);
    m_list->setCellCreator(new ContactPickerCellCreator);
    m_list->setItemModel(m_model);
    // The id is read while the index is valid; the receiver acts once the tap has finished.
    connect(m_list, &MList::itemClicked, this, [this](const QModelIndex &index) {
        if (!index.isValid() || !index.parent().isValid())
            return;
        const QContactLocalId id = index.data(ContactPickerModel::IdRole).toUInt();
        QMetaObject::invokeMethod(
            this, [this, id]() { Q_EMIT contactTapped(id); }, Qt::QueuedConnection);
    });
    connect(m_filterEdit, &MTextEdit::textChanged, this,
            [this]() { m_model->setFilter(m_filterEdit->text()); });

    if (m_index) {
        connect(m_index, &ContactNameIndex::updated, this, &ContactPickerList::onIndexUpdated);
        if (m_index->isReady())
            onIndexUpdated();
    }
}

QString ContactPickerList::filter() const
{
    return m_model->filter();
}

void ContactPickerList::setFilter(const QString &text)
{
    if (m_filterEdit->text() != text)
        m_filterEdit->setText(text);
    m_model->setFilter(text);
}

void ContactPickerList::scrollToTop()
{
    if (m_model->rowCount() > 0)
        m_list->scrollTo(m_model->index(0, 0), MList::PositionAtTop);
}

void ContactPickerList::retranslateUi()
{
    m_filterEdit->setPrompt(qtTrId("qtn_comm_search"));
}

void ContactPickerList::onIndexUpdated()
{
    m_model->setList(m_index->list());
    m_loaded = true;
    Q_EMIT loaded();
}
