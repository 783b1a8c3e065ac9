#include "sortedcontactlist.h"

#include <QCollator>
#include <QHash>
#include <QLocale>

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {
// Every digit of a text, in Latin digits.
QString digitsIn(const QString &text)
{
    QString digits;
    for (const QChar c : text) {
        if (c.isDigit())
            digits += QChar('0' + c.digitValue());
    }
    return digits;
}
} // namespace

QString SortedContactList::groupOf(const QString &name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return QStringLiteral("#");
    // A letter outside the basic plane takes two code units.
    const int length = trimmed.at(0).isHighSurrogate() && trimmed.size() > 1 ? 2 : 1;
    const QString first = trimmed.left(length);
    const uint code = first.toUcs4().value(0);
    if (!QChar::isLetter(code))
        return QStringLiteral("#");
    // Accented letters go under their base letter.
    const QString base = first.normalized(QString::NormalizationForm_D).left(length);
    return base.toUpper();
}

QSharedPointer<const SortedContactList> SortedContactList::build(const QVector<Entry> &contacts)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // "Flat 9" before "Flat 10".
    collator.setNumericMode(true);
    // Sort keys are made once per name: comparing them is much cheaper than comparing names.
    struct Keyed
    {
        int index;
        QString group;
        QCollatorSortKey key;
    };
    QVector<Keyed> sorted;
    sorted.reserve(contacts.size());
    for (int i = 0; i < contacts.size(); ++i)
        sorted.append({i, groupOf(contacts.at(i).name), collator.sortKey(contacts.at(i).name)});
    // Names that start with a letter first, the "#" group last.
    const QString other = QStringLiteral("#");
    std::stable_sort(sorted.begin(), sorted.end(), [&other](const Keyed &a, const Keyed &b) {
        const bool aOther = a.group == other, bOther = b.group == other;
        if (aOther != bOther)
            return bOther;
        return a.key.compare(b.key) < 0;
    });

    QSharedPointer<SortedContactList> list(new SortedContactList);
    list->m_locale = collator.locale().name();
    list->m_entries.reserve(sorted.size());
    list->m_groupOfRow.reserve(sorted.size());
    list->m_starts.reserve(sorted.size() + 1);
    // Sorted names keep each letter's names together, but the collator may still place a base
    // letter's accented names after the next letter's: they join their group.
    QHash<QString, int> groupIndex;
    for (const Keyed &k : qAsConst(sorted)) {
        const Entry &e = contacts.at(k.index);
        const int row = list->m_entries.size();
        list->m_entries.append(e);
        list->m_starts.append(list->m_folded.size());
        const QString folded = e.name.toCaseFolded();
        if (folded.size() == e.name.size() && !folded.contains(QChar::Null))
            list->m_folded += folded;
        else
            list->m_unfoldable.append(row);
        list->m_folded += QChar::Null;
        list->m_digitStarts.append(list->m_digits.size());
        for (const QString &number : e.numbers)
            list->m_digits += digitsIn(number) + QLatin1Char(' ');
        list->m_digits += QChar::Null;
        auto g = groupIndex.constFind(k.group);
        if (g == groupIndex.constEnd()) {
            g = groupIndex.insert(k.group, list->m_groups.size());
            list->m_groups.append(Group{k.group, {}});
        }
        list->m_groups[g.value()].rows.append(row);
        list->m_groupOfRow.append(g.value());
    }
    list->m_starts.append(list->m_folded.size());
    list->m_digitStarts.append(list->m_digits.size());
    return list;
}

QString SortedContactList::numberDigits(const QString &text)
{
    static const QString separators = QStringLiteral("+ -.()");
    for (const QChar c : text) {
        if (!c.isDigit() && !separators.contains(c))
            return QString();
    }
    const QString digits = digitsIn(text);
    return digits.isNull() ? QStringLiteral("") : digits;
}

QVector<int> SortedContactList::rowsWithDigits(const QString &digits) const
{
    QVector<int> rows;
    if (digits.isEmpty()) {
        // Every row with a number: a row without any has only its closing null.
        for (int row = 0; row < m_entries.size(); ++row) {
            if (!m_entries.at(row).numbers.isEmpty())
                rows.append(row);
        }
        return rows;
    }
    int row = 0;
    int pos = 0;
    while ((pos = m_digits.indexOf(digits, pos)) >= 0) {
        while (m_digitStarts.at(row + 1) <= pos)
            ++row;
        rows.append(row);
        pos = m_digitStarts.at(row + 1);
    }
    return rows;
}

