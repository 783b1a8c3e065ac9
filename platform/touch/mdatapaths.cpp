#include "mdatapaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Folders of the build tree between an executable and the build folder: app/, tools/<tool>/,
// tests/<folder>/, services/<service>/, bench/<folder>/.
const int MaxBuildDepth = 3;

QString executableDir()
{
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
}

} // namespace

QStringList MDataPaths::rootsFrom(const QString &dir)
{
    QStringList r;
    if (dir.isEmpty())
        return r;
    for (const char *relative : {CH_BIN_TO_DATADIR, CH_LIBEXEC_TO_DATADIR}) {
        const QFileInfo installed(dir + QLatin1Char('/') + QLatin1String(relative));
        if (installed.isDir())
            r << installed.canonicalFilePath();
    }
    if (!r.isEmpty())
        return r;
    QDir up(dir);
    for (int i = 0; i <= MaxBuildDepth; ++i) {
        QFile note(up.filePath(QStringLiteral("data/source-datadir")));
        if (note.open(QIODevice::ReadOnly)) {
            r << up.filePath(QStringLiteral("data"));
            const QString source = QString::fromUtf8(note.readAll()).trimmed();
            if (!source.isEmpty())
                r << source;
            break;
        }
        if (!up.cdUp())
            break;
    }
    return r;
}

QStringList MDataPaths::roots()
{
    static const QStringList fromExecutable = rootsFrom(executableDir());
    QStringList r;
    const QString env = qEnvironmentVariable("CALL_HISTORY_DATA_DIR");
    if (!env.isEmpty())
        r << env;
    return r + fromExecutable;
}

QString MDataPaths::find(const QString &relative)
{
    for (const QString &root : roots()) {
        const QFileInfo fi(root + QLatin1Char('/') + relative);
        if (fi.exists())
            return fi.absoluteFilePath();
    }
    return QString();
}
