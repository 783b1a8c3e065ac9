#include "callhistoryitem.h"

#include "accounthelpers.h"
#include "accountpaths.h"
#include "callhistoryaccountsmanager.h"
#include "callhistorycache.h"
#include "callhistorycontact.h"
#include "callhistorycontactsmanager.h"
#include "callhistorydialogmanager.h"
#include "callhistoryfilterproxymodel.h"
#include "callhistorylocale.h"
#include "callhistoryvoicemail.h"
#include "callmodel.h"
#include "displaytext.h"
#include "event.h"
#include "informationbanner.h"
#include "maction.h"
#include "mcommonlabelhighlighter.h"
#include "mimagewidget.h"
#include "mlabel.h"
#include "mlist.h"
#include "mobjectmenu.h"
#include "modelmanager.h"
#include "phonenumbers.h"
#include "returncalldialog.h"

#include <QClipboard>
#include <QGraphicsGridLayout>
#include <QGraphicsLinearLayout>
#include <QGraphicsSceneMouseEvent>
#include <QGuiApplication>
#include <QRegExp>

#include <limits>

namespace {
const QString PlainTitleStyle = QStringLiteral("CommonTitle");
const QString AccentedTitleStyle = QStringLiteral("CommonTitleAccented");
const QString PresenceStyle = QStringLiteral("CallHistoryPresenceIcon");
const QString ZeroStyle = QStringLiteral("ZeroSizeWidget");

// Characters of a written phone number; a title made only of them is shown as a number.
const QRegExp &notNumberCharacter()
{
    static const QRegExp rx(QStringLiteral("[^\\d#pwx, /\\(\\)\\.\\-\\*\\+]"), Qt::CaseInsensitive);
    return rx;
}

QString durationText(qint64 seconds)
{
    seconds = qMax<qint64>(0, seconds);
    const QLatin1Char zero('0');
    if (seconds < 3600)
        return QStringLiteral("%L1:%L2")
            .arg(seconds / 60, 2, 10, zero)
            .arg(seconds % 60, 2, 10, zero);
    return QStringLiteral("%L1:%L2:%L3")
        .arg(seconds / 3600)
        .arg((seconds % 3600) / 60, 2, 10, zero)
        .arg(seconds % 60, 2, 10, zero);
}
} // namespace

