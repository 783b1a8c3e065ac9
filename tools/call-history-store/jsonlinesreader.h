#ifndef JSONLINESREADER_H
#define JSONLINESREADER_H

#include "callreader.h"

/*
 * The store tool's own format: JSON Lines, one call per line (see EventJson), as its export
 * writes them; blank lines are skipped. Reads standard input for "-" or an empty name.
 *
 * A line may take at most MaxLineBytes bytes (its line break, '\n', not counted): a call's line is
 * a few hundred bytes, and a longer one is refused with the line's number as soon as the bound is
 * passed, so a hostile file of one endless line takes no more memory than that.
 */
class JsonLinesReader : public CallReader
{
public:
    enum { MaxLineBytes = 16384 };

    bool read(const QString &fileName, ImportProgress *progress,
              QList<CommHistory::Event> *out) override;
};

#endif
