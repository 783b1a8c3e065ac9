#include "benchhistory.h"

#include "mgconfitem.h"

#include <QProcess>
#include <QTemporaryDir>

namespace {
const char DefaultPageKey[] = "/apps/call-history/settings/defaultPage";
}

BenchHistory::BenchHistory() = default;

BenchHistory::~BenchHistory()
{
    if (!m_changed)
        return;
    MGConfItem page{QLatin1String(DefaultPageKey)};
    if (m_oldPage.isValid())
        page.set(m_oldPage);
    else
        page.unset();
}

bool BenchHistory::openOnCallHistory()
{
    MGConfItem page{QLatin1String(DefaultPageKey)};
    if (!m_changed)
        m_oldPage = page.value();
    if (!page.set(QStringLiteral("callHistory")))
        return false;
    m_changed = true;
    return true;
}

QString BenchHistory::generate(const QTemporaryDir &dir, int calls)
{
    const QString db = dir.filePath(QStringLiteral("history-%1.db").arg(calls));
    QProcess tool;
    tool.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    tool.start(QStringLiteral(CH_BINARY_DIR "/tools/call-history-store/call-history-store"),
               {"--db", db, "generate", QString::number(calls), "--seed", "42"});
    if (!tool.waitForFinished(600000) || tool.exitCode() != 0)
        return QString();
    return db;
}