CallHistoryItem::CallHistoryItem(CallHistoryFilterProxyModel *filterModel, MList *list)
    : MListItem(list), m_titleLabel(new MLabel), m_subtitleLabel(new MLabel),
      m_presenceIcon(new MImageWidget), m_directionIcon(new MImageWidget),
      m_filterModel(filterModel)
{
    setStyleName(QStringLiteral("CommonPanel"));
    auto *grid = new QGraphicsGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);

    m_titleLabel->setStyleName(PlainTitleStyle);
    m_titleLabel->setTextFormat(Qt::PlainText);
    m_titleLabel->setTextElide(true);
    m_titleLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_titleLabel->setAcceptedMouseButtons(Qt::NoButton);
    m_titleLabel->setAcceptTouchEvents(false);
    m_titleLabel->setFocusPolicy(Qt::NoFocus);
    grid->addItem(m_titleLabel, 0, 0);

    auto *subtitleRow = new QGraphicsLinearLayout(Qt::Horizontal);
    subtitleRow->setContentsMargins(0, 0, 0, 0);
    subtitleRow->setSpacing(0);
    m_subtitleLabel->setStyleName(QStringLiteral("CommonSubTitle"));
    m_subtitleLabel->setTextFormat(Qt::PlainText);
    m_subtitleLabel->setWordWrap(false);
    m_subtitleLabel->setTextElide(true);
    m_subtitleLabel->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::Fixed);
    m_presenceIcon->setStyleName(ZeroStyle);
    subtitleRow->addItem(m_subtitleLabel);
    subtitleRow->addItem(m_presenceIcon);
    subtitleRow->setAlignment(m_presenceIcon, Qt::AlignVCenter);
    subtitleRow->addStretch();
    grid->addItem(subtitleRow, 1, 0);

    m_directionIcon->setStyleName(QStringLiteral("CommonRightIcon"));
    grid->addItem(m_directionIcon, 0, 2, 2, 1, Qt::AlignRight | Qt::AlignVCenter);
    grid->setColumnStretchFactor(1, 1);
    setLayout(grid);

    m_durationAction = new MAction(this);
    m_copyAction = new MAction(this);
    m_deleteAction = new MAction(this);
    m_deleteAllAction = new MAction(this);
    updateMenuTexts();
    for (MAction *a : {m_durationAction, m_copyAction, m_deleteAction, m_deleteAllAction}) {
        a->setLocation(MAction::ObjectMenuLocation);
        addAction(a);
    }
    connect(m_copyAction, SIGNAL(triggered()), this, SLOT(onObjectMenuCopyNumberTriggered()),
            Qt::QueuedConnection);
    connect(m_deleteAction, SIGNAL(triggered()), this, SLOT(onObjectMenuDeleteTriggered()),
            Qt::QueuedConnection);
    connect(m_deleteAllAction, SIGNAL(triggered()), this, SLOT(onObjectMenuDeleteAllTriggered()),
            Qt::QueuedConnection);

    // The menu is a pop-up like the others: a page switch closes it, and it is one at a time.
    connect(this, &MListItem::objectMenuShown, this,
            [](MObjectMenu *menu) { CallHistoryDialogManager::instance()->addDialog(menu); });
    // The tap is bound to the call it was made on before its handling is queued.
    connect(this, &MListItem::clicked, this, [this]() { m_taps.append(targetCall()); });
    connect(this, SIGNAL(clicked()), this, SLOT(onClicked()), Qt::QueuedConnection);
    if (m_filterModel)
        connect(m_filterModel, SIGNAL(filterChanged(QPointer<MCommonLabelHighlighter>)), this,
                SLOT(onFilterChanged(QPointer<MCommonLabelHighlighter>)));
    connect(CallHistoryLocale::instance(), SIGNAL(timeSettingsChanged()), this,
            SLOT(onTimeSettingsChanged()));
    connect(CallHistoryVoicemail::instance(), SIGNAL(voicemailChanged()), this,
            SLOT(onVoicemailChanged()));
}

CallHistoryItem::~CallHistoryItem()
{
    dropContact();
}

bool CallHistoryItem::isCellular() const
{
    return isCellularAccount(m_localUid);
}

CallHistoryItem::PressedCall CallHistoryItem::shownCall() const
{
    PressedCall call;
    call.eventId = m_eventId;
    call.localUid = m_localUid;
    call.remoteUid = m_remoteUid;
    call.title = m_title;
    call.direction = m_direction;
    call.read = m_read;
    call.numberClass = m_numberClass;
    call.contacts = m_contacts;
    call.startTime = m_startTime;
    call.endTime = m_endTime;
    call.video = m_video;
    call.statusMessage = m_statusMessage;
    call.presence = m_presence;
    call.numberType = m_numberType;
    call.numberCount = m_numberCount;
    return call;
}

QList<MAction *> CallHistoryItem::menuActions() const
{
    return {m_durationAction, m_copyAction, m_deleteAction, m_deleteAllAction};
}

