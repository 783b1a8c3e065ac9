#include "detailselector.h"

#include "avatarwidget.h"
#include "callhistoryaccount.h"
#include "callhistoryaccountsmanager.h"
#include "callhistorycontact.h"
#include "callhistorycontactsmanager.h"
#include "contactsengine.h"
#include "detailselectorcellcreator.h"
#include "detailselectormodel.h"
#include "displaytext.h"
#include "informationbanner.h"
#include "mimagewidget.h"
#include "mlabel.h"
#include "mlist.h"
#include "mlistitem.h"
#include "mpannableviewport.h"
#include "mseparator.h"
#include "phonenumbers.h"
#include "videocalls.h"
#include "voicemailstore.h"

#include <QtContacts/QContactGuid>
#include <QtContacts/QContactOnlineAccount>
#include <QtContacts/QContactPhoneNumber>

#include <QGraphicsGridLayout>
#include <QGraphicsLinearLayout>
#include <QWidget>

using namespace QtContacts;

namespace {
const QString CellularPath = QStringLiteral("/org/freedesktop/Telepathy/Account/pulse/tel/pulse");
const QString AudioCalls = QStringLiteral("AudioCalls");
const QString VideoCalls = QStringLiteral("VideoCalls");
// Rows shown at most before the list pans.
const qreal VisibleRows = 5.5;

// The translated kind of a phone number: a mobile or fax subtype wins over a home or work
// context; the first of each found decides.
QString kindText(const QContactPhoneNumber &number)
{
    const char *id = "qtn_cont_type_other";
    for (int context : number.contexts()) {
        if (context == QContactDetail::ContextHome) {
            id = "qtn_comm_type_home";
            break;
        }
        if (context == QContactDetail::ContextWork) {
            id = "qtn_comm_type_work";
            break;
        }
    }
    for (int subType : number.subTypes()) {
        if (subType == QContactPhoneNumber::SubTypeMobile) {
            id = "qtn_comm_type_mobile";
            break;
        }
        if (subType == QContactPhoneNumber::SubTypeFax) {
            id = "qtn_comm_type_fax";
            break;
        }
    }
    return qtTrId(id);
}

QString presenceIcon(CallHistoryContact::PresenceCode code)
{
    switch (code) {
    case CallHistoryContact::PresenceAvailable:
        return QStringLiteral("icon-s-common-presence-online");
    case CallHistoryContact::PresenceBusy:
        return QStringLiteral("icon-s-common-presence-busy");
    case CallHistoryContact::PresenceAway:
        return QStringLiteral("icon-s-common-presence-away");
    case CallHistoryContact::PresenceOffline:
        return QStringLiteral("icon-s-common-presence-offline");
    default:
        return QString();
    }
}

QString accountPathOf(const QContactOnlineAccount &account)
{
    return account.value(QContactOnlineAccount__FieldAccountPath).toString();
}

// Whether the contact has anything to call: a phone number or a voice-capable online account.
bool hasCallableDetail(const QContact &contact)
{
    if (!contact.details<QContactPhoneNumber>().isEmpty())
        return true;
    for (const QContactOnlineAccount &account : contact.details<QContactOnlineAccount>())
        if (account.capabilities().contains(AudioCalls))
            return true;
    return false;
}
} // namespace

