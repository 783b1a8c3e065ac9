#pragma once

#include "detailselectormodel.h"
#include "mdialog.h"

#include <QtContacts/QContact>

#include <QPointer>

class AvatarWidget;
class CallHistoryAccountsManager;
class CallHistoryContact;
class CallHistoryContactsManager;
class MImageWidget;
class MLabel;
class MList;
class MPannableViewport;

// The number picker: a pop-up listing every way of calling one address-book contact (each phone
// number over the cellular account, each online account that takes voice calls, each phone
// number over every VoIP account that can call numbers, each online account that takes video
// calls) and emitting call() for the row the user taps. A tap on the header asks for the
// contact's card instead (openContactCard()). An online account whose calling account does not
// exist on the phone is listed as such, once; a tap on it explains and calls nothing.
//
// It keeps itself current: it holds a reference to the contact's shared record, and every
// update of the record rebuilds the rows into a fresh model that is merged into the shown one,
// so rows keep their places and widgets and are never removed while the dialog is open. An
// update that leaves nothing to call is ignored; once the record is resolved, a dialog with no
// rows at all closes itself.
//
// The header shows the contact as the contacts list does: picture or initials, the name centred
// beside it when there is no status message.
//
// Limits: the voicemail contact is known by its fixed GUID. Balances are read when a row is
// drawn.
class DetailSelector : public MDialog
{
    Q_OBJECT
public:
    // The managers default to the application's (instance()); they must outlive the dialog.
    explicit DetailSelector(const QtContacts::QContact &contact,
                            CallHistoryContactsManager *contacts = nullptr,
                            CallHistoryAccountsManager *accounts = nullptr,
                            QGraphicsItem *parent = nullptr);
    ~DetailSelector() override;

    DetailSelectorModel *model() const { return m_model; }
    MList *list() const { return m_list; }
    MLabel *nameLabel() const { return m_nameLabel; }
    MLabel *subtitleLabel() const { return m_subtitleLabel; }
    AvatarWidget *avatar() const { return m_avatar; }
    QtContacts::QContact contactData() const { return m_contactData; }

Q_SIGNALS:
    void call(QString accountPath, QString accountId, quint32 localContactId, QString contactName,
              bool isVideoRequested);
    // The user tapped the header: the contact's card should open.
    void openContactCard(quint32 localContactId);

private Q_SLOTS:
    void onOpenContactCard();
    void onListItemClicked(const QModelIndex &index);
    void onUpdated();

private:
    void rebuild();
    void fitListHeight();
    void closeEmpty();
    void addCellularRows(DetailSelectorModel *model) const;
    void addVoiceAccountRows(DetailSelectorModel *model) const;
    void addVoipNumberRows(DetailSelectorModel *model) const;
    void addVideoRows(DetailSelectorModel *model) const;
    // The voicemail contact is known by its fixed GUID (fetched updates may not carry it).
    static bool isVoicemailContact(const QtContacts::QContact &contact);

    QPointer<DetailSelectorModel> m_model;
    QPointer<CallHistoryContact> m_contact;
    QtContacts::QContact m_contactData;
    AvatarWidget *m_avatar;
    MLabel *m_nameLabel;
    MLabel *m_subtitleLabel;
    MPannableViewport *m_viewport;
    MList *m_list;
    const bool m_isVoicemail;
    QPointer<CallHistoryContactsManager> m_contacts;
    QPointer<CallHistoryAccountsManager> m_accounts;
};
