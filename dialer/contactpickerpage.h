#pragma once

#include "page.h"
#include "voicemail.h"

#include <QtContacts/QContact>

#include <QPointer>

class ContactPickerController;
class VoicemailDialog;

// The contacts tab: the contacts application's contact picker in the window, and calls to a
// picked contact. Picking a contact opens the detail selector with its numbers and addresses;
// the row the user chooses is called through this page. The page also offers the voicemail
// contact's numbers (showVoicemailDetails()); while no voicemail number is set it opens the
// voicemail number dialog instead, and once a number set there has made the voicemail contact
// known, the detail selector opens by itself. The dialog writes the contact without blocking
// (in the address book's thread); if the number is stored but the contact could not be
// written, a banner says so and the page takes the next request as the first.
//
// The picker is slow to build, so it is made one event-loop turn after the page: until then the
// page has no scene page, and a filter set meanwhile is kept and applied when it is made.
class ContactPickerPage : public Page
{
    Q_OBJECT
public:
    explicit ContactPickerPage(QObject *parent = nullptr);
    ~ContactPickerPage() override;

    QString filter() const;
    void setFilter(const QString &text);
    void scrollToTop();
    ContactPickerController *controller() const;
    bool isWaitingForVoicemail() const { return m_waitingForVoicemail; }
    // The voicemail service the number dialog stores through (not owned); null: one of the
    // page's own, on the call history's address-book connection (tests hand in another).
    void setVoicemailService(Voicemail *service);

public Q_SLOTS:
    MApplicationPage *scenePage() override;
    void enterPage() override;
    void leavePage() override;
    void resetPage() override;
    void restorePrestart() override;
    void appear(MWindow *window) override;
    void showVoicemailDetails();

protected Q_SLOTS:
    void callAnswered() override;

private Q_SLOTS:
    void initialize();
    void onContactPicked(QtContacts::QContact contact);
    void onVoicemailContactChanged();

private:
    void onVoicemailDialogResult(const QString &preferred, Voicemail::VoicemailError error);
    Voicemail *voicemailService();
    // A detail selector for contact whose rows call through this page.
    void openDetailSelector(const QtContacts::QContact &contact, bool dismissOthers);

    QPointer<ContactPickerController> m_controller;
    QString m_pendingFilter;
    // A number dialog open (until it reports), the service given and the page's own.
    QPointer<VoicemailDialog> m_voicemailDialog;
    QPointer<Voicemail> m_voicemailService;
    QPointer<Voicemail> m_ownVoicemail;
    bool m_waitingForVoicemail = false;
};