void CallHistoryItem::fill(const QModelIndex &index)
{
    const CommHistory::Event event = index.data(Qt::UserRole).value<CommHistory::Event>();
    if (!event.isValid() || event.type() != CommHistory::Event::CallEvent)
        return;
    // The menu belongs to the call it was opened for: it goes when the row shows another one.
    if (event.id() != m_eventId && objectMenu())
        objectMenu()->dismiss();
    m_eventId = event.id();

    if (event.localUid() != m_localUid) {
        m_localUid = event.localUid();
        m_changes |= ContactRefresh | Subtitle;
    }
    if (event.remoteUid() != m_remoteUid) {
        m_remoteUid = event.remoteUid();
        m_changes |= ContactRefresh | Subtitle;
    }

    QString title;
    int numberClass = OtherNumber;
    const QList<CommHistory::Event::Contact> contacts = event.contacts();
    if (event.isEmergencyCall()) {
        title = qtTrId("qtn_call_type_emergency");
        numberClass = EmergencyCall;
    } else if (isEmptyText(m_remoteUid)) {
        title = qtTrId("qtn_call_type_private");
        numberClass = PrivateNumber;
    } else if (CallHistoryVoicemail::instance()->isVoicemailNumber(m_remoteUid)) {
        title = qtTrId("qtn_call_type_voicemail");
        numberClass = VoicemailNumber;
    } else {
        if (contacts.size() == 1)
            title = contacts.first().second;
        if (title.isEmpty())
            title = decodeSipUri(m_remoteUid);
    }
    if (title != m_title) {
        m_title = title;
        m_changes |= TitleText;
    }
    if (numberClass != m_numberClass) {
        m_numberClass = numberClass;
        m_changes |= Subtitle | PresenceIcon;
    }

    // Times are compared as stored seconds: building local times on every refill is what costs.
    // A missing time stands for now, so it is looked at on every fill.
    const qint64 startT = event.startTimeT(), endT = event.endTimeT();
    const qint64 noTime = std::numeric_limits<qint64>::min(); // the store's "no time"
    if (startT != m_startT || endT != m_endT || startT == noTime || endT == noTime ||
        m_startTime.isNull()) {
        m_startT = startT;
        m_endT = endT;
        const QDateTime now = QDateTime::currentDateTime();
        const QDateTime start = event.startTime().isNull() ? now : event.startTime();
        const QDateTime end = event.endTime().isNull() ? now : event.endTime();
        if (start != m_startTime || end != m_endTime) {
            m_startTime = start;
            m_endTime = end;
            m_changes |= Subtitle;
        }
    }

    int direction = 3;
    if (event.direction() == CommHistory::Event::Outbound)
        direction = 1;
    else if (event.direction() == CommHistory::Event::Inbound && event.isMissedCall())
        direction = 2;
    if (direction != m_direction) {
        m_direction = direction;
        m_changes |= TitleText | TitleStyle | DirectionIcon;
    }
    if (event.isVideoCall() != m_video) {
        m_video = event.isVideoCall();
        m_changes |= Subtitle;
    }
    if (event.isRead() != m_read) {
        m_read = event.isRead();
        m_changes |= TitleStyle;
    }
    if (event.eventCount() != m_eventCount) {
        m_eventCount = event.eventCount();
        m_changes |= TitleText;
    }

    QList<Contact> list;
    for (const CommHistory::Event::Contact &c : contacts)
        list.append(Contact(c.first, c.second));
    setContacts(list);
    applyChanges();
}

void CallHistoryItem::setContacts(const QList<Contact> &contacts)
{
    // The same contacts again change nothing: a row refilled with its own event is not redrawn.
    if (contacts == m_contacts && (m_contact || contacts.size() != 1))
        return;
    dropContact();
    if (contacts.size() != m_contacts.size())
        m_changes |= PresenceIcon;
    m_contacts = contacts;

    if (!hasSingleContact() || m_panning) {
        m_statusMessage.clear();
        if (m_presence != 0) {
            m_presence = 0;
            m_changes |= PresenceIcon;
        }
        const QSharedPointer<CallHistoryCacheItem> cached =
            CallHistoryCache::instance()->cacheItem(m_eventId);
        const int type = cached ? int(cached->numberType) : 0;
        const int count = cached ? cached->numberCount : 0;
        if (type != m_numberType) {
            m_numberType = type;
            m_changes |= Subtitle | PresenceIcon;
        }
        if (cached && cached->presence != m_presence) {
            m_presence = cached->presence;
            m_changes |= PresenceIcon;
        }
        if (count != m_numberCount) {
            m_numberCount = count;
            m_changes |= Subtitle;
        }
    } else {
        resolveContact();
    }
    m_changes |= ContactRefresh | Subtitle;
}

