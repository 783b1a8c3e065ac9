#pragma once

#include "callrecord.h"

#include <QMap>
#include <QString>

// The calls the modem call-UI service is following, kept in a small JSON file so that a service
// killed mid-call and started again takes each call up where it was: same call id, same start
// and answer times, and no second history entry for a call it had written already.
//
// The records live in memory, as many as there are calls; every change is also written at once
// (QSaveFile: the file is replaced whole or not at all). A write that fails (a full disk, a
// folder not writable, also one write-protected by its mode bits, which counts even for root as
// it does for the history store) loses nothing in memory: isDirty() says so until flush() or a
// later change writes the file. The file lives beside the history store (CALL_HISTORY_DB or
// $XDG_DATA_HOME/call-history/) unless another path is given.
//
// What it writes it reads back: the file holds only records that CallRecord::isReadable() (one
// naming a call by a path longer than a record keeps stays in memory only), at most MaxRecords
// of them, calls not yet in the history first (others stay in memory only); MaxFileSize holds
// MaxRecords readable records. leftOut() counts the records kept out. Reading takes each record on
// its own: one it cannot read is left out, the others are kept, and the file is copied to
// "<path>.damaged" for a person to look at. A file that is not a journal at all (not a JSON list,
// or larger than MaxFileSize) is moved there and the journal starts empty. load() says so in both
// cases.
class CallJournal
{
public:
    enum { MaxRecords = 256, MaxFileSize = MaxRecords * CallRecord::MaxJsonBytes + 1024 };

    explicit CallJournal(const QString &path);
    static QString defaultPath();
    QString path() const { return m_path; }

    // Reads the file (a missing file is an empty journal). False with the reason when the file
    // was damaged (see above) or cannot be read.
    bool load(QString *error);

    QList<CallRecord> records() const { return m_records.values(); }
    bool contains(const QString &key) const { return m_records.contains(key); }
    CallRecord record(const QString &key) const { return m_records.value(key); }
    // Stores or replaces the record under its key, and writes the file. False when the file
    // could not be written; the record is kept in memory all the same.
    bool put(const CallRecord &record);
    bool remove(const QString &key);
    // Writes the file again if the last write failed; true when nothing is owed.
    bool flush();
    bool isDirty() const { return m_dirty; }
    // The records the last write kept out of the file (see above); they are kept in memory.
    int leftOut() const { return m_leftOut; }
    QString errorString() const { return m_error; }

private:
    bool save();

    QString m_path;
    QMap<QString, CallRecord> m_records;
    QString m_error;
    int m_leftOut = 0;
    bool m_dirty = false;
};
