#pragma once

#include <QString>
#include <QStringList>

// Bounds on the texts and lists that the program and its services take from a bus peer, which may
// be hostile. Each bound lies far beyond what a legitimate sender ever sends in that field. Where
// a text enters (an adaptor's method, a signal handler, a reply), a longer one is refused before it
// is copied, queued or kept; a text that is only shown or logged is cut to MaxTextLength instead.
// Qt's D-Bus module has read the whole message by then: what these bounds limit is what the
// process keeps and passes on.
namespace BusLimits {

// A phone number or an address (SIP, XMPP, ...): the dialer's number, a call request's callee.
// The same bound as the history's remote identifier (CommHistory::Event::MaxRemoteUidLength) and
// the keypad's number (Dialer::DialerWidget::MaxLength).
constexpr int MaxAddressLength = 256;
// One launch parameter (a page name, digits, or a "tel:" link with its parameters and %-escapes),
// and how many a launch request may carry.
constexpr int MaxLaunchParameterLength = 1024;
constexpr int MaxLaunchParameters = 16;
// An account's object path ("/org/freedesktop/Telepathy/Account/ring/tel/account0") or another
// object path (a modem's).
constexpr int MaxObjectPathLength = 1024;
// A call id handed out by a call service ("modemcall-<pid>-<time>-<n>").
constexpr int MaxCallIdLength = 128;
// A contact's name sent with a call request.
constexpr int MaxNameLength = 1024;
// A text only shown or logged (an error message, why a call ended): cut to this length.
constexpr int MaxTextLength = 1024;
// A file path (a database another process names): PATH_MAX.
constexpr int MaxFilePathLength = 4096;

// Whether text is at most maxLength UTF-16 code units long.
inline bool fits(const QString &text, int maxLength)
{
    return text.size() <= maxLength;
}

// Whether list has at most maxCount entries, each at most maxLength long.
inline bool fits(const QStringList &list, int maxCount, int maxLength)
{
    if (list.size() > maxCount)
        return false;
    for (const QString &text : list) {
        if (text.size() > maxLength)
            return false;
    }
    return true;
}

// text, cut to MaxTextLength (for a text only shown or logged).
inline QString shownText(const QString &text)
{
    return text.size() <= MaxTextLength ? text : text.left(MaxTextLength);
}

} // namespace BusLimits
