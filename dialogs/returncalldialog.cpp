#include "returncalldialog.h"

#include "accounthelpers.h"
#include "accountpaths.h"
#include "addmergedialog.h"
#include "avatarwidget.h"
#include "callhistoryaccountsmanager.h"
#include "callhistorycontact.h"
#include "callhistorycontactsmanager.h"
#include "callhistorydialogmanager.h"
#include "callhistoryitem.h"
#include "callhistorymulticontacts.h"
#include "callhistorypage.h"
#include "callmodel.h"
#include "contactsheets.h"
#include "conversations.h"
#include "displaytext.h"
#include "mbutton.h"
#include "mimagewidget.h"
#include "mlabel.h"
#include "mlistitem.h"
#include "modelmanager.h"
#include "mscenemanager.h"
#include "mseparator.h"
#include "mstylablewidget.h"
#include "mwindow.h"
#include "pagemanager.h"
#include "phonenumbers.h"
#include "returncalldialogknowncontact.h"
#include "returncalldialogknowncontactvoip.h"
#include "returncalldialogknowncontactvoiptocs.h"
#include "returncalldialogmulticontacts.h"
#include "returncalldialogservice.h"
#include "returncalldialogservicevoiptocs.h"
#include "returncalldialogunknowncontact.h"
#include "returncalldialogunknowncontactvoip.h"
#include "returncalldialogunknowncontactvoiptocs.h"
#include "subtitlelabel.h"
#include "videocalls.h"

#include <QGraphicsGridLayout>
#include <QGraphicsLinearLayout>
#include <QGraphicsScene>
#include <QGraphicsView>

ReturnCallDialog::Type ReturnCallDialog::dialogType(const Call &call)
{
    const bool cellular = isCellularAccount(call.localUid);
    const bool phone = isPhoneNumber(call.remoteUid);
    const int numberClass = call.numberClass;
    if (numberClass == CallHistoryItem::EmergencyCall ||
        numberClass == CallHistoryItem::VoicemailNumber)
        return (!cellular && phone) ? ServiceVoipToCS : Service;
    const int contacts = call.contacts.size();
    if (contacts > 1)
        return MultiContacts;
    if (contacts == 0)
        return cellular ? UnknownContact : phone ? UnknownContactVoipToCS : UnknownContactVoip;
    return cellular ? KnownContact : phone ? KnownContactVoipToCS : KnownContactVoip;
}

ReturnCallDialog *ReturnCallDialog::create(CallHistoryItem *row, const Call &call)
{
    switch (dialogType(call)) {
    case KnownContact:
        return new ReturnCallDialogKnownContact(row, call);
    case KnownContactVoip:
        return new ReturnCallDialogKnownContactVoip(row, call);
    case KnownContactVoipToCS:
        return new ReturnCallDialogKnownContactVoipToCS(row, call);
    case UnknownContact:
        return new ReturnCallDialogUnknownContact(row, call);
    case UnknownContactVoip:
        return new ReturnCallDialogUnknownContactVoip(row, call);
    case UnknownContactVoipToCS:
        return new ReturnCallDialogUnknownContactVoipToCS(row, call);
    case MultiContacts:
        return new ReturnCallDialogMultiContacts(row, call);
    case Service:
        return new ReturnCallDialogService(row, call);
    case ServiceVoipToCS:
        return new ReturnCallDialogServiceVoipToCS(row, call);
    }
    return nullptr;
}

ReturnCallDialog::ReturnCallDialog(CallHistoryItem *row, const Call &call)
{
    m_dismissTimer.setSingleShot(true);
    m_dismissTimer.setInterval(DismissDelay);
    connect(&m_dismissTimer, &QTimer::timeout, this, &ReturnCallDialog::onDismissTimerExpired);
    load(call);
    m_type = dialogType(call);
    // A row that shows another call by now has nothing to say about this one.
    if (row && row->eventId() == call.eventId) {
        m_item = row;
        connect(row, SIGNAL(updated(uint)), this, SLOT(updated(uint)));
    }
    // The dialog has no display state of its own: it follows the window it is shown in.
    connect(this, &MSceneWindow::appeared, this, &ReturnCallDialog::followDisplay);
}

