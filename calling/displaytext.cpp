#include "displaytext.h"

#include "mlocale.h"
#include "phonenumberformat.h"

#include <QRegExp>

namespace {
const QChar LengthVariantSeparator(0x9c);
const QChar LeftToRightIsolate(0x2066);
const QChar PopDirectionalIsolate(0x2069);
} // namespace

QString numberForDisplay(const QString &number)
{
    const QString shown = MLocale().toLocalizedNumbers(PhoneNumberFormat::forDisplay(number));
    // Arabic-Indic digits have a direction of their own: between groups of them a space would
    // read right to left and the groups trade places. A number without letters is laid out left
    // to right, character by character (an override inside the isolate).
    for (const QChar c : shown) {
        if (c.isLetter())
            return leftToRightRun(shown);
    }
    if (shown.isEmpty())
        return shown;
    return QString(LeftToRightIsolate) + QChar(0x202d) + shown + QChar(0x202c) +
           PopDirectionalIsolate;
}

QString ownDirectionRun(const QString &text)
{
    return text.isEmpty() ? text : QChar(0x2068) + text + PopDirectionalIsolate;
}

QString leftToRightRun(const QString &text)
{
    if (text.isEmpty() ||
        (text.startsWith(LeftToRightIsolate) && text.endsWith(PopDirectionalIsolate)))
        return text;
    return LeftToRightIsolate + text + PopDirectionalIsolate;
}

QString firstLengthVariant(const QString &text)
{
    const int at = text.indexOf(LengthVariantSeparator);
    return at > 0 ? text.left(at) : text;
}

QString lastLengthVariant(const QString &text)
{
    const int at = text.lastIndexOf(LengthVariantSeparator);
    return at >= 0 ? text.mid(at + 1) : text;
}

QString argWithLengthVariants(const QString &pattern, const QString &a, const QString &b)
{
    // One multi-argument arg() per variant: a placeholder that a or b happens to contain (a
    // contact called "50%2") is not filled in again.
    return pattern.arg(firstLengthVariant(a), firstLengthVariant(b)) + LengthVariantSeparator +
           pattern.arg(lastLengthVariant(a), lastLengthVariant(b));
}

bool isEmptyText(const QString &text)
{
    return text.isEmpty();
}

QString stripBidiMarks(QString text)
{
    static const QChar marks[] = {QChar(0x200F), QChar(0x200E), QChar(0x202D), QChar(0x202E),
                                  QChar(0x202A), QChar(0x202B), QChar(0x202C), QChar(0x2066),
                                  QChar(0x2067), QChar(0x2068), QChar(0x2069)};
    for (const QChar c : marks)
        text.remove(c);
    return text;
}

QString remoteForDisplay(const QString &remote, bool cellular)
{
    static const QRegExp notNumberCharacter(QStringLiteral("[^\\d#pwx, /\\(\\)\\.\\-\\*\\+]"),
                                            Qt::CaseInsensitive);
    const QString text = stripBidiMarks(remote);
    if (cellular || notNumberCharacter.indexIn(text) == -1)
        return numberForDisplay(text);
    return text;
}