void CallHistoryItem::resolveContact()
{
    if (!hasSingleContact() || m_contact)
        return;
    m_contact = CallHistoryContactsManager::instance()->acquireContact(m_contacts.first().first);
    if (!m_contact)
        return;
    connect(m_contact, SIGNAL(updated()), this, SLOT(onUpdated()));
    if (m_contact->isResolved())
        refreshFromContact();
}

void CallHistoryItem::dropContact()
{
    if (!m_contact)
        return;
    disconnect(m_contact, nullptr, this, nullptr);
    m_contact->release();
    m_contact = nullptr;
}

bool CallHistoryItem::refreshFromContact()
{
    if (!m_contact || !m_contact->isResolved())
        return false;
    const int p = m_contact->presence(m_localUid);
    const int t = m_contact->numberType(m_remoteUid);
    const int n = m_contact->phoneNumberCount();
    if (m_contact->statusMessage() == m_statusMessage && p == m_presence && t == m_numberType &&
        n == m_numberCount)
        return false;
    m_statusMessage = m_contact->statusMessage();
    if (t != m_numberType) {
        m_numberType = t;
        m_changes |= Subtitle | PresenceIcon;
    }
    if (p != m_presence) {
        m_presence = p;
        m_changes |= PresenceIcon;
    }
    if (n != m_numberCount) {
        m_numberCount = n;
        m_changes |= Subtitle;
    }
    CallHistoryCache::instance()->setContactInfo(m_eventId, CallHistoryContact::NumberType(t),
                                                 CallHistoryContact::PresenceCode(p), n);
    return true;
}

void CallHistoryItem::onUpdated()
{
    if (refreshFromContact())
        applyChanges();
}

void CallHistoryItem::applyChanges()
{
    if (m_changes & ContactRefresh)
        refreshFromContact();
    // The refresh may have added parts to redraw.
    const uint all = m_changes;
    m_changes = 0;
    if (all & TitleText)
        drawTitleText();
    if (all & TitleStyle)
        drawTitleStyle();
    if (all & DirectionIcon)
        drawDirectionIcon();
    if (all & Subtitle)
        drawSubtitle();
    if (all & PresenceIcon)
        drawPresenceIcon();
    Q_EMIT updated(all);
}

QString CallHistoryItem::titleText(const QString &suffix) const
{
    // The suffix (a count) goes after the number, not into it: the number alone is grouped.
    QString title = m_title;
    const bool usableContact = hasSingleContact() && m_contacts.first().first != 0;
    if (!usableContact && m_title == m_remoteUid) {
        title = stripBidiMarks(title);
        if (isCellular() || notNumberCharacter().indexIn(title) == -1)
            title = numberForDisplay(title);
    }
    return title + suffix;
}

void CallHistoryItem::drawTitleText()
{
    ++m_redraws;
    QString suffix;
    if (m_eventCount > 1 && m_direction == 2)
        suffix = QStringLiteral(" (%L2)").arg(m_eventCount);
    const QString text = titleText(suffix);
    m_titleLabel->setText(m_titleLabel->textFormat() == Qt::RichText ? text.toHtmlEscaped() : text);
}

void CallHistoryItem::drawTitleStyle()
{
    const QString style = (m_direction == 2 && !m_read) ? AccentedTitleStyle : PlainTitleStyle;
    if (m_titleLabel->styleName() != style) {
        ++m_redraws;
        m_titleLabel->setStyleName(style);
    }
}

void CallHistoryItem::drawDirectionIcon()
{
    const QString icon = m_direction == 1 ? QStringLiteral("icon-m-telephony-callhistory-initiated")
                         : m_direction == 2
                             ? QStringLiteral("icon-m-telephony-callhistory-missed")
                             : QStringLiteral("icon-m-telephony-callhistory-received");
    if (m_directionIcon->image() == icon)
        return;
    ++m_redraws;
    m_directionIcon->setImage(icon);
    // Missed calls stand out in the style's accent colour.
    m_directionIcon->setTint(m_direction == 2 ? m_directionIcon->style().accentColor : QColor());
}