CallHistoryItem *ReturnCallDialog::item() const
{
    return m_item;
}

ReturnCallDialog::~ReturnCallDialog()
{
    dropContact();
}

void ReturnCallDialog::followDisplay()
{
    if (!scene())
        return;
    for (QGraphicsView *view : scene()->views()) {
        if (auto *window = qobject_cast<MWindow *>(view))
            connect(window, &MWindow::displayExited, this, &ReturnCallDialog::onDisplayExited,
                    Qt::UniqueConnection);
    }
}

void ReturnCallDialog::load(const Call &call)
{
    Snapshot &s = m_snapshot;
    s.eventId = call.eventId;
    s.contacts = call.contacts;
    s.contactId = s.contacts.isEmpty() ? 0 : s.contacts.first().first;
    s.accountPath = call.localUid;
    s.remoteUid = call.remoteUid;
    s.displayNumber = remoteForDisplay(s.remoteUid, isCellularAccount(s.accountPath));
    s.name = call.title;
    s.numberClass = call.numberClass;
    s.statusMessage = call.statusMessage;
    s.presence = call.presence;
    s.numberType = call.numberType;
    s.numberCount = call.numberCount;
    s.video = call.video;
    if ((s.contacts.isEmpty() || s.contactId == 0) && s.name == s.remoteUid)
        s.name = s.displayNumber;
    // The contact followed is the row's single contact; another contact in its place (the
    // address book now matches someone else) is followed instead.
    if (s.contacts.size() == 1 && s.contactId != 0)
        linkContact(s.contactId);
    else
        dropContact();
}

void ReturnCallDialog::linkContact(quint32 id)
{
    if (m_contact && m_contact->localId() == id)
        return;
    dropContact();
    CallHistoryContact *contact = CallHistoryContactsManager::instance()->acquireContact(id);
    m_contact = contact;
    connect(contact, &CallHistoryContact::updated, this, &ReturnCallDialog::onContactUpdated);
    if (contact->isResolved())
        QTimer::singleShot(0, this, &ReturnCallDialog::onContactUpdated);
}

void ReturnCallDialog::dropContact()
{
    if (!m_contact)
        return;
    disconnect(m_contact, nullptr, this, nullptr);
    m_contact->release();
    m_contact = nullptr;
}

void ReturnCallDialog::setEscapedTitle(const QString &text)
{
    const QString escaped = text.toHtmlEscaped();
    if (escaped == text) {
        setTitleFormat(Qt::PlainText);
        setTitle(text);
    } else {
        setTitleFormat(Qt::RichText);
        setTitle(QStringLiteral("<b></b>") + escaped);
    }
}

void ReturnCallDialog::addSpacer(const QString &style)
{
    auto *spacer = new MStylableWidget;
    spacer->setStyleName(style);
    m_layout->addItem(spacer);
}

void ReturnCallDialog::beginLayout(bool withHeader)
{
    auto *central = new QGraphicsWidget;
    m_layout = new QGraphicsLinearLayout(Qt::Vertical, central);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    setCentralWidget(central);
    if (withHeader)
        addSpacer(QStringLiteral("CommonSpacer"));
}

void ReturnCallDialog::endLayout(bool withHeader, bool addContact, bool message)
{
    if (withHeader) {
        addSpacer(QStringLiteral("CommonSpacer"));
        auto *separator = new MSeparator;
        separator->setStyleName(QStringLiteral("CommonItemDividerInverted"));
        m_layout->addItem(separator);
    }
    addSpacer(QStringLiteral("CommonXLargeSpacer"));
    addButtonRow(addContact, message);
    addSpacer(QStringLiteral("CommonXLargeSpacer"));
}

