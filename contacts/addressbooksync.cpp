#include "addressbooksync.h"

#include "contactssource.h"
#include "edscontactsservice.h"
#include "informationbanner.h"
#include "voicemail.h"
#include "voicemailstore.h"

#include <QCoreApplication>

AddressBookSync *AddressBookSync::instance()
{
    static QPointer<AddressBookSync> sync;
    if (!sync) {
        EdsContactsService *service = nullptr;
        if (ContactsEngine::ContactsSource::current().kind == ContactsEngine::ContactsSource::Eds) {
            service = EdsContactsService::instance();
            service->start();
        }
        sync = new AddressBookSync(service, QCoreApplication::instance());
    }
    return sync;
}

AddressBookSync::AddressBookSync(EdsContactsService *service, QObject *parent)
    : QObject(parent), m_service(service)
{
    if (!service)
        return;
    connect(service, &EdsContactsService::writeRefused, this, &AddressBookSync::onWriteRefused);
    connect(service, &EdsContactsService::availabilityChanged, this,
            [this](bool available) { m_voicemailDue = m_voicemailDue || available; });
    connect(service, &EdsContactsService::idle, this, &AddressBookSync::onIdle);
}

void AddressBookSync::onIdle()
{
    if (!m_voicemailDue)
        return;
    m_voicemailDue = false;
    const QList<VoicemailNumber> numbers = VoicemailStore().numbers();
    if (numbers.isEmpty())
        return;
    // The set reports by itself and deletes itself; the client need not outlive it.
    Voicemail voicemail;
    voicemail.startSettingVoicemailNumbers(numbers);
}

QString AddressBookSync::refusedText(const QString &contactName, const QString &reason)
{
    // Both come from outside (the contact, EDS's words): the banner shows them as plain text.
    const QString name = contactName.isEmpty() ? QStringLiteral("?") : contactName.left(80);
    return qtTrId("qtn_call_contact_not_saved_eds").arg(name, reason.left(160));
}

void AddressBookSync::onWriteRefused(const QString &contactName, const QString &reason)
{
    showInformationBanner(refusedText(contactName, reason));
}
