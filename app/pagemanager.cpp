#include "pagemanager.h"

#include "accountpaths.h"
#include "callhistorydialogmanager.h"
#include "callhistorypage.h"
#include "contactdetailtext.h"
#include "contacteditorhandle.h"
#include "contactpickerpage.h"
#include "contactsgui.h"
#include "contactsinterface.h"
#include "dialerpage.h"
#include "displaytext.h"
#include "informationbanner.h"
#include "maction.h"
#include "mapplication.h"
#include "mapplicationpage.h"
#include "mapplicationwindow.h"
#include "mgconfitem.h"
#include "modelmanager.h"
#include "mscenemanager.h"
#include "mtoolbar.h"

#include <QtContacts/QContactPhoneNumber>

namespace {
QPointer<PageManager> s_instance;
const char *const DefaultPageKey = "/apps/call-history/settings/defaultPage";
} // namespace

PageManager *PageManager::instance()
{
    if (!s_instance)
        s_instance = new PageManager(QCoreApplication::instance());
    return s_instance;
}

PageManager::PageManager(QObject *parent)
    : QObject(parent), m_defaultPage(new MGConfItem(QLatin1String(DefaultPageKey), this))
{
    connect(m_defaultPage, &MGConfItem::valueChanged, this,
            &PageManager::onGConfDefaultPageChanged);
    onGConfDefaultPageChanged();
    if (MApplication *app = MApplication::instance()) {
        connect(app, &MApplication::prestartReleased, this, &PageManager::onPrestartReleased);
        connect(app, &MApplication::prestartRestored, this, &PageManager::onPrestartRestored);
    }
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
            &PageManager::onAboutToQuit);
    // The contacts sheets show numbers as every other screen does.
    ContactDetailText::setNumberFormatter(
        [](const QString &number) { return stripBidiMarks(numberForDisplay(number)); });
}

void PageManager::setWindow(MApplicationWindow *window, PageSet pages)
{
    m_window = window;
    if (!window)
        return;
    window->setOrientationLocked(true);
    window->setOrientationAngleLocked(true);
    window->setOrientationAngle(270);
    if (!m_callHistoryPage || !m_dialerPage || !m_contactPickerPage) {
        m_callHistoryPage = new CallHistoryPage;
        m_pages.append(m_callHistoryPage);
        m_pagesLeft = true;
        if (pages == AllPages)
            completePages();
    }
    createToolbar();
}

void PageManager::completePages()
{
    if (!m_pagesLeft)
        return;
    m_pagesLeft = false;
    m_dialerPage = new DialerPage;
    m_pages.insert(1, m_dialerPage);
    m_contactPickerPage = new ContactPickerPage;
    m_pages.append(m_contactPickerPage);
    // A first switch to another page than the dialer leaves the dialer page (see switchTo()).
    if (m_currentType != None && m_currentType != Dialer)
        m_dialerPage->leavePage();
}

void PageManager::prepareDefaultPage()
{
    if (!m_window || !MApplication::isPrestarted() || m_currentType != None ||
        m_currentName != QLatin1String("callHistory") || !m_callHistoryPage)
        return;
    m_window->sceneManager()->appearSceneWindowNow(m_callHistoryPage->scenePage(),
                                                   MSceneWindow::KeepWhenDone);
}

void PageManager::setPages(CallHistoryPage *callHistory, DialerPage *dialer,
                           ContactPickerPage *contacts)
{
    m_callHistoryPage = callHistory;
    m_dialerPage = dialer;
    m_contactPickerPage = contacts;
    m_pages = {callHistory, dialer, contacts};
}

void PageManager::createToolbar()
{
    m_window->setToolbarViewType(MToolBar::tabType);
    struct Tab
    {
        MAction **action;
        const char *iconId;
        void (PageManager::*show)();
    };
    const Tab tabs[] = {
        {&m_callHistoryAction, "icon-m-toolbar-callhistory", &PageManager::showCallHistory},
        {&m_dialerAction, "icon-m-toolbar-dialer", &PageManager::showDialer},
        {&m_contactsAction, "icon-m-toolbar-addressbook", &PageManager::showContacts},
    };
    for (const Tab &tab : tabs) {
        auto *action = new MAction(m_window);
        action->setLocation(MAction::ToolBarLocation);
        action->setCheckable(true);
        action->setIconID(QLatin1String(tab.iconId));
        m_window->addAction(action);
        m_actions.append(action);
        connect(action, &QAction::triggered, this, tab.show);
        *tab.action = action;
    }
    QAction *current = m_currentType == Dialer     ? m_dialerAction
                       : m_currentType == Contacts ? m_contactsAction
                                                   : m_callHistoryAction;
    current->setChecked(true);
}

