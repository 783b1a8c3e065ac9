#include "calljournal.h"

#include "eventstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

CallJournal::CallJournal(const QString &path) : m_path(path) {}

QString CallJournal::defaultPath()
{
    return QFileInfo(CommHistory::EventStore::defaultPath())
        .dir()
        .filePath(QStringLiteral("call-ui-modem-calls.json"));
}

bool CallJournal::load(QString *error)
{
    m_records.clear();
    m_dirty = false;
    QFile file(m_path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(m_path, file.errorString());
        return false;
    }
    bool isJournal = file.size() <= MaxFileSize;
    QJsonArray array;
    if (isJournal) {
        QJsonParseError parse;
        const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parse);
        isJournal = parse.error == QJsonParseError::NoError && doc.isArray();
        array = doc.array();
    }
    file.close();
    // Each record on its own: one that cannot be read costs no other.
    int unread = 0;
    for (int i = 0; isJournal && i < array.size(); ++i) {
        CallRecord r;
        if (array.at(i).isObject() && CallRecord::fromJson(array.at(i).toObject(), &r) &&
            m_records.size() < MaxRecords)
            m_records.insert(r.key(), r);
        else
            ++unread;
    }
    if (isJournal && unread == 0)
        return true;
    // Kept for a person to look at; the service goes on with what it could read.
    const QString aside = m_path + QStringLiteral(".damaged");
    QFile::remove(aside);
    if (isJournal) {
        QFile::copy(m_path, aside);
        *error = QStringLiteral("%1: %2 of its %3 records cannot be read and are left out; the "
                                "file is copied to %4")
                     .arg(m_path)
                     .arg(unread)
                     .arg(array.size())
                     .arg(aside);
    } else {
        QFile::rename(m_path, aside);
        *error = QStringLiteral("%1 is not a call journal; moved to %2").arg(m_path, aside);
    }
    return false;
}

bool CallJournal::put(const CallRecord &record)
{
    m_records.insert(record.key(), record);
    return save();
}

bool CallJournal::remove(const QString &key)
{
    if (!m_records.remove(key))
        return true;
    return save();
}

bool CallJournal::flush()
{
    return !m_dirty || save();
}

bool CallJournal::save()
{
    QJsonArray array;
    m_leftOut = 0;
    // Calls still to be written to the history come first: they have the most to lose.
    for (const bool recorded : {false, true}) {
        for (const CallRecord &r : qAsConst(m_records)) {
            if (r.recorded != recorded)
                continue;
            if (array.size() < MaxRecords && r.isReadable())
                array.append(r.toJson());
            else
                ++m_leftOut;
        }
    }
    m_dirty = true;
    const QFileInfo folder(QFileInfo(m_path).absolutePath());
    const QFile::Permissions writable = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (folder.exists() && (!folder.isWritable() || !(folder.permissions() & writable))) {
        m_error = QStringLiteral("cannot write %1: its folder is write-protected").arg(m_path);
        return false;
    }
    QDir().mkpath(folder.absoluteFilePath());
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(array).toJson(QJsonDocument::Compact)) < 0 || !file.commit()) {
        m_error = QStringLiteral("cannot write %1: %2").arg(m_path, file.errorString());
        return false;
    }
    m_dirty = false;
    return true;
}