bool SortedContactList::rowHasDigits(int row, const QString &digits) const
{
    if (digits.isNull())
        return false;
    if (digits.isEmpty())
        return !m_entries.at(row).numbers.isEmpty();
    const int start = m_digitStarts.at(row);
    return QStringView(m_digits).mid(start, m_digitStarts.at(row + 1) - start).contains(digits);
}

QString SortedContactList::matchedNumber(int row, const QString &text) const
{
    const QString needle = text.trimmed();
    const QString digits = numberDigits(needle);
    if (digits.isNull() || row < 0 || row >= m_entries.size() ||
        m_entries.at(row).name.contains(needle, Qt::CaseInsensitive))
        return QString();
    for (const QString &number : m_entries.at(row).numbers) {
        if (digitsIn(number).contains(digits))
            return number;
    }
    return QString();
}

QVector<int> SortedContactList::matchingRows(const QString &text, const QString &digits) const
{
    QVector<int> rows = matchingNameRows(text);
    if (digits.isNull())
        return rows;
    QVector<int> byNumber = rowsWithDigits(digits);
    QVector<int> both;
    both.reserve(rows.size() + byNumber.size());
    std::set_union(rows.cbegin(), rows.cend(), byNumber.cbegin(), byNumber.cend(),
                   std::back_inserter(both));
    return both;
}

QVector<int> SortedContactList::matchingNameRows(const QString &text) const
{
    QVector<int> rows;
    const QString needle = text.toCaseFolded();
    // Folding the same length keeps positions: the search over the folded names then matches
    // exactly as a case-insensitive search of each name does.
    if (needle.size() != text.size() || needle.contains(QChar::Null)) {
        for (int row = 0; row < m_entries.size(); ++row) {
            if (m_entries.at(row).name.contains(text, Qt::CaseInsensitive))
                rows.append(row);
        }
        return rows;
    }
    const QChar *all = m_folded.constData();
    const int size = m_folded.size();
    const int restSize = needle.size() - 1;
    const QChar *rest = needle.constData() + 1;
    const QChar first = needle.at(0);
    int row = 0;
    int pos = 0;
    // The null after each name never matches: a match lies within one name.
    while ((pos = m_folded.indexOf(first, pos)) >= 0) {
        if (pos + 1 + restSize > size ||
            memcmp(all + pos + 1, rest, size_t(restSize) * sizeof(QChar)) != 0) {
            ++pos;
            continue;
        }
        while (m_starts.at(row + 1) <= pos)
            ++row;
        rows.append(row);
        // The rest of this name needs no look.
        pos = m_starts.at(row + 1);
    }
    for (int odd : m_unfoldable) {
        if (m_entries.at(odd).name.contains(text, Qt::CaseInsensitive))
            rows.insert(std::lower_bound(rows.begin(), rows.end(), odd), odd);
    }
    return rows;
}

bool SortedContactList::rowMatches(int row, const QString &text, const QString &folded) const
{
    const int start = m_starts.at(row);
    const int length = m_starts.at(row + 1) - start - 1;
    const QString &name = m_entries.at(row).name;
    // A name left out of the folded names (empty there) is tested as it is.
    if (folded.isEmpty() || length != name.size())
        return name.contains(text, Qt::CaseInsensitive);
    return QStringView(m_folded).mid(start, length).contains(folded);
}

QVector<SortedContactList::Group> SortedContactList::groupsOf(const QVector<int> &rows) const
{
    QVector<Group> byGroup(m_groups.size());
    for (int row : rows)
        byGroup[m_groupOfRow.at(row)].rows.append(row);
    QVector<Group> groups;
    for (int g = 0; g < byGroup.size(); ++g) {
        if (byGroup.at(g).rows.isEmpty())
            continue;
        byGroup[g].letter = m_groups.at(g).letter;
        groups.append(byGroup.at(g));
    }
    return groups;
}

QVector<SortedContactList::Group> SortedContactList::filtered(const QString &text) const
{
    const QString needle = text.trimmed();
    if (needle.isEmpty())
        return m_groups;
    return groupsOf(matchingRows(needle, numberDigits(needle)));
}

QVector<SortedContactList::Group> SortedContactList::filtered(const QString &text,
                                                              const QVector<Group> &within) const
{
    const QString needle = text.trimmed();
    if (needle.isEmpty())
        return m_groups;
    QString folded = needle.toCaseFolded();
    if (folded.size() != needle.size() || folded.contains(QChar::Null))
        folded.clear();
    const QString digits = numberDigits(needle);
    QVector<int> rows;
    for (const Group &g : within) {
        for (int row : g.rows) {
            if (rowMatches(row, needle, folded) || rowHasDigits(row, digits))
                rows.append(row);
        }
    }
    return groupsOf(rows);
}
