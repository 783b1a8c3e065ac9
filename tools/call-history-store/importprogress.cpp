#include "importprogress.h"

#include <cstdio>

void ImportProgress::begin(const QString &stage, qint64 total, qint64 threshold)
{
    m_stage = stage;
    m_total = total;
    m_shownTenths = 0;
    m_shown = total > 0 && total >= threshold;
}

void ImportProgress::advance(qint64 done)
{
    if (!m_shown)
        return;
    const int tenths = int(qBound<qint64>(0, done * 10 / m_total, 10));
    if (tenths <= m_shownTenths)
        return;
    m_shownTenths = tenths;
    fprintf(m_out, "call-history-store: %s: %d%%\n", qPrintable(m_stage), tenths * 10);
    fflush(m_out);
}

void ImportProgress::note(const QString &text)
{
    if (!m_shown)
        return;
    fprintf(m_out, "call-history-store: %s\n", qPrintable(text));
    fflush(m_out);
}
