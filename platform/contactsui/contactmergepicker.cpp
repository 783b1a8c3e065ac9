#include "contactmergepicker.h"

#include "contactdetailtext.h"
#include "contactpickerlist.h"
#include "contactsaddressbook.h"
#include "mlabel.h"

#include <QtContacts/QContactFetchRequest>
#include <QtContacts/QContactIdFilter>

#include <QGraphicsLinearLayout>

using namespace QtContacts;

ContactMergePicker::ContactMergePicker(const QContact &details, QGraphicsItem *parent)
    : ContactSavingSheet(qtTrId("qtn_cont_choose_contact"), parent), m_details(details),
      m_list(new ContactPickerList(ContactsAddressBook::manager()))
{
    notice()->setStyleName(QStringLiteral("ContactsSheetNotice"));
    bodyLayout()->addItem(notice());
    bodyLayout()->addItem(m_list);
    bodyLayout()->setStretchFactor(m_list, 1);
    connect(m_list, &ContactPickerList::contactTapped, this, &ContactMergePicker::mergeInto);
    connect(m_list, &ContactPickerList::loaded, this, &ContactMergePicker::loaded);
}

bool ContactMergePicker::isLoaded() const
{
    return m_list->isLoaded();
}

bool ContactMergePicker::mergeInto(QContactLocalId id)
{
    if (!id || m_fetch || isSaving())
        return false;
    // The contact as it is now: another process may have changed it since the list was read.
    auto *fetch = new QContactFetchRequest(this);
    fetch->setManager(ContactsAddressBook::manager());
    QContactIdFilter filter;
    filter.setIds({ContactsEngine::toContactId(id)});
    fetch->setFilter(filter);
    m_fetch = fetch;
    connect(fetch, &QContactFetchRequest::stateChanged, this,
            &ContactMergePicker::onFetchStateChanged);
    if (!fetch->start()) {
        fetch->deleteLater();
        failSave();
        return false;
    }
    return true;
}

void ContactMergePicker::onFetchStateChanged()
{
    if (!m_fetch || !m_fetch->isFinished())
        return;
    QContactFetchRequest *fetch = m_fetch;
    m_fetch.clear();
    fetch->deleteLater();
    const QList<QContact> found = fetch->contacts();
    if (fetch->error() != QContactManager::NoError || found.isEmpty()) {
        failSave();
        return;
    }
    // Only the address details are written: the rest of the contact stays as it is stored.
    startSave(merged(found.first(), m_details), ContactDetailText::addressTypes());
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
