#include "dialerpage.h"

#include "accountpaths.h"
#include "accountselector.h"
#include "addmergedialog.h"
#include "callhistoryaccountsmanager.h"
#include "callhistorydialogmanager.h"
#include "callhistorylocale.h"
#include "callhistorypage.h"
#include "callhistoryvoicemail.h"
#include "callmodel.h"
#include "contactsheets.h"
#include "dialerkey.h"
#include "dialernumberfield.h"
#include "dialerwidget.h"
#include "event.h"
#include "mapplicationpage.h"
#include "mbanner.h"
#include "mlocale.h"
#include "modelmanager.h"
#include "mpannableviewport.h"
#include "pagemanager.h"
#include "phonenumberformat.h"
#include "phonenumbers.h"

#include <QEvent>

const int DialerPage::MaxNumberLength = Dialer::DialerWidget::MaxLength;

namespace {
// A banner that clears `guard` when it is gone; nothing is kept when there is no window.
void showGuardedBanner(QPointer<MBanner> &guard, const QString &text)
{
    auto *banner = new MBanner;
    banner->setStyleName(QStringLiteral("InformationBanner"));
    banner->setTitle(text);
    banner->appear(MSceneWindow::DestroyWhenDone);
    if (!banner->sceneManager()) {
        delete banner;
        return;
    }
    guard = banner;
}
} // namespace

DialerPage::DialerPage(QObject *parent)
    : Page(parent), m_page(new MApplicationPage), m_accountSelector(new AccountSelector(true, true))
{
    m_page->setTitle(QStringLiteral("call-history"));
    m_page->setPannable(false);
    m_page->setStyleName(QStringLiteral("DialerPage"));
    // The page's viewport would paint the default background, the window's own colour, over
    // the whole page again.
    m_page->pannableViewport()->setStyleName(QStringLiteral("DialerViewport"));

    m_dialer = new Dialer::DialerWidget(0, m_accountSelector, m_page);
    m_accountSelector->reset();
    m_dialer->setTonesEnabled(true);
    m_page->setCentralWidget(m_dialer);
    // Digits are grouped as libphonenumber groups them while typing, in the locale's region.
    m_dialer->numberField()->setGrouping(
        [](const QString &typed) { return PhoneNumberFormat::asYouType(typed); });
    // A tap on a key reaches it without the scene's search of everything under the finger.
    for (Dialer::DialerKey *key : m_dialer->keys())
        m_page->addDirectPressTarget(key);

    m_page->installEventFilter(this);

    connect(m_dialer, &Dialer::DialerWidget::callRequested, this, &DialerPage::slotCallRequested);
    connect(m_dialer, &Dialer::DialerWidget::requestAddOrMergeWithContact, this,
            &DialerPage::onAddMergeContactRequested, Qt::QueuedConnection);
    connect(m_dialer, &Dialer::DialerWidget::requestLastCalledPhoneNumber, this,
            &DialerPage::onRequestLastCalledPhoneNumber, Qt::DirectConnection);
    connect(m_page, &MSceneWindow::disappeared, m_dialer,
            &Dialer::DialerWidget::onSceneWindowDismissed, Qt::QueuedConnection);
    connect(m_page, &MApplicationPage::displayEntered, this, &Page::refreshCall);
    connect(CallHistoryLocale::instance(), &CallHistoryLocale::currencySettingsChanged,
            m_accountSelector, &AccountSelector::reset);

    CallHistoryVoicemail *voicemail = CallHistoryVoicemail::instance();
    connect(voicemail, &CallHistoryVoicemail::voicemailChanged, this,
            &DialerPage::onVoicemailChanged);
    onVoicemailChanged();
}

DialerPage::~DialerPage()
{
    delete m_page;
    delete m_accountSelector;
}

MApplicationPage *DialerPage::scenePage()
{
    return m_page;
}

QString DialerPage::number() const
{
    return m_dialer->text();
}

void DialerPage::appendDigits(const QString &digits)
{
    // The keypad keeps only dialable characters, cut at its length limit.
    m_dialer->setText(m_dialer->text() + digits.left(MaxNumberLength * 4));
}

bool DialerPage::isCurrent() const
{
    return PageManager::instance()->currentPageType() == PageManager::Dialer;
}

void DialerPage::updateBlockedState(bool active)
{
    if (!m_dialer)
        return;
    if (!active || m_blocked)
        m_dialer->onPageBlocked();
    else
        m_dialer->onPageUnblocked();
}

void DialerPage::enterPage()
{
    updateBlockedState(true);
    if (CallHistoryPage *history = PageManager::instance()->callHistoryPage())
        history->requestSearchReset();
}

void DialerPage::leavePage()
{
    updateBlockedState(false);
    if (m_dialer->text().isEmpty())
        m_accountSelector->setDefault();
}

void DialerPage::resetPage() {}

void DialerPage::restorePrestart()
{
    m_dialer->resetState();
    m_accountSelector->reset();
    refreshCall();
}

void DialerPage::callAnswered()
{
    if (!isCurrent())
        return;
    m_dialer->setText(QString());
    PageManager::instance()->showCallHistory();
}