void ReturnCallDialog::addContactHeader(bool thumbnail, bool sideIcon, bool presence)
{
    m_contactHeader = new MListItem;
    m_contactHeader->setStyleName(QStringLiteral("CommonPanelInverted"));
    connect(m_contactHeader, SIGNAL(clicked()), this, SLOT(onOpenContactCard()),
            Qt::QueuedConnection);
    auto *row = new QGraphicsLinearLayout(Qt::Horizontal, m_contactHeader);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    m_avatar = new AvatarWidget;
    m_avatar->setInverted(true);
    m_avatar->setStyleName(thumbnail ? QStringLiteral("CommonThumbnail")
                                     : QStringLiteral("CommonMainIcon"));
    m_avatar->setFlag(QGraphicsItem::ItemIsFocusable, false);
    m_avatar->setFlag(QGraphicsItem::ItemIsSelectable, false);
    m_avatar->setAcceptedMouseButtons(Qt::NoButton);
    m_avatar->setAcceptTouchEvents(false);
    row->addItem(m_avatar);
    row->setAlignment(m_avatar, Qt::AlignVCenter);

    auto *texts = new QGraphicsLinearLayout(Qt::Vertical);
    texts->setContentsMargins(0, 0, 0, 0);
    texts->setSpacing(0);
    auto *top = new QGraphicsLinearLayout(Qt::Horizontal);
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);
    m_numberLabel = new MLabel;
    m_numberLabel->setTextFormat(Qt::PlainText);
    m_numberLabel->setTextElide(true);
    m_numberLabel->setAcceptedMouseButtons(Qt::NoButton);
    top->addItem(m_numberLabel);
    if (presence) {
        m_presenceIcon = new MImageWidget;
        m_presenceIcon->setStyleName(QStringLiteral("CallHistoryPresenceIcon"));
        m_presenceIcon->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::Fixed);
        top->addItem(m_presenceIcon);
        top->setAlignment(m_presenceIcon, Qt::AlignVCenter);
        auto *filler = new QGraphicsWidget;
        filler->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        top->addItem(filler);
    }
    texts->addItem(top);
    m_subtitleLabel = new SubtitleLabel(nullptr, m_numberLabel);
    m_subtitleLabel->setAcceptedMouseButtons(Qt::NoButton);
    texts->addItem(m_subtitleLabel);
    row->addItem(texts);
    row->setAlignment(texts, Qt::AlignVCenter);
    row->setStretchFactor(texts, 1);

    if (sideIcon) {
        m_sideIcon = new MImageWidget;
        m_sideIcon->setStyleName(QStringLiteral("CommonRightIcon"));
        m_sideIcon->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        row->addItem(m_sideIcon);
        row->setAlignment(m_sideIcon, Qt::AlignVCenter);
    }
    m_layout->addItem(m_contactHeader);
}

void ReturnCallDialog::addTitleHeader()
{
    auto *header = new MStylableWidget;
    header->setStyleName(QStringLiteral("CommonPanelInverted"));
    auto *grid = new QGraphicsGridLayout(header);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    m_titleLabel = new MLabel;
    m_titleLabel->setTextFormat(Qt::PlainText);
    m_titleLabel->setTextElide(true);
    m_titleLabel->setStyleName(QStringLiteral("CommonSingleTitleInverted"));
    grid->addItem(m_titleLabel, 0, 0, Qt::AlignLeft | Qt::AlignVCenter);
    m_sideIcon = new MImageWidget;
    m_sideIcon->setStyleName(QStringLiteral("CommonSubIcon"));
    m_sideIcon->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    grid->addItem(m_sideIcon, 0, 1, Qt::AlignCenter);
    grid->setColumnStretchFactor(0, 1);
    m_layout->addItem(header);
}