void PageManager::activateWindow()
{
    if (!m_window)
        return;
    m_window->show();
    m_window->activateWindow();
}

Page *PageManager::pageOf(int type) const
{
    switch (type) {
    case CallHistory:
        return m_callHistoryPage;
    case Dialer:
        return m_dialerPage;
    case Contacts:
        return m_contactPickerPage;
    default:
        return nullptr;
    }
}

QAction *PageManager::actionOf(int type) const
{
    switch (type) {
    case CallHistory:
        return m_callHistoryAction;
    case Dialer:
        return m_dialerAction;
    case Contacts:
        return m_contactsAction;
    default:
        return nullptr;
    }
}

void PageManager::dismissForeignWindows()
{
    if (!m_window)
        return;
    MApplicationPage *current = m_window->currentPage();
    bool foreign = current != nullptr;
    for (Page *page : qAsConst(m_pages)) {
        if (page->scenePage() == current)
            foreign = false;
    }
    if (foreign) {
        current->deleteLater();
        m_contactEditor.reset();
    } else if (m_contactEditor && m_contactEditor->sceneWindow()) {
        // Hold the handle while the dismissal reports the editor's end.
        const QSharedPointer<ContactEditorHandle> editor = m_contactEditor;
        m_contactEditor.reset();
        editor->sceneWindow()->dismiss();
    }
}

ContactEditorHandle *PageManager::contactEditor() const
{
    return m_contactEditor.data();
}

ContactsInterface *PageManager::contactsInterface() const
{
    return m_contactsInterface;
}

void PageManager::openContactCard(QContactLocalId contactId)
{
    if (!m_contactsInterface) {
        m_contactsInterface = new ContactsInterface(QString(), this);
        // A number or address tapped on the card is called like a call back from the history.
        connect(m_contactsInterface, &ContactsInterface::callRequested, this,
                [this](const QString &accountPath, const QString &address, QContactLocalId id,
                       const QString &name) {
                    // A phone number of the card is called on the cellular account.
                    if (m_callHistoryPage)
                        m_callHistoryPage->call(accountPath.isEmpty() ? cellularAccountPath()
                                                                      : accountPath,
                                                address, id, name);
                });
    }
    m_contactsInterface->openContactCardSheet(contactId);
}

void PageManager::editContact(const QtContacts::QContact &contact)
{
    m_contactEditor = ContactsGui::editContact(contact);
    if (m_contactEditor)
        connect(m_contactEditor.data(), SIGNAL(finished()), this, SLOT(onContactCardFinished()));
}

void PageManager::mergeContact(const QtContacts::QContact &contact)
{
    m_contactEditor = ContactsGui::openContactMergePicker(
        this, contact, SLOT(onContactCardFinished()), SLOT(onContactCardFinished()));
    if (!m_contactEditor)
        return;
    connect(m_contactEditor.data(), SIGNAL(finished()), this, SLOT(onContactCardFinished()));
    // The picker closes when the contact is saved: say what was done, as a copied number is.
    const char *done = contact.details<QtContacts::QContactPhoneNumber>().isEmpty()
                           ? "qtn_call_address_added"
                           : "qtn_call_number_added";
    connect(m_contactEditor.data(), &ContactEditorHandle::saved, this,
            [done]() { showInformationBanner(qtTrId(done)); });
}

void PageManager::onContactCardFinished()
{
    // The handle may be the one emitting: let go of it once the emission is over.
    const QSharedPointer<ContactEditorHandle> finished = m_contactEditor;
    m_contactEditor.reset();
    if (finished)
        QMetaObject::invokeMethod(
            this, [finished]() {}, Qt::QueuedConnection);
}

void PageManager::leavePrestart()
{
    if (MApplication::isPrestarted())
        MApplication::setPrestarted(false);
}

void PageManager::setCurrentPageName(const QString &name)
{
    if (m_currentName != name)
        m_currentName = name;
}

