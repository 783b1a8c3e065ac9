#include "dialablenumber.h"

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

// Appends a run of `count` digits in groups of three; a lone last digit joins the group before
// ("123 4" is written "12 34"). Called on every key press: no lists or copies of the run.
void appendGroupedDigits(QString &out, const QChar *digits, int count)
{
    for (int i = 0; i < count;) {
        const int left = count - i;
        const int size = left == 4 ? 2 : qMin(left, 3);
        if (i > 0)
            out += QLatin1Char(' ');
        out.append(digits + i, size);
        i += size;
    }
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
    out.reserve(number.size() + number.size() / 2 + 1);
    const QChar *chars = number.constData();
    const int size = number.size();
    int run = 0; // where the current run of digits starts
    for (int i = 0; i <= size; ++i) {
        if (i < size && chars[i] >= QLatin1Char('0') && chars[i] <= QLatin1Char('9'))
            continue;
        appendGroupedDigits(out, chars + run, i - run);
        // A pause or wait letter, "+" or ",": kept in place; a space after a pause makes the
        // tones that follow readable.
        if (i < size)
            out += chars[i];
        run = i + 1;
    }
    return out;
}

} // namespace Dialer
