#include "callsearchpattern.h"

#include <QHash>

#include <algorithm>

namespace {

// Whether a character stands for nothing that can be searched for: marks, control and format
// characters, and unassigned code points.
bool isIgnored(uint ucs4)
{
    switch (QChar::category(ucs4)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_NotAssigned:
        return true;
    default:
        return false;
    }
}

// The QRegExp's word characters, between which "\b" finds no boundary.
inline bool isWord(ushort c)
{
    const QChar ch(c);
    return ch.isLetterOrNumber() || ch.isMark() || c == '_';
}

// One UTF-16 unit that is not half of a surrogate pair.
bool isSingleUnit(const QString &s)
{
    return s.size() == 1 && !s.at(0).isSurrogate();
}

// QChar::toLower() of one UTF-16 unit, without a call for ASCII.
inline ushort lowered(ushort c)
{
    if (c < 0x80)
        return uint(c - 'A') < 26u ? ushort(c + ('a' - 'A')) : c;
    return QChar::toLower(c);
}

// Lowered, the dotted capital I is itself; the QRegExp then never matches it.
const ushort DottedCapitalI = 0x130;

// The characters that the QRegExp class of two letters accepts case-insensitively: those whose
// lower or upper case is one of them. Kept for the process: people type few accented letters.
QVector<ushort> acceptedBy(ushort a, ushort b)
{
    static QHash<uint, QVector<ushort>> known;
    const uint key = uint(a) << 16 | b;
    auto it = known.constFind(key);
    if (it != known.constEnd())
        return *it;
    QVector<ushort> accepted;
    for (uint x = 0; x <= 0xffff; ++x) {
        if (QChar::isSurrogate(x))
            continue;
        const uint lower = QChar::toLower(x), upper = QChar::toUpper(x);
        if (lower == a || lower == b || upper == a || upper == b)
            accepted.append(ushort(x));
    }
    known.insert(key, accepted);
    return accepted;
}

} // namespace

CallSearchPattern::CallSearchPattern(const QString &text)
{
    // Anything but digits and number punctuation makes the text a name search.
    static const QRegExp notANumber(QStringLiteral("[^\\d#, /\\(\\)\\.\\-\\*\\+]"),
                                    Qt::CaseSensitive, QRegExp::RegExp);
    m_wordStart = notANumber.indexIn(text) != -1;

    for (int i = 0; i < text.size(); ++i) {
        // One character, a surrogate pair counting as one.
        QString c(text.at(i));
        uint ucs4 = text.at(i).unicode();
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() &&
            text.at(i + 1).isLowSurrogate()) {
            ucs4 = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            c.append(text.at(++i));
        }
        if (isIgnored(ucs4))
            continue;
        const QVector<uint> decomposed = c.normalized(QString::NormalizationForm_D).toUcs4();
        if (decomposed.isEmpty())
            continue;
        const uint base = QChar::toLower(decomposed.first());
        Step step;
        step.base = QString::fromUcs4(&base, 1);
        if (decomposed.size() > 1)
            step.typed = c;
        m_steps.append(step);
    }

    m_fast = !m_steps.isEmpty();
    for (Step &step : m_steps) {
        if (!isSingleUnit(step.base) || (!step.typed.isEmpty() && !isSingleUnit(step.typed)) ||
            step.base.at(0).unicode() == DottedCapitalI) {
            m_fast = false;
            break;
        }
        const ushort b = step.base.at(0).unicode();
        step.lowered = QChar::toLower(b);
        if (step.typed.isEmpty())
            continue;
        step.accepted = acceptedBy(b, step.typed.at(0).unicode());
    }
    m_regexp = QRegExp(regExpPattern(), Qt::CaseInsensitive, QRegExp::RegExp);
}

QString CallSearchPattern::regExpPattern() const
{
    QString pattern = m_wordStart ? QStringLiteral("\\b") : QString();
    for (const Step &step : m_steps) {
        if (step.typed.isEmpty())
            pattern += QRegExp::escape(step.base);
        else
            pattern += QLatin1Char('[') + QRegExp::escape(step.base) + QRegExp::escape(step.typed) +
                       QLatin1Char(']');
    }
    return pattern;
}

bool CallSearchPattern::operator==(const CallSearchPattern &other) const
{
    return m_wordStart == other.m_wordStart && m_steps == other.m_steps;
}

bool CallSearchPattern::narrows(const CallSearchPattern &wider) const
{
    if (wider.m_wordStart && !m_wordStart)
        return false;
    if (wider.m_steps.size() > m_steps.size())
        return false;
    return std::equal(wider.m_steps.begin(), wider.m_steps.end(), m_steps.begin());
}

bool CallSearchPattern::matchesAt(const ushort *text, int length, int at) const
{
    if (m_wordStart) {
        const bool before = at > 0 && isWord(text[at - 1]);
        const bool after = at < length && isWord(text[at]);
        if (before == after)
            return false;
    }
    for (int k = 0; k < m_steps.size(); ++k) {
        const Step &step = m_steps.at(k);
        const ushort c = text[at + k];
        if (step.accepted.isEmpty()
                ? lowered(c) != step.lowered
                : !std::binary_search(step.accepted.begin(), step.accepted.end(), c))
            return false;
    }
    return true;
}

bool CallSearchPattern::matches(const QString &text) const
{
    if (!m_fast)
        return m_regexp.indexIn(text, 0) != -1;
    const int length = text.size();
    const int steps = m_steps.size();
    const ushort *t = text.utf16();
    const Step &head = m_steps.first();
    for (int at = 0; at + steps <= length; ++at) {
        // Most places fail on the first character: looked at before anything else.
        if (head.accepted.isEmpty() && lowered(t[at]) != head.lowered)
            continue;
        if (matchesAt(t, length, at))
            return true;
    }
    return false;
}
