#include "messagingif.h"

#include <QDesktopServices>
#include <QRegularExpression>
#include <QUrl>

namespace {
const char *const CellularAccount = "/org/freedesktop/Telepathy/Account/pulse/tel/pulse";

// A phone number as a person writes it, or a "sip:"/"sips:" address whose user part is one.
QString numberIn(const QString &remote)
{
    QString user = remote;
    const QRegularExpression sip(QStringLiteral("^sips?:([^@;]*)"),
                                 QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = sip.match(remote);
    if (m.hasMatch())
        user = QUrl::fromPercentEncoding(m.captured(1).toLatin1());
    static const QRegularExpression number(QStringLiteral("^\\s*\\+?[0-9 ()./\\-*#pPwWxX,]{3,}$"));
    if (!number.match(user).hasMatch())
        return QString();
    QString digits;
    for (const QChar c : user)
        if (c.isDigit() || c == QLatin1Char('+') || c == QLatin1Char('*') || c == QLatin1Char('#'))
            digits += c;
    return digits;
}
} // namespace

bool MessagingIf::isMessagingScheme(const QString &scheme)
{
    static const QStringList schemes = {QStringLiteral("sip"),  QStringLiteral("sips"),
                                        QStringLiteral("xmpp"), QStringLiteral("im"),
                                        QStringLiteral("sms"),  QStringLiteral("tel")};
    return schemes.contains(scheme, Qt::CaseInsensitive);
}

MessagingIf::MessagingIf(const QString &serviceName, QObject *parent)
    : QObject(parent), m_serviceName(serviceName)
{
}

QString MessagingIf::conversationUri(const QString &accountPath, const QString &remote)
{
    const QString trimmed = remote.trimmed();
    if (trimmed.isEmpty())
        return QString();
    const bool cellular = accountPath.isEmpty() || accountPath == QLatin1String(CellularAccount);
    const QString number = numberIn(trimmed);
    if (!number.isEmpty())
        return QStringLiteral("sms:") + QString::fromLatin1(QUrl::toPercentEncoding(number, "+*"));
    if (cellular)
        return QString();
    // The remote identifier is chosen by the other party: only the schemes of messaging are
    // handed on, never files, shares, web pages or whatever else a handler is registered for.
    const QUrl url(trimmed, QUrl::StrictMode);
    if (url.isValid() && isMessagingScheme(url.scheme()))
        return url.toString(QUrl::FullyEncoded);
    return QString();
}

bool MessagingIf::startConversation(const QString &accountPath, const QString &remote, int flags,
                                    bool activate)
{
    Q_UNUSED(flags)
    Q_UNUSED(activate)
    const QString uri = conversationUri(accountPath, remote);
    if (uri.isEmpty())
        return false;
    return QDesktopServices::openUrl(QUrl(uri, QUrl::StrictMode));
}