DetailSelector::DetailSelector(const QContact &contact, CallHistoryContactsManager *contacts,
                               CallHistoryAccountsManager *accounts, QGraphicsItem *parent)
    : MDialog(parent), m_contactData(contact), m_avatar(new AvatarWidget), m_nameLabel(new MLabel),
      m_subtitleLabel(new MLabel), m_viewport(new MPannableViewport), m_list(new MList),
      m_isVoicemail(isVoicemailContact(contact)),
      m_contacts(contacts ? contacts : CallHistoryContactsManager::instance()),
      m_accounts(accounts ? accounts : CallHistoryAccountsManager::instance())
{
    auto *layout = new QGraphicsLinearLayout(Qt::Vertical);
    // Room below the list, so that the last row's divider stays clear of the card's corners.
    layout->setContentsMargins(0, 0, 0, 12);
    layout->setSpacing(0);
    centralWidget()->setLayout(layout);

    auto *header = new MListItem;
    header->setStyleName(QStringLiteral("CommonPanelInverted"));
    auto *grid = new QGraphicsGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    m_avatar->setStyleName(QStringLiteral("CommonThumbnail"));
    m_avatar->setInverted(true);
    m_avatar->setFocusPolicy(Qt::NoFocus);
    m_avatar->setAcceptedMouseButtons(Qt::NoButton);
    m_avatar->setAcceptTouchEvents(false);
    grid->addItem(m_avatar, 0, 0, 2, 1, Qt::AlignCenter);
    m_nameLabel->setTextElide(true);
    m_nameLabel->setTextFormat(Qt::PlainText);
    m_nameLabel->setStyleName(QStringLiteral("CommonTitleInverted"));
    grid->addItem(m_nameLabel, 0, 1, Qt::AlignLeft | Qt::AlignVCenter);
    m_subtitleLabel->setTextElide(true);
    m_subtitleLabel->setTextFormat(Qt::PlainText);
    m_subtitleLabel->setStyleName(QStringLiteral("CommonSubTitleInverted"));
    grid->addItem(m_subtitleLabel, 1, 1, Qt::AlignLeft | Qt::AlignVCenter);
    grid->setColumnStretchFactor(1, 1);
    header->setLayout(grid);
    connect(header, &MListItem::clicked, this, &DetailSelector::onOpenContactCard,
            Qt::QueuedConnection);
    layout->addItem(header);

    auto *separator = new MSeparator;
    separator->setStyleName(QStringLiteral("CommonItemDividerInverted"));
    layout->addItem(separator);

    m_model = new DetailSelectorModel(this);

    m_viewport->setStyleName(QStringLiteral("MDialogContentsViewport"));
    m_viewport->setPanDirection(Qt::Vertical);
    m_list->setCellCreator(new DetailSelectorCellCreator(m_accounts));
    m_list->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_list->setItemModel(m_model);
    connect(m_list, &MList::itemClicked, this, &DetailSelector::onListItemClicked,
            Qt::QueuedConnection);
    m_viewport->setWidget(m_list);
    layout->addItem(m_viewport);
    // The title is set once the contents are in place, so that it goes above them.
    setTitle(qtTrId("qtn_call_contact_picker_dialog_title"));

    rebuild();

    const QContactLocalId id = ContactsEngine::toLocalId(contact.id());
    if (id && m_contacts) {
        m_contact = m_contacts->acquireContact(id);
        if (m_contact->isResolved())
            onUpdated();
        connect(m_contact, &CallHistoryContact::updated, this, &DetailSelector::onUpdated);
    }
}

DetailSelector::~DetailSelector()
{
    if (m_contact)
        m_contact->release();
}

bool DetailSelector::isVoicemailContact(const QContact &contact)
{
    const QString guid = contact.detail<QContactGuid>().guid();
    return !guid.isEmpty() && guid == QLatin1String(VoicemailStore::voicemailContactGUID);
}

void DetailSelector::rebuild()
{
    if (m_isVoicemail)
        m_avatar->setImage(QStringLiteral("icon-m-telephony-contact-voicemail"));
    else
        m_avatar->setContact(m_contactData);
    m_nameLabel->setText(m_contacts
                             ? m_contacts->displayLabel(m_contactData)
                             : ContactsEngine::synthesizedContactDisplayLabel(m_contactData));
    const QString status = CallHistoryContact::presenceMessage(m_contactData);
    m_subtitleLabel->setText(status);
    // Without a status message the name stands alone, in the middle beside the avatar.
    m_subtitleLabel->setMaximumHeight(status.isEmpty() ? 0 : QWIDGETSIZE_MAX);

    DetailSelectorModel fresh;
    addCellularRows(&fresh);
    addVoiceAccountRows(&fresh);
    addVoipNumberRows(&fresh);
    addVideoRows(&fresh);
    m_model->mergeFrom(fresh);
    fitListHeight();

    if (m_model->rowCount() == 0 && m_contact && m_contact->isResolved())
        closeEmpty();
}

void DetailSelector::closeEmpty()
{
    // Queued: during construction the dialog has not appeared yet.
    QMetaObject::invokeMethod(
        this, [this]() { dismiss(); }, Qt::QueuedConnection);
}

void DetailSelector::fitListHeight()
{
    const qreal rowHeight = m_list->cellCreator()->cellSize().height();
    const qreal height = qMin<qreal>(m_model->rowCount(), VisibleRows) * rowHeight;
    m_viewport->setMinimumHeight(height);
    m_viewport->setPreferredHeight(height);
    m_viewport->setMaximumHeight(height);
}

void DetailSelector::addCellularRows(DetailSelectorModel *model) const
{
    for (const QContactPhoneNumber &number : m_contactData.details<QContactPhoneNumber>()) {
        DetailEntry entry;
        entry.accountPath = CellularPath;
        entry.image = QStringLiteral("icon-m-telephony-second-call");
        entry.type = kindText(number);
        entry.displayName = number.number();
        entry.isPhone = true;
        model->addItem(entry);
    }
}

