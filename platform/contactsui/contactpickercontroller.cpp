#include "contactpickercontroller.h"

#include "contactpickerlist.h"
#include "contactsaddressbook.h"
#include "mapplicationpage.h"
#include "mlabel.h"
#include "mstylablewidget.h"

#include <QtContacts/QContactFetchRequest>
#include <QtContacts/QContactIdFilter>
#include <QtContacts/QContactManager>

#include <QGraphicsLinearLayout>

using namespace QtContacts;

ContactPickerController::ContactPickerController(QContactManager *manager, QObject *parent)
    : QObject(parent), m_manager(manager ? manager : ContactsAddressBook::manager()),
      m_page(new MApplicationPage), m_title(new MLabel), m_list(new ContactPickerList(m_manager))
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
    layout->addItem(m_list);
    layout->setStretchFactor(m_list, 1);

    connect(m_list, &ContactPickerList::contactTapped, this, &ContactPickerController::pick);
    connect(m_list, &ContactPickerList::loaded, this, &ContactPickerController::loaded);
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
    return m_list->filter();
}

void ContactPickerController::setFilter(const QString &text)
{
    m_list->setFilter(text);
}

void ContactPickerController::scrollToTop()
{
    m_list->scrollToTop();
}

ContactPickerModel *ContactPickerController::model() const
{
    return m_list->model();
}

MList *ContactPickerController::list() const
{
    return m_list->list();
}

MTextEdit *ContactPickerController::filterEdit() const
{
    return m_list->filterEdit();
}

bool ContactPickerController::isLoaded() const
{
    return m_list->isLoaded();
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
