#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QFileSystemWatcher;

// Tells when the system's time zone changes. The zone is the TZ environment variable if set,
// else the zone that the zone file ("/etc/localtime", a link into a zoneinfo folder or a copy of
// a zone file) names, else the name in "/etc/timezone", else "UTC". Both files and their folders
// are watched, so a replaced link or a rewritten copy is noticed. On a change the C library's
// zone is reloaded (tzset) before zoneChanged() is emitted.
class TimeZoneWatcher : public QObject
{
    Q_OBJECT
public:
    explicit TimeZoneWatcher(QObject *parent = nullptr);
    // Watches other files instead of the system's (tests).
    TimeZoneWatcher(const QString &localtimePath, const QString &timezonePath,
                    QObject *parent = nullptr);

    // The IANA id of the current zone, e.g. "Europe/Helsinki".
    QString zoneId() const { return m_zoneId; }

Q_SIGNALS:
    void zoneChanged(const QString &zoneId);

private:
    void watch();
    void recheck();
    QString readZoneId() const;
    QByteArray readFingerprint() const;

    QString m_localtimePath;
    QString m_timezonePath;
    QFileSystemWatcher *m_watcher;
    QString m_zoneId;
    QByteArray m_fingerprint;
};
