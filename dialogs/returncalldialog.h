#pragma once

#include "callhistoryitem.h"
#include "mdialog.h"

#include <QList>
#include <QPair>
#include <QPointer>
#include <QTimer>

class AvatarWidget;
class CallHistoryContact;
class CallHistoryItem;
class MButton;
class MImageWidget;
class MLabel;
class MListItem;
class QGraphicsLinearLayout;
class SubtitleLabel;

// The pop-up that a tap on a call history row opens: who the other party was, on which account,
// and the actions call back, send a message and open the contact card (or add the number to the
// address book). Nine subclasses differ in header, buttons, texts and icons; dialogType() picks
// one from the call alone.
//
// The dialog works on a snapshot of the call that was tapped (the row's pressed call, which the
// row may no longer show when the queued tap runs), refreshed while the row shows that same
// call event: it follows the row's and the contact's updates and closes
// itself when the row now calls for another kind of dialog. When the row is recycled for another
// call, the dialog detaches and keeps what it shows. An action runs once: further taps are
// ignored until the dialog closes itself 500 ms later (at once when the display goes off).
class ReturnCallDialog : public MDialog
{
    Q_OBJECT
public:
    enum Type {
        KnownContact = 0,
        KnownContactVoip = 1,
        KnownContactVoipToCS = 2,
        UnknownContact = 3,
        UnknownContactVoip = 4,
        UnknownContactVoipToCS = 5,
        MultiContacts = 6,
        Service = 7,
        ServiceVoipToCS = 8
    };
    Q_ENUM(Type)

    typedef QPair<quint32, QString> Contact;
    typedef CallHistoryItem::PressedCall Call;
    // What the dialog knows of the row's call.
    struct Snapshot
    {
        int eventId = -1;
        QList<Contact> contacts;
        quint32 contactId = 0;
        QString accountPath;
        QString displayNumber;
        QString remoteUid;
        QString name;
        int numberClass = 3;
        QString statusMessage;
        int presence = 0;
        int numberType = 0;
        int numberCount = 0;
        bool video = false;
    };

    static const int DismissDelay = 500;

    static Type dialogType(const Call &call);
    static Type dialogType(CallHistoryItem *row) { return dialogType(row->shownCall()); }
    // The dialog that suits the call tapped on the row (null for a kind outside 0-8); it follows
    // the row while the row shows that call. The caller registers it with the dialog manager and
    // shows it (appear(MSceneWindow::DestroyWhenDone)).
    static ReturnCallDialog *create(CallHistoryItem *row, const Call &call);
    // The dialog of the call the row shows now.
    static ReturnCallDialog *create(CallHistoryItem *row)
    {
        return row ? create(row, row->shownCall()) : nullptr;
    }

    ~ReturnCallDialog() override;

    // The kind chosen at construction (type() is the graphics item's).
    Type dialogKind() const { return m_type; }
    const Snapshot &snapshot() const { return m_snapshot; }
    bool isActionPending() const { return m_actionPending; }
    // The row the dialog follows; null once it detached.
    CallHistoryItem *item() const;

    // Sets the title so that its characters show literally: escaped markup only when escaping
    // changes the text (then "<b></b>" in front marks it as rich text), plain text otherwise.
    void setEscapedTitle(const QString &text);

    AvatarWidget *avatar() const { return m_avatar; }
    MLabel *numberLabel() const { return m_numberLabel; }
    SubtitleLabel *subtitleLabel() const { return m_subtitleLabel; }
    MLabel *titleLabel() const { return m_titleLabel; }
    MImageWidget *presenceIcon() const { return m_presenceIcon; }
    MImageWidget *sideIcon() const { return m_sideIcon; }
    MButton *messageButton() const { return m_messageButton; }
    MButton *callButton() const { return m_callButton; }
    MButton *addContactButton() const { return m_addContactButton; }
    MListItem *contactHeader() const { return m_contactHeader; }

protected:
    ReturnCallDialog(CallHistoryItem *row, const Call &call);

    // Fills the texts and icons of the built layout from the snapshot.
    virtual void updateContent() = 0;

    void load(const Call &call);

    // Layout, top to bottom: spacer, header, spacer, separator, spacer, buttons, spacer. The
    // header is made by addContactHeader() or addTitleHeader() between beginLayout() and
    // endLayout(); without a header only the button part is laid out.
    void beginLayout(bool withHeader);
    void addContactHeader(bool thumbnail, bool sideIcon, bool presence);
    void addTitleHeader();
    void endLayout(bool withHeader, bool addContact, bool message);

    // Shared content helpers for the subclasses.
    // The number or address as shown: percent-decoded, reading left to right.
    QString number() const;
    QString accountName() const;
    QString balance() const;
    bool isCellular() const;
    void setChatIcon();
    // The presence icon by the snapshot's presence code (none: "ZeroSizeWidget").
    void showPresence(bool shown);
    void setVideoCallLines();
    // Sets the number line; of a text with length variants, the longest (the label elides it).
    void setNumberLine(const QString &text);

private Q_SLOTS:
    void updated(uint updates);
    void onContactUpdated();
    void onVoiceCall();
    void onMessage();
    void onOpenContactCard();
    void onDismissTimerExpired();
    void onDisplayExited();

private:
    void addSpacer(const QString &style);
    void addButtonRow(bool addContact, bool message);
    void followDisplay();
    void startDismissTimer();
    void linkContact(quint32 id);
    void dropContact();

    QPointer<CallHistoryItem> m_item;
    QPointer<CallHistoryContact> m_contact;
    Type m_type = KnownContact;
    bool m_actionPending = false;
    Snapshot m_snapshot;
    QTimer m_dismissTimer;
    QGraphicsLinearLayout *m_layout = nullptr;

    AvatarWidget *m_avatar = nullptr;
    MLabel *m_numberLabel = nullptr;
    SubtitleLabel *m_subtitleLabel = nullptr;
    MLabel *m_titleLabel = nullptr;
    MImageWidget *m_presenceIcon = nullptr;
    MImageWidget *m_sideIcon = nullptr;
    MButton *m_messageButton = nullptr;
    MButton *m_callButton = nullptr;
    MButton *m_addContactButton = nullptr;
    MListItem *m_contactHeader = nullptr;
};
