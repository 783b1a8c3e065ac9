#pragma once

#include <QObject>
#include <QString>

// The client of the messaging service: starts a conversation with a number or an address by
// handing a URI to the desktop's URI handlers (QDesktopServices): "sms:<number>" for a phone
// number, the address itself when it is a URI of a messaging scheme (isMessagingScheme(): "sip:",
// "sips:", "xmpp:", "im:", "sms:", "tel:"). An address of any other scheme ("file:", "smb:",
// "https:", an application's own) is refused: the other party chooses it.
// There is no messaging of our own: when no handler takes the URI, startConversation() says so
// and the caller tells the user.
//
// Limits: a handler that is started but then fails (for instance xdg-open without a handler for
// the scheme) is not noticed.
class MessagingIf : public QObject
{
    Q_OBJECT
public:
    // serviceName is kept for callers that name a messaging service; the desktop chooses.
    explicit MessagingIf(const QString &serviceName = QString(), QObject *parent = nullptr);

    // The URI for a conversation with `remote` on the account `accountPath` (or `localUid`):
    // "sms:" and the dialable number for the cellular account or any phone number; on another
    // account a remote address that is a URI of a messaging scheme, as it stands; empty when the
    // remote cannot be written as such a URI (any other scheme included).
    static QString conversationUri(const QString &accountPath, const QString &remote);

    // The URI schemes a conversation is handed on with: sip, sips, xmpp, im, sms and tel (any
    // letter case).
    static bool isMessagingScheme(const QString &scheme);

    // Opens a conversation with `remote`. `accountId` and `flags` are kept for services that use
    // them; `activate` brings the messaging application to the front (the desktop always does).
    // False when there is nothing to open or no handler took the URI.
    bool startConversation(const QString &accountPath, const QString &remote, int flags = 0,
                           bool activate = true);

private:
    QString m_serviceName;
};
