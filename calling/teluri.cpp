#include "teluri.h"

#include "phonenumbers.h"

#include <QUrl>

namespace {
const QLatin1String Scheme("tel:");
// Far above any real number: longer input is refused before it is decoded.
const int MaxUriLength = 1024;
} // namespace

bool TelUri::isTelUri(const QString &text)
{
    return text.startsWith(Scheme, Qt::CaseInsensitive);
}

QString TelUri::number(const QString &uri)
{
    if (!isTelUri(uri) || uri.size() > MaxUriLength)
        return QString();
    QString body = uri.mid(Scheme.size());
    body = body.left(body.indexOf(QLatin1Char(';')));
    body = QUrl::fromPercentEncoding(body.toUtf8());
    QString number;
    for (const QChar c : qAsConst(body)) {
        if (c == QLatin1Char('-') || c == QLatin1Char('.') || c == QLatin1Char('(') ||
            c == QLatin1Char(')') || c == QLatin1Char(' '))
            continue;
        const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        const bool key = c == QLatin1Char('*') || c == QLatin1Char('#');
        const bool plus = c == QLatin1Char('+') && number.isEmpty();
        if (!digit && !key && !plus)
            return QString();
        number += c;
    }
    // A global number ("+...") is digits only.
    if (number.startsWith(QLatin1Char('+')) &&
        (number.contains(QLatin1Char('*')) || number.contains(QLatin1Char('#'))))
        return QString();
    return isValidNumber(number) ? number : QString();
}
