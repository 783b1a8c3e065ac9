#ifndef CALLREADER_H
#define CALLREADER_H

#include "event.h"

#include <QList>
#include <QMap>
#include <QString>

class ImportProgress;

/*
 * Reads the calls of one file format for the store tool's import. A reader reads the whole
 * file or nothing: on the first thing it cannot read it stops and says what and where (the
 * line or the row) in errorString(). The calls come out in the order of the file; they are
 * not stored by the reader.
 *
 * A reader may leave calls out on purpose (an internet call when no account for it was given):
 * skipped() counts them by what they are, for the import's summary.
 *
 * The readers of other programs' histories take at most MaxCalls calls from one file (rows or
 * elements, skipped ones included): the whole file is held in memory before it is stored, and no
 * phone keeps a history that long.
 */
class CallReader
{
public:
    enum { MaxCalls = 1000000 };

    virtual ~CallReader() = default;

    // fileName "-" (or empty) is standard input where the format allows it.
    virtual bool read(const QString &fileName, ImportProgress *progress,
                      QList<CommHistory::Event> *out) = 0;
    QString errorString() const { return m_error; }
    // What was left out ("SIP calls (no --voip-account given)") and how many of each.
    QMap<QString, int> skipped() const { return m_skipped; }

protected:
    bool fail(const QString &error)
    {
        m_error = error;
        return false;
    }
    void skip(const QString &what) { ++m_skipped[what]; }
    static QString tooManyCalls()
    {
        return QStringLiteral("more than the %1 calls one import takes").arg(int(MaxCalls));
    }

private:
    QString m_error;
    QMap<QString, int> m_skipped;
};

#endif
