#ifndef JSONLINESREADER_H
#define JSONLINESREADER_H

#include "callreader.h"

/*
 * The store tool's own format: JSON Lines, one call per line (see EventJson), as its export
 * writes them; blank lines are skipped. Reads standard input for "-" or an empty name.
 */
class JsonLinesReader : public CallReader
{
public:
    bool read(const QString &fileName, ImportProgress *progress,
              QList<CommHistory::Event> *out) override;
};

#endif
