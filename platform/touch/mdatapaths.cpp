#include "mdatapaths.h"

#include <QFileInfo>

QStringList MDataPaths::roots()
{
    QStringList r;
    const QString env = qEnvironmentVariable("CALL_HISTORY_DATA_DIR");
    if (!env.isEmpty())
        r << env;
    r << QStringLiteral(CH_BUILD_DATADIR) << QStringLiteral(CH_SOURCE_DATADIR)
      << QStringLiteral(CH_INSTALL_DATADIR);
    return r;
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
