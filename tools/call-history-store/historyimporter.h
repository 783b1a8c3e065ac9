#ifndef HISTORYIMPORTER_H
#define HISTORYIMPORTER_H

#include "callreader.h"

#include <memory>

namespace CommHistory {
class EventStore;
}
class ImportProgress;

/*
 * The store tool's import: reads a whole file with the reader of its format, then stores its
 * calls in one transaction, so that a file that cannot be read, or a store that fails, adds
 * nothing. A dry run stores nothing and lists the calls it would add instead.
 *
 * Formats: "jsonl" (the tool's own export; every call is added, as in a restore), and the
 * histories of other phone programs, "gnome-calls", "plasma-dialer" and "android-xml", whose
 * cellular calls are put on the account given, and whose internet (SIP) calls go on the VoIP
 * account given or are left out and counted in skipped(). Importing one of those is idempotent: a
 * call counts as there already when a stored call has the same direction, account, remote
 * identifier and start time (EventStore::addNewEvents), so the same file imported twice adds
 * nothing, and a newer backup adds only its newer calls.
 */
class HistoryImporter
{
public:
    HistoryImporter(CommHistory::EventStore *store, ImportProgress *progress);

    static QStringList formats();
    // The reader of format, or null for an unknown format. voipAccount may be empty.
    static std::unique_ptr<CallReader> readerFor(const QString &format, const QString &account,
                                                 const QString &voipAccount);

    // Reads fileName and stores (or, in a dry run, selects) the calls to add: cellular calls on
    // account, internet calls on voipAccount (none when empty).
    bool import(const QString &format, const QString &fileName, const QString &account,
                const QString &voipAccount, bool dryRun);

    QString errorString() const { return m_error; }
    // The calls read, those left out (skipped()) not counted.
    int readCount() const { return m_read; }
    // The calls of the file left out on purpose, by what they are (CallReader::skipped()).
    QMap<QString, int> skipped() const { return m_skipped; }
    // The calls added, or those a dry run would add.
    const QList<CommHistory::Event> &added() const { return m_added; }

private:
    CommHistory::EventStore *m_store;
    ImportProgress *m_progress;
    QString m_error;
    int m_read = 0;
    QMap<QString, int> m_skipped;
    QList<CommHistory::Event> m_added;
};

#endif
