#include "contactmergepicker.h"

#include "contactdetailtext.h"
#include "contactlistwidget.h"
#include "contactsaddressbook.h"
#include "mlabel.h"
#include "mstylablewidget.h"
#include "mtextedit.h"

#include <QtContacts/QContactFetchRequest>

#include <QGraphicsLinearLayout>

using namespace QtContacts;

ContactMergePicker::ContactMergePicker(const QContact &details, QGraphicsItem *parent)
    : ContactSavingSheet(qtTrId("qtn_cont_choose_contact"), parent), m_details(details),
      m_filter(new MTextEdit), m_list(new ContactListWidget)
{
    m_filter->setStyleName(QStringLiteral("ContactsFilterField"));
    m_filter->setPrompt(qtTrId("qtn_comm_search"));
    auto *filterPanel = new MStylableWidget;
    filterPanel->setStyleName(QStringLiteral("ContactsFilterPanel"));
    auto *filterLayout = new QGraphicsLinearLayout(Qt::Horizontal, filterPanel);
    filterLayout->setContentsMargins(16, 10, 16, 10);
    filterLayout->addItem(m_filter);
    bodyLayout()->addItem(filterPanel);
    bodyLayout()->addItem(notice());
    bodyLayout()->addItem(m_list);
    bodyLayout()->setStretchFactor(m_list, 1);
    connect(m_filter, &MTextEdit::textChanged, this,
            [this]() { m_list->setFilter(m_filter->text()); });
    connect(m_list, &ContactListWidget::contactPicked, this, &ContactMergePicker::mergeInto);

    auto *fetch = new QContactFetchRequest(this);
    fetch->setManager(ContactsAddressBook::manager());
    m_fetch = fetch;
    connect(fetch, &QContactFetchRequest::stateChanged, this,
            &ContactMergePicker::onFetchStateChanged);
    fetch->start();
}

void ContactMergePicker::onFetchStateChanged()
{
    if (!m_fetch || !m_fetch->isFinished())
        return;
    QList<ContactListWidget::Entry> entries;
    for (const QContact &c : m_fetch->contacts()) {
        const QContactLocalId id = ContactsEngine::toLocalId(c.id());
        const QString label = ContactsEngine::synthesizedContactDisplayLabel(c);
        if (!id)
            continue;
        m_contacts.insert(id, c);
        entries << qMakePair(id, label);
    }
    m_fetch->deleteLater();
    std::sort(entries.begin(), entries.end(),
              [](const ContactListWidget::Entry &a, const ContactListWidget::Entry &b) {
                  return QString::localeAwareCompare(a.second, b.second) < 0;
              });
    m_list->setContacts(entries);
    m_loaded = true;
    Q_EMIT loaded();
}

QContact ContactMergePicker::merged(const QContact &target, const QContact &details)
{
    QContact result = target;
    for (QContactDetail d : details.details()) {
        if (!ContactDetailText::isAddress(d))
            continue;
        bool present = false;
        for (const QContactDetail &own : target.details(d.type()))
            present = present || ContactDetailText::value(own) == ContactDetailText::value(d);
        if (!present)
            result.saveDetail(&d);
    }
    return result;
}

bool ContactMergePicker::mergeInto(QContactLocalId id)
{
    if (isSaving() || !m_contacts.contains(id))
        return false;
    return startSave(merged(m_contacts.value(id), m_details));
}
