#include "contactcardsheet.h"

#include "avatarwidget.h"
#include "contactdetailtext.h"
#include "contactsaddressbook.h"
#include "mbutton.h"
#include "mlabel.h"
#include "mlistitem.h"
#include "mstylablewidget.h"

#include <QtContacts/QContactFetchRequest>
#include <QtContacts/QContactIdFilter>
#include <QtContacts/QContactOnlineAccount>

#include <QGraphicsLinearLayout>

using namespace QtContacts;

ContactCardSheet::ContactCardSheet(QContactLocalId id, QGraphicsItem *parent)
    : ContactsSheet(QString(), parent), m_id(id), m_avatar(new AvatarWidget), m_name(new MLabel),
      m_addresses(new QGraphicsLinearLayout(Qt::Vertical))
{
    cancelButton()->setText(qtTrId("qtn_comm_close"));
    balanceHeader();
    auto *header = new MStylableWidget;
    header->setStyleName(QStringLiteral("ContactCardHeader"));
    auto *headerLayout = new QGraphicsLinearLayout(Qt::Horizontal, header);
    headerLayout->setContentsMargins(0, 0, 0, 0);
    headerLayout->setSpacing(20);
    m_avatar->setStyleName(QStringLiteral("ContactCardAvatar"));
    m_avatar->setContactId(id);
    m_name->setStyleName(QStringLiteral("ContactCardName"));
    m_name->setTextFormat(Qt::PlainText);
    m_name->setWordWrap(true);
    headerLayout->addItem(m_avatar);
    headerLayout->addItem(m_name);
    headerLayout->setAlignment(m_name, Qt::AlignVCenter);
    headerLayout->setStretchFactor(m_name, 1);
    bodyLayout()->addItem(header);
    m_addresses->setContentsMargins(0, 0, 0, 0);
    m_addresses->setSpacing(0);
    bodyLayout()->addItem(m_addresses);
    bodyLayout()->addStretch(1);

    auto *fetch = new QContactFetchRequest(this);
    fetch->setManager(ContactsAddressBook::manager());
    QContactIdFilter filter;
    filter.setIds({ContactsEngine::toContactId(id)});
    fetch->setFilter(filter);
    m_fetch = fetch;
    connect(fetch, &QContactFetchRequest::stateChanged, this,
            &ContactCardSheet::onFetchStateChanged);
    fetch->start();
}

QString ContactCardSheet::name() const
{
    return m_name->text();
}

void ContactCardSheet::onFetchStateChanged()
{
    if (!m_fetch || !m_fetch->isFinished())
        return;
    const QList<QContact> found = m_fetch->contacts();
    m_fetch->deleteLater();
    if (!found.isEmpty())
        fill(found.first());
    m_loaded = true;
    Q_EMIT loaded();
}

void ContactCardSheet::fill(const QContact &contact)
{
    const QString name = ContactsEngine::synthesizedContactDisplayLabel(contact);
    m_name->setText(name);
    m_avatar->setContact(contact);
    QList<QContactDetail> details;
    for (const QContactDetail &d : contact.details(QContactDetail::TypePhoneNumber))
        details << d;
    for (const QContactDetail &d : contact.details(QContactDetail::TypeOnlineAccount))
        details << d;
    for (const QContactDetail &d : qAsConst(details)) {
        const QString value = ContactDetailText::value(d);
        if (value.trimmed().isEmpty())
            continue;
        const QString accountPath =
            d.type() == QContactDetail::TypeOnlineAccount
                ? d.value(QContactOnlineAccount__FieldAccountPath).toString()
                : QString();
        // Shown grouped; the value as stored is what is called.
        MListItem *row = addressRow(ContactDetailText::shownValue(d), ContactDetailText::kind(d));
        const QContactLocalId id = m_id;
        connect(
            row, &MListItem::clicked, this,
            [this, accountPath, value, id, name]() {
                Q_EMIT addressActivated(accountPath, value, id, name);
                dismiss();
            },
            Qt::QueuedConnection);
        m_rows << row;
        m_addresses->addItem(row);
    }
}

MListItem *ContactCardSheet::addressRow(const QString &shown, const QString &kind)
{
    auto *row = new MListItem;
    row->setStyleName(QStringLiteral("ContactCardAddress"));
    auto *layout = new QGraphicsLinearLayout(Qt::Vertical, row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    auto *valueLabel = new MLabel;
    valueLabel->setStyleName(QStringLiteral("CommonTitle"));
    valueLabel->setTextFormat(Qt::PlainText);
    // Numbers and addresses read left to right in every language (the shown value is a run).
    valueLabel->setText(shown);
    valueLabel->setAcceptedMouseButtons(Qt::NoButton);
    auto *kindLabel = new MLabel;
    kindLabel->setStyleName(QStringLiteral("CommonSubTitle"));
    kindLabel->setTextFormat(Qt::PlainText);
    kindLabel->setText(kind);
    kindLabel->setAcceptedMouseButtons(Qt::NoButton);
    layout->addItem(valueLabel);
    layout->addItem(kindLabel);
    return row;
}
