#include "contacteditorsheet.h"

#include "contactdetailtext.h"
#include "mbutton.h"
#include "mlabel.h"
#include "mstylablewidget.h"
#include "mtextedit.h"

#include <QtContacts/QContactName>

#include <QGraphicsLinearLayout>

using namespace QtContacts;

ContactEditorSheet::ContactEditorSheet(const QContact &contact, QGraphicsItem *parent)
    : ContactSavingSheet(qtTrId("qtn_cont_new_contact"), parent), m_contact(contact),
      m_first(new MTextEdit), m_last(new MTextEdit)
{
    auto *form = new MStylableWidget;
    form->setStyleName(QStringLiteral("ContactEditorForm"));
    auto *layout = new QGraphicsLinearLayout(Qt::Vertical, form);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    const QContactName name = contact.detail<QContactName>();
    m_first->setStyleName(QStringLiteral("CommonSingleInputField"));
    m_first->setPrompt(qtTrId("qtn_cont_first_name"));
    m_first->setText(name.firstName());
    m_last->setStyleName(QStringLiteral("CommonSingleInputField"));
    m_last->setPrompt(qtTrId("qtn_cont_last_name"));
    m_last->setText(name.lastName());
    layout->addItem(m_first);
    layout->addItem(m_last);
    for (const QContactDetail &d : contact.details()) {
        if (!ContactDetailText::isAddress(d))
            continue;
        auto *kind = new MLabel;
        kind->setStyleName(QStringLiteral("CommonSubTitle"));
        kind->setTextFormat(Qt::PlainText);
        kind->setText(ContactDetailText::kind(d));
        auto *value = new MLabel;
        value->setStyleName(QStringLiteral("CommonTitle"));
        value->setTextFormat(Qt::PlainText);
        value->setText(ContactDetailText::shownValue(d));
        layout->addItem(kind);
        layout->addItem(value);
    }
    layout->addItem(notice());
    bodyLayout()->addItem(form);
    bodyLayout()->addStretch(1);
    connect(
        acceptButton(qtTrId("qtn_cont_save")), &MButton::clicked, this, [this]() { save(); },
        Qt::QueuedConnection);
}

QContact ContactEditorSheet::contact() const
{
    QContact c = m_contact;
    QContactName name = c.detail<QContactName>();
    name.setFirstName(m_first->text().trimmed());
    name.setLastName(m_last->text().trimmed());
    if (!name.firstName().isEmpty() || !name.lastName().isEmpty() ||
        !c.details(QContactDetail::TypeName).isEmpty())
        c.saveDetail(&name);
    return c;
}

bool ContactEditorSheet::save()
{
    return startSave(contact());
}