void DetailSelector::addVoiceAccountRows(DetailSelectorModel *model) const
{
    for (const QContactOnlineAccount &account : m_contactData.details<QContactOnlineAccount>()) {
        if (!account.capabilities().contains(AudioCalls))
            continue;
        DetailEntry entry;
        entry.accountPath = accountPathOf(account);
        entry.displayName = account.accountUri();
        if (m_accounts && !m_accounts->hasAccount(entry.accountPath, false)) {
            // An address book brought from another phone may name accounts this one lacks.
            entry.image = QStringLiteral("icon-m-telephony-account-missing");
            entry.type = qtTrId("qtn_call_account_missing");
            entry.missingAccount = true;
            model->addItem(entry);
            continue;
        }
        if (m_accounts) {
            entry.image = m_accounts->accountIcon(entry.accountPath);
            entry.type = m_accounts->accountServiceName(entry.accountPath);
        }
        entry.presenceState =
            presenceIcon(CallHistoryContact::presenceOfDetail(account, m_contactData));
        model->addItem(entry);
    }
}

void DetailSelector::addVoipNumberRows(DetailSelectorModel *model) const
{
    if (!m_accounts)
        return;
    const QList<CallHistoryAccount *> accounts = m_accounts->accounts(true, true, false);
    const QList<QContactPhoneNumber> numbers = m_contactData.details<QContactPhoneNumber>();
    for (const CallHistoryAccount *account : accounts) {
        const QString service = m_accounts->accountServiceName(account->path());
        QString label = service;
        for (const CallHistoryAccount *other : accounts) {
            if (other != account && m_accounts->accountServiceName(other->path()) == service) {
                label = QStringLiteral("%1 (%2)").arg(
                    ownDirectionRun(m_accounts->accountName(account->path())), service);
                break;
            }
        }
        for (const QContactPhoneNumber &number : numbers) {
            if (!account->acceptLocalPhoneNumbers() && !isInternationalNumber(number.number()))
                continue;
            DetailEntry entry;
            entry.accountPath = account->path();
            entry.image = account->iconName();
            entry.type = argWithLengthVariants(QStringLiteral("%1 | %2"), label, kindText(number));
            entry.displayName = number.number();
            entry.showCredits = true;
            entry.isPhone = true;
            model->addItem(entry);
        }
    }
}

void DetailSelector::addVideoRows(DetailSelectorModel *model) const
{
    if (!m_accounts || !isVideoCallButtonEnabled())
        return;
    for (const QContactOnlineAccount &account : m_contactData.details<QContactOnlineAccount>()) {
        const QString path = accountPathOf(account);
        if (m_accounts->isVideoCallUnavailable(path) ||
            !account.capabilities().contains(VideoCalls))
            continue;
        DetailEntry entry;
        entry.accountPath = path;
        entry.image = QStringLiteral("icon-m-telephony-video-call-button-selected");
        entry.type =
            argWithLengthVariants(QStringLiteral("%1 | %2"), m_accounts->accountServiceName(path),
                                  qtTrId("qtn_call_video_call"));
        entry.displayName = account.accountUri();
        entry.isVideoCall = true;
        model->addItem(entry);
    }
}

void DetailSelector::onListItemClicked(const QModelIndex &index)
{
    if (!m_model || index.model() != m_model)
        return;
    const DetailEntry entry =
        DetailEntry::fromMap(m_model->data(index, DetailSelectorModel::EntryRole).toMap());
    if (entry.missingAccount) {
        // Nothing to call with: say why, and leave the other ways open.
        showInformationBanner(qtTrId("qtn_call_account_missing_info"));
        return;
    }
    accept();
    if (entry.displayName.isEmpty())
        return;
    const QString name = m_contacts ? m_contacts->displayLabel(m_contactData)
                                    : ContactsEngine::synthesizedContactDisplayLabel(m_contactData);
    Q_EMIT call(entry.accountPath, entry.displayName, ContactsEngine::toLocalId(m_contactData.id()),
                name, entry.isVideoCall);
}

void DetailSelector::onOpenContactCard()
{
    accept();
    const QContactLocalId id =
        m_contact ? m_contact->localId() : ContactsEngine::toLocalId(m_contactData.id());
    if (id)
        Q_EMIT openContactCard(id);
}

void DetailSelector::onUpdated()
{
    if (!m_contact)
        return;
    const QContact resolved = m_contact->contact();
    if (!hasCallableDetail(resolved)) {
        // The old list stays; but a contact that never had anything to call would leave an
        // empty dialog open.
        if (m_model->rowCount() == 0)
            closeEmpty();
        return;
    }
    m_contactData = resolved;
    rebuild();
}