void ReturnCallDialog::addButtonRow(bool addContact, bool message)
{
    auto *buttons = new MStylableWidget;
    buttons->setStyleName(QStringLiteral("CallHistoryDialogButtonRow"));
    auto *row = new QGraphicsLinearLayout(Qt::Horizontal, buttons);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    const auto expandingSpacer = [row]() {
        // No style: nothing drawn, only room taken.
        auto *spacer = new QGraphicsWidget;
        spacer->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::Fixed);
        row->addItem(spacer);
    };
    m_callButton = new MButton;
    m_callButton->setIconID(QStringLiteral("icon-m-telephony-call"));
    connect(m_callButton, SIGNAL(clicked()), this, SLOT(onVoiceCall()), Qt::QueuedConnection);
    if (!addContact && !message) {
        m_callButton->setStyleName(QStringLiteral("CallHistoryDialogCall2Button"));
        expandingSpacer();
        row->addItem(m_callButton);
        expandingSpacer();
    } else {
        m_callButton->setStyleName(QStringLiteral("CallHistoryDialogCallButton"));
        row->addItem(m_callButton);
        expandingSpacer();
        if (addContact) {
            m_addContactButton = new MButton;
            m_addContactButton->setIconID(QStringLiteral("icon-m-telephony-add-contact"));
            m_addContactButton->setStyleName(QStringLiteral("CallHistoryDialogIcon2Button"));
            connect(m_addContactButton, SIGNAL(clicked()), this, SLOT(onOpenContactCard()),
                    Qt::QueuedConnection);
            row->addItem(m_addContactButton);
        }
        // Round buttons side by side stand apart.
        if (addContact && message)
            row->setItemSpacing(row->count() - 1, buttons->style().spacing);
        if (message) {
            m_messageButton = new MButton;
            m_messageButton->setIconID(QStringLiteral("icon-m-telephony-content-sms"));
            m_messageButton->setStyleName(QStringLiteral("CallHistoryDialogIconButton"));
            connect(m_messageButton, SIGNAL(clicked()), this, SLOT(onMessage()),
                    Qt::QueuedConnection);
            row->addItem(m_messageButton);
        }
    }
    for (int i = 0; i < row->count(); ++i)
        row->setAlignment(row->itemAt(i), Qt::AlignVCenter);
    m_layout->addItem(buttons);
}

QString ReturnCallDialog::number() const
{
    // An address reads left to right in every language, as numbers in display form do.
    return leftToRightRun(decodeSipUri(m_snapshot.displayNumber));
}

QString ReturnCallDialog::accountName() const
{
    return accountDisplayName(m_snapshot.accountPath);
}

QString ReturnCallDialog::balance() const
{
    return CallHistoryAccountsManager::instance()->accountCredits(m_snapshot.accountPath);
}

bool ReturnCallDialog::isCellular() const
{
    return isCellularAccount(m_snapshot.accountPath);
}

void ReturnCallDialog::setChatIcon()
{
    if (m_messageButton)
        m_messageButton->setIconID(QStringLiteral("icon-m-telephony-content-chat"));
}

void ReturnCallDialog::showPresence(bool shown)
{
    if (!m_presenceIcon)
        return;
    static const char *const icons[] = {nullptr,
                                        nullptr,
                                        "icon-s-common-presence-online",
                                        "icon-s-common-presence-busy",
                                        "icon-s-common-presence-away",
                                        "icon-s-common-presence-offline"};
    const int code = m_snapshot.presence;
    const char *icon = shown && code >= 0 && code <= 5 ? icons[code] : nullptr;
    if (icon) {
        m_presenceIcon->setStyleName(QStringLiteral("CallHistoryPresenceIcon"));
        m_presenceIcon->setImage(QLatin1String(icon));
    } else {
        m_presenceIcon->setStyleName(QStringLiteral("ZeroSizeWidget"));
        m_presenceIcon->setImage(QString());
    }
}

void ReturnCallDialog::setNumberLine(const QString &text)
{
    // The labels of the touch layer draw the separator of length variants as a character.
    m_numberLabel->setText(firstLengthVariant(text));
}

void ReturnCallDialog::setVideoCallLines()
{
    setNumberLine(qtTrId("qtn_call_video_call"));
    m_subtitleLabel->setText(accountName());
    if (m_sideIcon)
        m_sideIcon->setImage(QStringLiteral("icon-s-telephony-video-call"));
}

