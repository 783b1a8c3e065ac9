#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QVector>

class MGConfItem;

namespace Blocking {

// The person's list of unwanted callers, kept in dconf under keyPrefix() beside the program's
// other settings, so that the call services, the program and the command line share it and
// each hears of the others' changes (changed(), also for changes made by other processes).
//
// Entries of two kinds, kept in a canonical form (canonicalEntry()):
// - a number ("+358 40 123 4567" is kept as "+358401234567"): it blocks the callers whose number
//   is the same number as the history tells (ContactsEngine::isSameNumber(): seven equal trailing
//   digits, so "040 1234567" is "+358 40 1234567"; shorter numbers only exactly);
// - a prefix ("+44*"): it blocks every number that begins with it as the network gives it ("00"
//   is read as "+").
// And switches: withheld callers (no number), callers that are not in the address book (decided
// by the call service, which looks the address book up; a caller called back within
// calledBackDays() days is let through, default 7).
//
// Limits: at most MaxEntries entries of at most MaxEntryLength characters; anything else (too
// long, control characters, not a number) is refused with a reason. A lookup takes a hash
// lookup for the numbers and one per prefix length for the prefixes, whatever the list's size.
// The entries are stored in keys of ChunkSize entries each (a dconf value stays small), so one
// change rewrites one key. Never blocking the emergency and voicemail numbers is the call
// service's part: this class does not know them.
class BlockList : public QObject
{
    Q_OBJECT
public:
    enum {
        MaxEntries = 10000,
        MaxEntryLength = 64,
        ChunkSize = 1000,
        MaxDigits = 20,
        MaxCalledBackDays = 365,
        DefaultCalledBackDays = 7
    };
    enum Match { NotBlocked, BlockedNumber, BlockedPrefix, BlockedWithheld };

    // "/apps/call-history/blocking/"
    static QString keyPrefix();

    explicit BlockList(QObject *parent = nullptr);
    ~BlockList() override;

    // The canonical form of an entry (a number, or a prefix ending in "*"), or an empty string
    // with the reason in *error.
    static QString canonicalEntry(const QString &text, QString *error);

    // Add or remove an entry (any written form of it); false with the reason when refused or
    // when dconf did not take it.
    bool add(const QString &entry, QString *error);
    bool remove(const QString &entry, QString *error);
    // The entries in canonical form, in the order they were added.
    QStringList entries() const;
    int count() const;

    bool blocksWithheld() const;
    bool setBlocksWithheld(bool block, QString *error);
    bool blocksNonContacts() const;
    bool setBlocksNonContacts(bool block, QString *error);
    int calledBackDays() const;
    bool setCalledBackDays(int days, QString *error);

    // What the list and the withheld switch say of a caller: number as the network gave it,
    // empty for a withheld number.
    Match match(const QString &number) const;

Q_SIGNALS:
    void changed();

private:
    void reload();
    bool write(int chunk, const QStringList &entries, QString *error);
    bool writeSwitch(MGConfItem *item, const QVariant &value, QString *error);
    static QString digitsKey(const QString &digits);

    QVector<MGConfItem *> m_chunkItems;
    QVector<QStringList> m_chunks;
    MGConfItem *m_withheld;
    MGConfItem *m_nonContacts;
    MGConfItem *m_days;
    // Numbers' digits by their last SignificantDigits digits (all of them when fewer), and the
    // prefixes without their "*".
    QHash<QString, QStringList> m_numbers;
    QSet<QString> m_prefixes;
    QSet<QString> m_entries;
};

} // namespace Blocking