void CallHistoryItem::drawSubtitle()
{
    ++m_redraws;
    QString text;
    if (const QSharedPointer<CallHistoryCacheItem> cached =
            CallHistoryCache::instance()->cacheItem(m_eventId))
        text = cached->text;
    const QString bar = QStringLiteral(" | %1");
    if (!isCellular()) {
        const QString account = accountDisplayName(m_localUid);
        if (!account.isEmpty())
            text += bar.arg(account);
    }
    if (hasSingleContact() && !m_remoteUid.isEmpty() && (m_numberCount > 1 || !isCellular())) {
        QString type;
        switch (m_numberType) {
        case 1:
            type = qtTrId("qtn_comm_type_mobile");
            break;
        case 2:
            type = qtTrId("qtn_comm_type_work");
            break;
        case 3:
            type = qtTrId("qtn_comm_type_home");
            break;
        case 4:
            type = qtTrId("qtn_comm_type_fax");
            break;
        case 5:
            type = qtTrId("qtn_cont_type_other");
            break;
        default:
            break;
        }
        if (!type.isEmpty())
            text += bar.arg(type);
    }
    if (m_contacts.size() >= 2)
        text += bar.arg(
            lastLengthVariant(qtTrId("qtn_call_multiple_contact_number", m_contacts.size())));
    if (m_video)
        text += bar.arg(lastLengthVariant(qtTrId("qtn_call_video_call")));
    m_subtitleLabel->setText(text);
}

void CallHistoryItem::drawPresenceIcon()
{
    QString icon;
    if (m_numberClass == OtherNumber && hasSingleContact() &&
        (m_numberType == 6 || m_numberType == 0)) {
        switch (m_presence) {
        case 2:
            icon = QStringLiteral("icon-s-common-presence-online");
            break;
        case 3:
            icon = QStringLiteral("icon-s-common-presence-busy");
            break;
        case 4:
            icon = QStringLiteral("icon-s-common-presence-away");
            break;
        case 5:
            icon = QStringLiteral("icon-s-common-presence-offline");
            break;
        default:
            break;
        }
    }
    const QString style = icon.isEmpty() ? ZeroStyle : PresenceStyle;
    if (m_presenceIcon->styleName() != style) {
        ++m_redraws;
        m_presenceIcon->setStyleName(style);
        m_presenceIcon->setImage(icon);
    } else if (m_presenceIcon->image() != icon) {
        ++m_redraws;
        m_presenceIcon->setImage(icon);
    }
}

void CallHistoryItem::onClicked()
{
    const PressedCall call = m_taps.isEmpty() ? shownCall() : m_taps.takeFirst();
    if (CallHistoryDialogManager::instance()->hasDialogs())
        return;
    if (call.direction == 2 && !call.read) {
        CommHistory::CallModel *model = ModelManager::instance()->model();
        CommHistory::Event event = model->event(model->findEvent(call.eventId));
        if (event.isValid()) {
            event.setIsRead(true);
            model->modifyEvent(event);
        }
    }
    if (call.numberClass == PrivateNumber) {
        showInformationBanner(qtTrId("qtn_call_not_allowed"));
        return;
    }
    if (!isCellularAccount(call.localUid) &&
        !CallHistoryAccountsManager::instance()->hasAccount(call.localUid, true)) {
        showInformationBanner(qtTrId("qtn_comm_share_disabled_account"));
        return;
    }
    // Made from the pressed call: the row may show another call by now.
    if (ReturnCallDialog *dialog = ReturnCallDialog::create(this, call)) {
        CallHistoryDialogManager::instance()->addDialog(dialog);
        dialog->appear(MSceneWindow::DestroyWhenDone);
    }
}

