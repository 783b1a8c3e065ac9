#include "timezonewatcher.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>

#include <ctime>

TimeZoneWatcher::TimeZoneWatcher(QObject *parent)
    : TimeZoneWatcher(QStringLiteral("/etc/localtime"), QStringLiteral("/etc/timezone"), parent)
{
}

TimeZoneWatcher::TimeZoneWatcher(const QString &localtimePath, const QString &timezonePath,
                                 QObject *parent)
    : QObject(parent), m_localtimePath(localtimePath), m_timezonePath(timezonePath),
      m_watcher(new QFileSystemWatcher(this))
{
    m_zoneId = readZoneId();
    m_fingerprint = readFingerprint();
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &TimeZoneWatcher::recheck);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &TimeZoneWatcher::recheck);
    watch();
}

void TimeZoneWatcher::watch()
{
    QStringList paths;
    for (const QString &file : {m_localtimePath, m_timezonePath}) {
        const QFileInfo info(file);
        paths << info.absolutePath();
        if (info.exists())
            paths << info.absoluteFilePath();
    }
    paths.removeDuplicates();
    QStringList missing;
    for (const QString &p : qAsConst(paths))
        if (!m_watcher->files().contains(p) && !m_watcher->directories().contains(p))
            missing << p;
    if (!missing.isEmpty())
        m_watcher->addPaths(missing);
}

QString TimeZoneWatcher::readZoneId() const
{
    QString tz = qEnvironmentVariable("TZ");
    if (tz.startsWith(QLatin1Char(':')))
        tz.remove(0, 1);
    if (!tz.isEmpty())
        return tz;
    const QFileInfo link(m_localtimePath);
    if (link.isSymLink()) {
        const QString target = link.symLinkTarget();
        const int at = target.indexOf(QLatin1String("zoneinfo/"));
        if (at >= 0)
            return target.mid(at + 9);
    }
    QFile file(m_timezonePath);
    if (file.open(QIODevice::ReadOnly)) {
        const QString name = QString::fromUtf8(file.readLine()).trimmed();
        if (!name.isEmpty())
            return name;
    }
    return QStringLiteral("UTC");
}

QByteArray TimeZoneWatcher::readFingerprint() const
{
    QFile file(m_localtimePath);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1);
}

void TimeZoneWatcher::recheck()
{
    watch(); // a replaced file drops out of the watch list
    const QString zoneId = readZoneId();
    const QByteArray fingerprint = readFingerprint();
    if (zoneId == m_zoneId && fingerprint == m_fingerprint)
        return;
    m_zoneId = zoneId;
    m_fingerprint = fingerprint;
    tzset();
    Q_EMIT zoneChanged(zoneId);
}