void DialerPage::callEnded()
{
    if (isCurrent())
        m_dialer->setText(QString());
}

void DialerPage::commandCompleted()
{
    if (isCurrent())
        m_dialer->setText(QString());
}

bool DialerPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_page &&
        (event->type() == QEvent::WindowBlocked || event->type() == QEvent::WindowUnblocked)) {
        m_blocked = event->type() == QEvent::WindowBlocked;
        updateBlockedState(isCurrent());
    }
    return false;
}

void DialerPage::slotCallRequested(QString callee)
{
    const QString path = m_accountSelector->currentAccountPath();
    CallHistoryAccountsManager *accounts = CallHistoryAccountsManager::instance();
    if (isEmergencyNumber(callee)) {
        // Placed on the cellular account whatever is chosen (Page::call).
        call(path, callee);
        return;
    }
    const bool serviceCode = isServiceCode(callee);
    const bool valid = isValidNumber(callee);
    if (accounts->isCellularEntry(path) && !serviceCode && !valid) {
        if (!m_incorrectNumberBanner)
            showGuardedBanner(m_incorrectNumberBanner, qtTrId("qtn_call_incorrect_number"));
        return;
    }
    if (accounts->acceptsLocalPhoneNumbers(path) || serviceCode || !valid ||
        isInternationalNumber(callee)) {
        call(path, callee);
        return;
    }
    if (m_internationalBanner)
        return;
    MLocale locale;
    if (!locale.isInstalledTrCatalog(QStringLiteral("skype"))) {
        locale.installTrCatalog(QStringLiteral("skype"));
        MLocale::setDefault(locale);
    }
    showGuardedBanner(m_internationalBanner, qtTrId("qtn_skyp_not_international_format"));
}

void DialerPage::onAddMergeContactRequested(QString phoneNumber)
{
    // With nothing typed the editor opens empty; a typed number is offered as a new contact or
    // for an existing one, unless a pop-up is already open.
    if (phoneNumber.isEmpty()) {
        addToContacts(cellularAccountPath(), phoneNumber);
        return;
    }
    CallHistoryDialogManager *dialogs = CallHistoryDialogManager::instance();
    if (dialogs->hasDialogs())
        return;
    AddMergeDialog::openFor(cellularAccountPath(), phoneNumber);
}

void DialerPage::onRequestLastCalledPhoneNumber()
{
    if (m_lastCallModel)
        return;
    auto *model = new CommHistory::CallModel(this);
    m_lastCallModel = model;
    model->enableContactChanges(false);
    model->setBackgroundThread(ModelManager::instance()->backgroundThread());
    model->setQueryMode(1);
    model->setFirstChunkSize(5);
    model->setChunkSize(10);
    model->setFilter(CommHistory::CallModel::SortByTime, CommHistory::CallModel::AllCalls,
                     QDateTime());
    connect(model, &QAbstractItemModel::rowsInserted, this,
            &DialerPage::onLastCallModelRowsInserted);
    connect(model, &CommHistory::EventModel::modelReady, this, &DialerPage::onLastCallModelReady);
    m_rowsSeen = 0;
    model->getEvents();
}

void DialerPage::dropLastCallModel()
{
    if (m_lastCallModel)
        m_lastCallModel->deleteLater();
    m_lastCallModel = nullptr;
}

void DialerPage::onLastCallModelRowsInserted(QModelIndex, int start, int end)
{
    CommHistory::CallModel *model = m_lastCallModel;
    if (!model)
        return;
    if (!m_dialer->text().isEmpty()) {
        // The user typed meanwhile: their number stands.
        dropLastCallModel();
        return;
    }
    for (int r = start; r <= end; ++r) {
        ++m_rowsSeen;
        const QModelIndex index = model->index(r, 0);
        if (!index.isValid())
            continue;
        const CommHistory::Event event = model->event(index);
        if (event.isValid() && event.direction() == CommHistory::Event::Outbound &&
            isPhoneNumber(event.remoteUid())) {
            m_dialer->setText(phoneNumberFromAddress(event.remoteUid()));
            dropLastCallModel();
            return;
        }
    }
    // Nothing here: page on through the history, a chunk at a time, while it has more. Asked
    // for once the model has finished inserting these rows (it takes no request before).
    if (!model->canFetchMore(QModelIndex())) {
        dropLastCallModel();
        return;
    }
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_lastCallModel)
                return;
            if (m_lastCallModel->canFetchMore(QModelIndex()))
                m_lastCallModel->fetchMore(QModelIndex());
            else if (m_rowsSeen >= m_lastCallModel->rowCount())
                dropLastCallModel();
        },
        Qt::QueuedConnection);
}

void DialerPage::onLastCallModelReady()
{
    if (m_lastCallModel && m_rowsSeen >= m_lastCallModel->rowCount())
        dropLastCallModel();
}

void DialerPage::onVoicemailChanged()
{
    m_dialer->setVoicemailNumber(CallHistoryVoicemail::instance()->voicemailNumbers().value(0));
}
