#include "contactpickercontroller.h"

#include "contactnameindex.h"
#include "contactpickercellcreator.h"
#include "contactpickermodel.h"
#include "contactsaddressbook.h"
#include "mapplicationpage.h"
#include "mlabel.h"
#include "mlist.h"
#include "mpannableviewport.h"
#include "mstylablewidget.h"
#include "mtextedit.h"

#include <QtContacts/QContactFetchRequest>
#include <QtContacts/QContactIdFilter>
#include <QtContacts/QContactManager>

#include <QGraphicsLinearLayout>

using namespace QtContacts;

ContactPickerController::ContactPickerController(QContactManager *manager, QObject *parent)
    : QObject(parent), m_manager(manager ? manager : ContactsAddressBook::manager()),
      m_page(new MApplicationPage), m_title(new MLabel), m_filterEdit(new MTextEdit),
      m_list(new MList), m_model(new ContactPickerModel(this)),
      m_index(ContactNameIndex::of(m_manager))
{
    m_page->setPannable(false);
    QGraphicsWidget *central = m_page->centralWidget();
    auto *layout = new QGraphicsLinearLayout(Qt::Vertical, central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *header = new MStylableWidget;
    header->setStyleName(QStringLiteral("CommonHeaderPanel"));
    auto *headerLayout = new QGraphicsLinearLayout(Qt::Horizontal, header);
    headerLayout->setContentsMargins(0, 0, 0, 0);
    m_title->setStyleName(QStringLiteral("CommonHeaderInverted"));
    m_title->setTextFormat(Qt::PlainText);
    m_title->setAlignment(Qt::AlignLeading | Qt::AlignVCenter);
    m_title->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    headerLayout->addItem(m_title);
    layout->addItem(header);

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

    m_list->setShowGroups(true);
    m_list->setCellCreator(new ContactPickerCellCreator);
    m_list->setItemModel(m_model);
    // The tap has finished before the contact is read.
    connect(m_list, &MList::itemClicked, this, &ContactPickerController::onItemClicked,
            Qt::QueuedConnection);
    connect(m_filterEdit, &MTextEdit::textChanged, this, &ContactPickerController::onFilterEdited);
    // The page's texts follow a change of language.
    connect(m_page, &MApplicationPage::languageChanged, this,
            [this]() { m_filterEdit->setPrompt(qtTrId("qtn_comm_search")); });

    connect(m_index, &ContactNameIndex::updated, this, &ContactPickerController::onIndexUpdated);
    if (m_index->isReady())
        onIndexUpdated();
}

ContactPickerController::~ContactPickerController()
{
    delete m_page;
}

QString ContactPickerController::title() const
{
    return m_title->text();
}

void ContactPickerController::setTitle(const QString &title)
{
    m_title->setText(title);
}

QString ContactPickerController::filter() const
{
    return m_model->filter();
}

void ContactPickerController::setFilter(const QString &text)
{
    if (m_filterEdit->text() != text)
        m_filterEdit->setText(text);
    m_model->setFilter(text);
}

void ContactPickerController::onFilterEdited()
{
    m_model->setFilter(m_filterEdit->text());
}

void ContactPickerController::scrollToTop()
{
    if (m_model->rowCount() > 0)
        m_list->scrollTo(m_model->index(0, 0), MList::PositionAtTop);
}

void ContactPickerController::onIndexUpdated()
{
    m_model->setList(m_index->list());
    m_loaded = true;
    Q_EMIT loaded();
}

void ContactPickerController::onItemClicked(const QModelIndex &index)
{
    if (index.isValid() && index.parent().isValid())
        pick(index.data(ContactPickerModel::IdRole).toUInt());
}

void ContactPickerController::pick(QContactLocalId id)
{
    if (!id || m_pick)
        return;
    auto *request = new QContactFetchRequest(this);
    request->setManager(m_manager);
    QContactIdFilter filter;
    filter.setIds({ContactsEngine::toContactId(id)});
    request->setFilter(filter);
    m_pick = request;
    connect(request, &QContactFetchRequest::stateChanged, this,
            &ContactPickerController::onPickStateChanged);
    if (!request->start())
        request->deleteLater();
}

void ContactPickerController::onPickStateChanged()
{
    if (!m_pick || !m_pick->isFinished())
        return;
    QContactFetchRequest *request = m_pick;
    m_pick.clear();
    request->deleteLater();
    const QList<QContact> found = request->contacts();
    if (!found.isEmpty())
        Q_EMIT contactPicked(found.first());
}
