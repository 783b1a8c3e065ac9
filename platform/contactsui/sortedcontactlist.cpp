#include "sortedcontactlist.h"

#include <QCollator>
#include <QHash>
#include <QLocale>

#include <algorithm>

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
    list->m_folded.reserve(sorted.size());
    // Sorted names keep each letter's names together, but the collator may still place a base
    // letter's accented names after the next letter's: they join their group.
    QHash<QString, int> groupIndex;
    for (const Keyed &k : qAsConst(sorted)) {
        const Entry &e = contacts.at(k.index);
        const int row = list->m_entries.size();
        list->m_entries.append(e);
        const QString folded = e.name.toCaseFolded();
        list->m_folded.append(folded.size() == e.name.size() ? folded : QString());
        auto g = groupIndex.constFind(k.group);
        if (g == groupIndex.constEnd()) {
            g = groupIndex.insert(k.group, list->m_groups.size());
            list->m_groups.append(Group{k.group, {}});
        }
        list->m_groups[g.value()].rows.append(row);
    }
    return list;
}

bool SortedContactList::matches(int row, const QString &text, const QString &foldedText) const
{
    const QString &folded = m_folded.at(row);
    // Folded names of the same length match exactly as a case-insensitive search does, and much
    // faster; the rare names whose folding changes their length are searched as they are.
    if (!foldedText.isEmpty() && (!folded.isEmpty() || m_entries.at(row).name.isEmpty()))
        return folded.contains(foldedText);
    return m_entries.at(row).name.contains(text, Qt::CaseInsensitive);
}

QVector<SortedContactList::Group> SortedContactList::filtered(const QString &text) const
{
    const QString needle = text.trimmed();
    if (needle.isEmpty())
        return m_groups;
    const QString folded = needle.toCaseFolded();
    const QString foldedNeedle = folded.size() == needle.size() ? folded : QString();
    QVector<Group> groups;
    for (const Group &g : m_groups) {
        Group kept{g.letter, {}};
        for (int row : g.rows) {
            if (matches(row, needle, foldedNeedle))
                kept.rows.append(row);
        }
        if (!kept.rows.isEmpty())
            groups.append(kept);
    }
    return groups;
}
