#include "contactpickerpage.h"

#include "callhistorycontactsmanager.h"
#include "callhistorydialogmanager.h"
#include "callhistorypage.h"
#include "callhistoryvoicemail.h"
#include "contactpickercontroller.h"
#include "contactsgui.h"
#include "detailselector.h"
#include "informationbanner.h"
#include "mapplicationpage.h"
#include "mapplicationwindow.h"
#include "pagemanager.h"
#include "phonenumbers.h"
#include "voicemaildialog.h"

#include <QTimer>

using namespace QtContacts;

ContactPickerPage::ContactPickerPage(QObject *parent) : Page(parent)
{
    // Building the picker must not delay start-up.
    QTimer::singleShot(0, this, SLOT(initialize()));
}

ContactPickerPage::~ContactPickerPage()
{
    delete m_controller;
}

void ContactPickerPage::initialize()
{
    if (m_controller)
        return;
    m_controller = ContactsGui::contactPicker(true, 6, 0, QList<QContactId>(), QString());
    m_controller->setParent(this);
    connect(m_controller, SIGNAL(contactPicked(QtContacts::QContact)), this,
            SLOT(onContactPicked(QtContacts::QContact)));
    m_controller->setTitle(qtTrId("qtn_call_contact_picker_title"));
    connect(m_controller->page(), &MApplicationPage::languageChanged, m_controller,
            [this]() { m_controller->setTitle(qtTrId("qtn_call_contact_picker_title")); });
    m_controller->page()->setTitle(QStringLiteral("call-history"));
    if (!m_pendingFilter.isEmpty()) {
        m_controller->setFilter(m_pendingFilter);
        m_pendingFilter.clear();
    }
    PageManager *pages = PageManager::instance();
    if (pages->currentPageType() == PageManager::Contacts) {
        CallHistoryDialogManager::instance()->dismissAll();
        appear(pages->window());
    }
    connect(CallHistoryVoicemail::instance(), SIGNAL(voicemailContactChanged()), this,
            SLOT(onVoicemailContactChanged()));
}

ContactPickerController *ContactPickerPage::controller() const
{
    return m_controller;
}

MApplicationPage *ContactPickerPage::scenePage()
{
    return m_controller ? m_controller->page() : nullptr;
}

QString ContactPickerPage::filter() const
{
    return m_controller ? m_controller->filter() : QString();
}

void ContactPickerPage::setFilter(const QString &text)
{
    if (m_controller)
        m_controller->setFilter(text);
    else
        m_pendingFilter = text;
}

void ContactPickerPage::scrollToTop()
{
    if (m_controller)
        m_controller->scrollToTop();
}

void ContactPickerPage::enterPage()
{
    if (CallHistoryPage *history = PageManager::instance()->callHistoryPage())
        history->requestSearchReset();
}

void ContactPickerPage::leavePage()
{
    m_waitingForVoicemail = false;
}

void ContactPickerPage::resetPage() {}

void ContactPickerPage::restorePrestart()
{
    m_waitingForVoicemail = false;
}

void ContactPickerPage::appear(MWindow *window)
{
    if (m_controller)
        Page::appear(window);
}

void ContactPickerPage::callAnswered()
{
    MApplicationPage *page = scenePage();
    if (!page || page->isOnDisplay())
        return;
    setFilter(QString());
    scrollToTop();
    PageManager::instance()->showCallHistory(true, false);
}

void ContactPickerPage::onContactPicked(QContact contact)
{
    if (contact.isEmpty())
        return;
    openDetailSelector(contact, false);
}

void ContactPickerPage::openDetailSelector(const QContact &contact, bool dismissOthers)
{
    auto *selector = new DetailSelector(contact);
    connect(selector, SIGNAL(call(QString, QString, quint32, QString, bool)), this,
            SLOT(call(QString, QString, quint32, QString, bool)));
    connect(selector, &DetailSelector::openContactCard, PageManager::instance(),
            &PageManager::openContactCard);
    CallHistoryDialogManager *dialogs = CallHistoryDialogManager::instance();
    if (dismissOthers)
        dialogs->dismissAll();
    dialogs->addDialog(selector);
    selector->appear(MSceneWindow::DestroyWhenDone);
}

void ContactPickerPage::setVoicemailService(Voicemail *service)
{
    m_voicemailService = service;
}

Voicemail *ContactPickerPage::voicemailService()
{
    if (m_voicemailService)
        return m_voicemailService;
    if (!m_ownVoicemail) {
        m_ownVoicemail = new Voicemail(this);
        // The connection the voicemail contact is then read on: it reads what the set wrote.
        m_ownVoicemail->setAddressBook(CallHistoryContactsManager::instance()->contactManager());
    }
    return m_ownVoicemail;
}

void ContactPickerPage::showVoicemailDetails()
{
    // One number dialog at a time (showing the tab has closed any other pop-up).
    if (m_voicemailDialog)
        return;
    m_waitingForVoicemail = false;
    const QContact contact = CallHistoryVoicemail::instance()->voicemailContact();
    if (!contact.isEmpty()) {
        openDetailSelector(contact, true);
        return;
    }
    m_waitingForVoicemail = true;
    auto *dialog = new VoicemailDialog(false, voicemailService(), &isValidNumber);
    m_voicemailDialog = dialog;
    connect(dialog, &VoicemailDialog::preferredVoicemailNumber, this,
            &ContactPickerPage::onVoicemailDialogResult);
    CallHistoryDialogManager *dialogs = CallHistoryDialogManager::instance();
    dialogs->dismissAll();
    dialogs->addDialog(dialog);
    dialog->appear(MSceneWindow::DestroyWhenDone);
}

void ContactPickerPage::onVoicemailDialogResult(const QString &preferred,
                                                Voicemail::VoicemailError error)
{
    m_voicemailDialog.clear();
    if (preferred.isEmpty()) {
        m_waitingForVoicemail = false;
        return;
    }
    if (error != Voicemail::NoError) {
        // The number is stored, its contact is not: no contact is coming to wait for.
        m_waitingForVoicemail = false;
        showInformationBanner(qtTrId("qtn_call_voicemail_contact_not_saved"));
        return;
    }
    // The voicemail service finds the contact written with the number next.
}

void ContactPickerPage::onVoicemailContactChanged()
{
    if (!m_waitingForVoicemail)
        return;
    m_waitingForVoicemail = false;
    showVoicemailDetails();
}
