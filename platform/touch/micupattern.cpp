#include "micupattern.h"

#include <QRegularExpression>
#include <QVector>

namespace {

// One piece of a pattern: a field (a letter repeated `count` times) or literal text.
struct Token
{
    QChar letter; // null for literal text
    int count = 0;
    QString text;
};

bool isAsciiLetter(QChar c)
{
    const ushort u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
}

void appendLiteral(QVector<Token> &tokens, const QString &text)
{
    if (text.isEmpty())
        return;
    if (!tokens.isEmpty() && tokens.last().letter.isNull())
        tokens.last().text += text;
    else
        tokens.append({QChar(), 0, text});
}

// Reads quoted text starting at pattern[i] == '\''; leaves i after the closing quote.
QString readQuoted(const QString &pattern, int &i)
{
    ++i;
    if (i < pattern.size() && pattern.at(i) == QLatin1Char('\'')) {
        ++i;
        return QStringLiteral("'");
    }
    QString text;
    while (i < pattern.size()) {
        if (pattern.at(i) == QLatin1Char('\'')) {
            if (i + 1 < pattern.size() && pattern.at(i + 1) == QLatin1Char('\'')) {
                text += QLatin1Char('\'');
                i += 2;
                continue;
            }
            ++i;
            break;
        }
        text += pattern.at(i++);
    }
    return text;
}

int runLength(const QString &s, int i)
{
    int n = 1;
    while (i + n < s.size() && s.at(i + n) == s.at(i))
        ++n;
    return n;
}

QVector<Token> parseIcu(const QString &pattern)
{
    QVector<Token> tokens;
    int i = 0;
    while (i < pattern.size()) {
        const QChar c = pattern.at(i);
        if (c == QLatin1Char('\'')) {
            appendLiteral(tokens, readQuoted(pattern, i));
        } else if (isAsciiLetter(c)) {
            const int n = runLength(pattern, i);
            tokens.append({c, n, QString()});
            i += n;
        } else {
            appendLiteral(tokens, QString(c));
            ++i;
        }
    }
    return tokens;
}

QString quoteLiteral(const QString &text)
{
    bool needsQuotes = false;
    for (QChar c : text)
        needsQuotes = needsQuotes || isAsciiLetter(c) || c == QLatin1Char('\'');
    if (!needsQuotes)
        return text;
    if (text == QLatin1String("'"))
        return QStringLiteral("''");
    QString escaped = text;
    escaped.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

QString writeIcu(const QVector<Token> &tokens)
{
    QString out;
    for (const Token &t : tokens)
        out += t.letter.isNull() ? quoteLiteral(t.text) : QString(t.count, t.letter);
    return out;
}

QString digits(qint64 value, int minWidth, const QLocale &locale)
{
    const bool negative = value < 0;
    QString s =
        QString::number(negative ? -value : value).rightJustified(minWidth, QLatin1Char('0'));
    const ushort zero = locale.zeroDigit().unicode();
    if (zero != '0') {
        for (QChar &c : s)
            c = QChar(ushort(zero + (c.unicode() - '0')));
    }
    return negative ? locale.negativeSign() + s : s;
}

QString offsetText(int seconds, const QLocale &locale)
{
    const QChar sign = seconds < 0 ? QLatin1Char('-') : QLatin1Char('+');
    const int abs = qAbs(seconds) / 60;
    return sign + digits(abs / 60, 2, locale) + QLatin1Char(':') + digits(abs % 60, 2, locale);
}

QString formatField(const Token &t, const QDateTime &dt, const QLocale &locale)
{
    const QDate date = dt.date();
    const QTime time = dt.time();
    const int n = t.count;
    const auto nameFormat = [n](int shortUpTo) {
        return n <= shortUpTo ? QLocale::ShortFormat
                              : (n == shortUpTo + 1 ? QLocale::LongFormat : QLocale::NarrowFormat);
    };
    switch (t.letter.unicode()) {
    case 'G':
        return date.year() > 0 ? QStringLiteral("AD") : QStringLiteral("BC");
    case 'y':
        return n == 2 ? digits(date.year() % 100, 2, locale) : digits(date.year(), n, locale);
    case 'Q':
        return digits((date.month() - 1) / 3 + 1, n, locale);
    case 'M':
        if (n <= 2)
            return digits(date.month(), n, locale);
        return locale.monthName(date.month(), nameFormat(3));
    case 'L':
        if (n <= 2)
            return digits(date.month(), n, locale);
        return locale.standaloneMonthName(date.month(), nameFormat(3));
    case 'w':
        return digits(date.weekNumber(), n, locale);
    case 'd':
        return digits(date.day(), n, locale);
    case 'D':
        return digits(date.dayOfYear(), n, locale);
    case 'E':
        return locale.dayName(date.dayOfWeek(), nameFormat(3));
    case 'e':
    case 'c':
        if (n <= 2)
            return digits(date.dayOfWeek(), n, locale);
        return t.letter == QLatin1Char('c')
                   ? locale.standaloneDayName(date.dayOfWeek(), nameFormat(3))
                   : locale.dayName(date.dayOfWeek(), nameFormat(3));
    case 'a':
        return time.hour() < 12 ? locale.amText() : locale.pmText();
    case 'h':
        return digits(time.hour() % 12 == 0 ? 12 : time.hour() % 12, n, locale);
    case 'H':
        return digits(time.hour(), n, locale);
    case 'K':
        return digits(time.hour() % 12, n, locale);
    case 'k':
        return digits(time.hour() == 0 ? 24 : time.hour(), n, locale);
    case 'm':
        return digits(time.minute(), n, locale);
    case 's':
        return digits(time.second(), n, locale);
    case 'S': {
        QString ms = QString::number(time.msec()).rightJustified(3, QLatin1Char('0'));
        ms = n <= 3 ? ms.left(n) : ms + QString(n - 3, QLatin1Char('0'));
        return digits(ms.toLongLong(), n, locale);
    }
    case 'z':
    case 'v':
    case 'V':
        return dt.timeZoneAbbreviation();
    case 'Z':
    case 'O':
    case 'X':
    case 'x':
        return offsetText(dt.offsetFromUtc(), locale);
    default:
        return QString();
    }
}

} // namespace

QString MIcuPattern::fromQtFormat(const QString &qtFormat)
{
    const bool hasAmPm = qtFormat.contains(QLatin1String("AP"), Qt::CaseInsensitive) ||
                         qtFormat.contains(QLatin1Char('A')) || qtFormat.contains(QLatin1Char('a'));
    QVector<Token> tokens;
    int i = 0;
    while (i < qtFormat.size()) {
        const QChar c = qtFormat.at(i);
        const ushort u = c.unicode();
        if (c == QLatin1Char('\'')) {
            appendLiteral(tokens, readQuoted(qtFormat, i));
            continue;
        }
        if (u == 'A' || u == 'a') {
            const bool pair =
                i + 1 < qtFormat.size() && qtFormat.at(i + 1).toLower() == QLatin1Char('p');
            tokens.append({QLatin1Char('a'), 1, QString()});
            i += pair ? 2 : 1;
            continue;
        }
        const int n = runLength(qtFormat, i);
        switch (u) {
        case 'd':
            tokens.append(n <= 2 ? Token{QLatin1Char('d'), n, QString()}
                                 : Token{QLatin1Char('E'), n == 3 ? 3 : 4, QString()});
            break;
        case 'M':
            tokens.append({QLatin1Char('M'), qMin(n, 4), QString()});
            break;
        case 'y':
            tokens.append({QLatin1Char('y'), n == 2 ? 2 : 4, QString()});
            break;
        case 'h':
            tokens.append({QLatin1Char(hasAmPm ? 'h' : 'H'), qMin(n, 2), QString()});
            break;
        case 'H':
        case 'm':
        case 's':
            tokens.append({c, qMin(n, 2), QString()});
            break;
        case 'z':
            tokens.append({QLatin1Char('S'), n >= 3 ? 3 : 1, QString()});
            break;
        case 't':
            tokens.append({QLatin1Char('z'), 1, QString()});
            break;
        default:
            appendLiteral(tokens, QString(n, c));
            break;
        }
        i += n;
    }
    return writeIcu(tokens);
}

QString MIcuPattern::withHourCycle(const QString &pattern, bool twentyFourHour)
{
    QVector<Token> tokens = parseIcu(pattern);
    bool hasHour = false;
    bool hasAmPm = false;
    for (Token &t : tokens) {
        const ushort u = t.letter.unicode();
        if (u == 'h' || u == 'H' || u == 'K' || u == 'k') {
            hasHour = true;
            t.letter = QLatin1Char(twentyFourHour ? 'H' : 'h');
        }
        hasAmPm = hasAmPm || u == 'a';
    }
    if (twentyFourHour) {
        // Drop the marker and the white space that separated it from the rest.
        QVector<Token> kept;
        for (int i = 0; i < tokens.size(); ++i) {
            if (tokens.at(i).letter != QLatin1Char('a')) {
                kept.append(tokens.at(i));
                continue;
            }
            if (!kept.isEmpty() && kept.last().letter.isNull()) {
                kept.last().text.remove(QRegularExpression(QStringLiteral("\\s+$")));
                if (kept.last().text.isEmpty())
                    kept.removeLast();
            } else if (i + 1 < tokens.size() && tokens.at(i + 1).letter.isNull()) {
                tokens[i + 1].text.remove(QRegularExpression(QStringLiteral("^\\s+")));
            }
        }
        tokens = kept;
    } else if (hasHour && !hasAmPm) {
        appendLiteral(tokens, QStringLiteral(" "));
        tokens.append({QLatin1Char('a'), 1, QString()});
    }
    return writeIcu(tokens);
}

QString MIcuPattern::format(const QDateTime &dateTime, const QString &pattern,
                            const QLocale &locale)
{
    QString out;
    for (const Token &t : parseIcu(pattern))
        out += t.letter.isNull() ? t.text : formatField(t, dateTime, locale);
    return out;
}
