#ifndef IMPORTPROGRESS_H
#define IMPORTPROGRESS_H

#include <QString>

#include <cstdio>

/*
 * Progress of a long import on stderr: a line for every tenth of the work done, while a file
 * is read or its calls are stored. Small jobs (below the threshold given) print nothing, so
 * that an import of a few calls stays quiet.
 */
class ImportProgress
{
public:
    explicit ImportProgress(FILE *out = stderr) : m_out(out) {}

    // A new stage of total units (rows, bytes); shown only when total reaches threshold.
    void begin(const QString &stage, qint64 total, qint64 threshold);
    void advance(qint64 done);
    // A one-line note shown when the current stage is shown.
    void note(const QString &text);

private:
    FILE *m_out;
    QString m_stage;
    qint64 m_total = 0;
    int m_shownTenths = 0;
    bool m_shown = false;
};

#endif
