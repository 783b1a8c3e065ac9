#include "dialablenumber.h"

#include <QStringList>

namespace Dialer {

namespace {
bool isPauseLetter(QChar c)
{
    const QChar l = c.toLower();
    return l == QLatin1Char('p') || l == QLatin1Char('w') || l == QLatin1Char('x');
}

bool isLetterAt(const QString &text, int i)
{
    return i >= 0 && i < text.size() && text.at(i).isLetter();
}

// Splits a run of digits into groups of three; a lone last digit joins the group before.
QString groupDigits(const QString &digits)
{
    QStringList groups;
    for (int i = 0; i < digits.size(); i += 3)
        groups << digits.mid(i, 3);
    if (groups.size() >= 2 && groups.last().size() == 1) {
        // "123 4" becomes "12 34".
        const QString tail = groups.takeLast();
        const QString before = groups.takeLast();
        groups << before.left(2) << before.mid(2) + tail;
    }
    return groups.join(QLatin1Char(' '));
}
} // namespace

QString dialableCharacters(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isDigit() && c.digitValue() >= 0) {
            out += QChar(QLatin1Char('0').unicode() + c.digitValue());
        } else if (c == QLatin1Char('+') || c == QLatin1Char('*') || c == QLatin1Char('#') ||
                   c == QLatin1Char(',')) {
            out += c;
        } else if (isPauseLetter(c) && !isLetterAt(text, i - 1) && !isLetterAt(text, i + 1)) {
            out += c;
        }
    }
    return out;
}

QString groupedForReading(const QString &number)
{
    if (number.contains(QLatin1Char('*')) || number.contains(QLatin1Char('#')))
        return number;
    QString out;
    QString run;
    for (const QChar c : number) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            run += c;
            continue;
        }
        out += groupDigits(run);
        run.clear();
        // A pause or wait letter, "+" or ",": kept in place; a space after a pause makes the
        // tones that follow readable.
        out += c;
    }
    out += groupDigits(run);
    return out;
}

} // namespace Dialer
