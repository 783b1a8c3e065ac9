#ifndef CALLREADER_H
#define CALLREADER_H

#include "event.h"

#include <QList>
#include <QString>

class ImportProgress;

/*
 * Reads the calls of one file format for the store tool's import. A reader reads the whole
 * file or nothing: on the first thing it cannot read it stops and says what and where (the
 * line or the row) in errorString(). The calls come out in the order of the file; they are
 * not stored by the reader.
 */
class CallReader
{
public:
    virtual ~CallReader() = default;

    // fileName "-" (or empty) is standard input where the format allows it.
    virtual bool read(const QString &fileName, ImportProgress *progress,
                      QList<CommHistory::Event> *out) = 0;
    QString errorString() const { return m_error; }

protected:
    bool fail(const QString &error)
    {
        m_error = error;
        return false;
    }

private:
    QString m_error;
};

#endif
