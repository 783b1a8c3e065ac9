#include "historyimporter.h"

#include "androidcalllogreader.h"
#include "eventstore.h"
#include "gnomecallsreader.h"
#include "importprogress.h"
#include "jsonlinesreader.h"
#include "plasmadialerreader.h"

using CommHistory::Event;

static const char JsonLines[] = "jsonl";

HistoryImporter::HistoryImporter(CommHistory::EventStore *store, ImportProgress *progress)
    : m_store(store), m_progress(progress)
{
}

QStringList HistoryImporter::formats()
{
    return {QLatin1String(JsonLines), QStringLiteral("gnome-calls"),
            QStringLiteral("plasma-dialer"), QStringLiteral("android-xml")};
}

std::unique_ptr<CallReader> HistoryImporter::readerFor(const QString &format,
                                                       const QString &account,
                                                       const QString &voipAccount)
{
    if (format == QLatin1String(JsonLines))
        return std::make_unique<JsonLinesReader>();
    if (format == QLatin1String("gnome-calls"))
        return std::make_unique<GnomeCallsReader>(account, voipAccount);
    if (format == QLatin1String("plasma-dialer"))
        return std::make_unique<PlasmaDialerReader>(account, voipAccount);
    if (format == QLatin1String("android-xml"))
        return std::make_unique<AndroidCallLogReader>(account);
    return nullptr;
}

bool HistoryImporter::import(const QString &format, const QString &fileName, const QString &account,
                             const QString &voipAccount, bool dryRun)
{
    m_read = 0;
    m_skipped.clear();
    m_added.clear();
    const std::unique_ptr<CallReader> reader = readerFor(format, account, voipAccount);
    if (!reader) {
        m_error = QStringLiteral("unknown format %1 (known: %2)")
                      .arg(format, formats().join(QLatin1String(", ")));
        return false;
    }
    QList<Event> calls;
    if (!reader->read(fileName, m_progress, &calls)) {
        m_error = reader->errorString() + QStringLiteral(" (nothing imported)");
        return false;
    }
    m_read = calls.size();
    m_skipped = reader->skipped();
    // The tool's own export is a restore: it adds what it holds, as it always did.
    const bool restore = format == QLatin1String(JsonLines);
    m_progress->begin(QStringLiteral("storing"), calls.size(), 10000);
    m_progress->note(
        dryRun    ? QStringLiteral("looking for the new ones of %1 calls").arg(calls.size())
        : restore ? QStringLiteral("storing %1 calls").arg(calls.size())
                  : QStringLiteral("storing the new ones of %1 calls").arg(calls.size()));
    bool ok = true;
    if (dryRun && restore)
        m_added = calls;
    else if (dryRun)
        ok = m_store->newEvents(calls, &m_added);
    else if ((ok = restore ? m_store->addEvents(calls) : m_store->addNewEvents(calls)))
        m_added = calls;
    if (!ok) {
        m_error = m_store->errorString() + QStringLiteral(" (nothing imported)");
        return false;
    }
    return true;
}