void CallHistoryItem::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressed = shownCall();
        m_pressing = true;
    }
    MListItem::mousePressEvent(event);
}

void CallHistoryItem::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    // A tap is emitted from here, still bound to the pressed call.
    MListItem::mouseReleaseEvent(event);
    m_pressing = false;
}

void CallHistoryItem::ungrabMouseEvent(QEvent *event)
{
    MListItem::ungrabMouseEvent(event);
    m_pressing = false;
}

void CallHistoryItem::contextMenuEvent(QGraphicsSceneContextMenuEvent *)
{
    m_menuCall = targetCall();
    const PressedCall &call = m_menuCall;
    m_durationAction->setVisible(call.direction != 2);
    updateMenuTexts();
    const bool cellular = isCellularAccount(call.localUid);
    m_copyAction->setVisible(call.contacts.isEmpty() &&
                             (cellular || isPhoneNumber(call.remoteUid)) &&
                             call.numberClass == OtherNumber);
}

void CallHistoryItem::updateMenuTexts()
{
    // While the translations are being replaced (a change of language), or before they are
    // installed, the text is the bare id, which takes no argument.
    const PressedCall call = menuCall();
    const QString duration = qtTrId("qtn_call_duration");
    m_durationAction->setText(duration.contains(QLatin1String("%1"))
                                  ? duration.arg(durationText(call.startTime.secsTo(call.endTime)))
                                  : duration);
    m_copyAction->setText(qtTrId("qtn_call_copy_number"));
    m_deleteAction->setText(qtTrId("qtn_comm_delete"));
    m_deleteAllAction->setText(qtTrId("qtn_call_log_empty"));
}

void CallHistoryItem::retranslateUi()
{
    // An open menu shows its actions' texts: it follows them.
    updateMenuTexts();
    MListItem::retranslateUi();
}

void CallHistoryItem::onObjectMenuCopyNumberTriggered()
{
    const PressedCall call = menuCall();
    // The number as it is dialled: no display marks or localized digits on the clipboard.
    const QString number =
        isCellularAccount(call.localUid) ? call.remoteUid : phoneNumberFromAddress(call.remoteUid);
    QGuiApplication::clipboard()->setText(number, QClipboard::Clipboard);
    showInformationBanner(qtTrId("qtn_call_number_copied"));
}

void CallHistoryItem::onObjectMenuDeleteTriggered()
{
    Q_EMIT objectMenuDeleteTriggered(this);
}

void CallHistoryItem::onObjectMenuDeleteAllTriggered()
{
    Q_EMIT objectMenuDeleteAllTriggered();
}

void CallHistoryItem::onFilterChanged(QPointer<MCommonLabelHighlighter> highlighter)
{
    m_titleLabel->removeAllHighlighters();
    m_subtitleLabel->removeAllHighlighters();
    if (highlighter)
        m_titleLabel->addHighlighter(highlighter);
    const Qt::TextFormat format = highlighter ? Qt::RichText : Qt::PlainText;
    if (format != m_titleLabel->textFormat()) {
        m_titleLabel->setTextFormat(format);
        drawTitleText();
    }
}

void CallHistoryItem::onTimeSettingsChanged()
{
    drawSubtitle();
}

void CallHistoryItem::onVoicemailChanged()
{
    if (!CallHistoryVoicemail::instance()->isVoicemailNumber(m_remoteUid))
        return;
    const QString title = qtTrId("qtn_call_type_voicemail");
    if (title != m_title) {
        m_title = title;
        m_changes |= TitleText;
    }
    if (m_numberClass != VoicemailNumber) {
        m_numberClass = VoicemailNumber;
        m_changes |= Subtitle | PresenceIcon;
    }
}

void CallHistoryItem::onPanningStarted()
{
    m_panning = true;
}

void CallHistoryItem::onPanningStopped()
{
    m_panning = false;
    resolveContact();
    // A contact that was resolved already has just refreshed the row's details: draw them.
    if (m_changes && m_eventId >= 0)
        applyChanges();
}