void PageManager::switchTo(PageType type)
{
    if (!m_window || type == m_currentType)
        return;
    for (Page *page : qAsConst(m_pages))
        page->refreshCall();
    if (m_currentType == None) {
        // A dialer page made later is left when it is made (completePages()).
        if (type != Dialer && m_dialerPage)
            m_dialerPage->leavePage();
    } else if (Page *old = pageOf(m_currentType)) {
        old->leavePage();
    }
    if (Page *page = pageOf(type))
        page->enterPage();
}

void PageManager::prepareShow(PageType type, const QString &name)
{
    // Leaving the call history hands its search to the contacts page: every page takes part.
    if (type != CallHistory)
        completePages();
    dismissForeignWindows();
    leavePrestart();
    setCurrentPageName(name);
    if (QAction *action = actionOf(type)) {
        if (!action->isChecked())
            action->setChecked(true);
    }
    switchTo(type);
}

void PageManager::finishShow(PageType type)
{
    m_currentType = type;
    CallHistoryDialogManager::instance()->dismissAll();
    if (Page *page = pageOf(type))
        page->appear(m_window);
}

void PageManager::showCallHistory(bool force, bool clear)
{
    prepareShow(CallHistory, QStringLiteral("callHistory"));
    if (m_callHistoryPage) {
        if (force)
            m_callHistoryPage->resetPage();
        else if (clear)
            m_callHistoryPage->resetSearch();
    }
    finishShow(CallHistory);
}

void PageManager::showCallHistory(bool force)
{
    showCallHistory(force, false);
}

void PageManager::showCallHistory()
{
    showCallHistory(false, false);
}

void PageManager::showDialer(QString digits)
{
    prepareShow(Dialer, QStringLiteral("dialer"));
    finishShow(Dialer);
    if (!digits.isEmpty() && m_dialerPage)
        m_dialerPage->appendDigits(digits);
}

void PageManager::showDialer()
{
    showDialer(QString());
}

void PageManager::showContacts(bool clear)
{
    prepareShow(Contacts, QStringLiteral("contacts"));
    if (clear && m_contactPickerPage) {
        m_contactPickerPage->setFilter(QString());
        m_contactPickerPage->scrollToTop();
    }
    finishShow(Contacts);
}

void PageManager::showContacts()
{
    showContacts(false);
}

void PageManager::showVoicemailDetailPicker()
{
    showContacts(false);
    if (m_contactPickerPage)
        m_contactPickerPage->showVoicemailDetails();
}

void PageManager::showDefault()
{
    if (m_currentName == QLatin1String("callHistory"))
        showCallHistory(false, true);
    else if (m_currentName == QLatin1String("contacts"))
        showContacts(true);
    else
        showDialer(QString());
}

void PageManager::onGConfDefaultPageChanged()
{
    setCurrentPageName(m_defaultPage->value().toString());
    // A first start with nothing stored: the default follows whether there is any history.
    if (m_currentName.isEmpty() && MApplication::isPrestarted()) {
        ModelManager *models = ModelManager::instance();
        disconnect(models, nullptr, this, nullptr);
        connect(models, &ModelManager::modelChanged, this, &PageManager::onModelChanged);
        onModelChanged();
    }
}

void PageManager::onModelChanged()
{
    ModelManager *models = ModelManager::instance();
    if (!MApplication::isPrestarted()) {
        disconnect(models, nullptr, this, nullptr);
        return;
    }
    setCurrentPageName(models->isEmpty() ? QStringLiteral("dialer")
                                         : QStringLiteral("callHistory"));
}

void PageManager::saveDefaultPage()
{
    if (m_defaultPage->value().toString() != m_currentName)
        m_defaultPage->set(m_currentName);
}

void PageManager::onPrestartReleased()
{
    for (Page *page : qAsConst(m_pages))
        page->resetPage();
    if (Page *page = pageOf(m_currentType))
        page->enterPage();
}

void PageManager::onPrestartRestored()
{
    if (Page *page = pageOf(m_currentType))
        page->leavePage();
    for (Page *page : qAsConst(m_pages))
        page->restorePrestart();
    saveDefaultPage();
    CallHistoryDialogManager::instance()->dismissAll();
}

void PageManager::onAboutToQuit()
{
    m_pagesLeft = false;
    delete m_callHistoryPage;
    m_callHistoryPage = nullptr;
    delete m_dialerPage;
    m_dialerPage = nullptr;
    delete m_contactPickerPage;
    m_contactPickerPage = nullptr;
    m_pages.clear();
    saveDefaultPage();
}