void ReturnCallDialog::updated(uint)
{
    CallHistoryItem *row = m_item;
    if (!row)
        return;
    if (row->eventId() != m_snapshot.eventId) {
        // The row was recycled for another call: this dialog stays with the call it was
        // opened for.
        disconnect(row, nullptr, this, nullptr);
        m_item = nullptr;
        return;
    }
    const Call call = row->shownCall();
    load(call);
    if (dialogType(call) != m_type) {
        m_actionPending = true;
        dismiss();
        return;
    }
    updateContent();
}

void ReturnCallDialog::onContactUpdated()
{
    CallHistoryContact *contact = m_contact;
    if (!contact)
        return;
    const int presence = contact->presence(m_snapshot.accountPath);
    const int numberType = contact->numberType(m_snapshot.remoteUid);
    const int count = contact->phoneNumberCount();
    const QString status = contact->statusMessage();
    if (status == m_snapshot.statusMessage && presence == m_snapshot.presence &&
        numberType == m_snapshot.numberType && count == m_snapshot.numberCount)
        return;
    m_snapshot.statusMessage = status;
    m_snapshot.presence = presence;
    m_snapshot.numberType = numberType;
    m_snapshot.numberCount = count;
    updateContent();
}

void ReturnCallDialog::startDismissTimer()
{
    m_dismissTimer.start();
}

void ReturnCallDialog::onVoiceCall()
{
    if (m_actionPending)
        return;
    m_actionPending = true;
    const bool video = m_snapshot.video && isVideoCallButtonEnabled();
    // A contact's id and name go with the call only for a single, known contact: the name of an
    // unknown caller is its number in display form, which is no name.
    const bool single = m_snapshot.contacts.size() == 1 && m_snapshot.contactId != 0;
    if (CallHistoryPage *page = PageManager::instance()->callHistoryPage())
        page->call(m_snapshot.accountPath, m_snapshot.remoteUid, single ? m_snapshot.contactId : 0,
                   single ? m_snapshot.name : QString(), video);
    startDismissTimer();
}

void ReturnCallDialog::onMessage()
{
    if (m_actionPending)
        return;
    m_actionPending = true;
    openConversation(m_snapshot.accountPath, m_snapshot.remoteUid);
    startDismissTimer();
}

void ReturnCallDialog::onOpenContactCard()
{
    if (m_actionPending || m_snapshot.numberClass == CallHistoryItem::EmergencyCall)
        return;
    m_actionPending = true;
    const int contacts = m_snapshot.contacts.size();
    if (contacts == 1) {
        openContactCard(m_snapshot.contactId);
        startDismissTimer();
        return;
    }
    if (contacts == 0) {
        accept();
        AddMergeDialog::openFor(m_snapshot.accountPath, m_snapshot.remoteUid);
        return;
    }
    // Built from the snapshot, not the row: the row may show another call by now.
    const QString fallback =
        m_snapshot.name == m_snapshot.remoteUid ? m_snapshot.displayNumber : m_snapshot.name;
    auto *sheet = new CallHistoryMultiContacts(ModelManager::instance()->model(),
                                               m_snapshot.eventId, fallback);
    accept();
    if (!sheet->hasContacts()) {
        // The call is gone or matches one contact at most by now: nothing to pick from.
        delete sheet;
        return;
    }
    connect(sheet, &MultiContactsSheet::contactPicked, sheet,
            [](QContactLocalId id) { openContactCard(id); });
    CallHistoryDialogManager::instance()->addDialog(sheet);
    sheet->appear(MSceneWindow::DestroyWhenDone);
}

void ReturnCallDialog::onDismissTimerExpired()
{
    if (!m_actionPending)
        return;
    m_actionPending = false;
    accept();
}

void ReturnCallDialog::onDisplayExited()
{
    if (!m_actionPending)
        return;
    m_actionPending = false;
    m_dismissTimer.stop();
    if (MSceneManager *manager = sceneManager())
        manager->dismissSceneWindowNow(this);
    accept();
}
