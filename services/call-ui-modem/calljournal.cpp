#include "calljournal.h"

#include "eventstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

namespace {
// A journal of MaxRecords records is a few tens of kilobytes.
const qint64 MaxFileSize = 1024 * 1024;
} // namespace

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
    QFile file(m_path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(m_path, file.errorString());
        return false;
    }
    bool ok = file.size() <= MaxFileSize;
    QJsonArray array;
    if (ok) {
        QJsonParseError parse;
        const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parse);
        ok = parse.error == QJsonParseError::NoError && doc.isArray();
        array = doc.array();
    }
    file.close();
    QMap<QString, CallRecord> read;
    for (int i = 0; ok && i < array.size(); ++i) {
        CallRecord r;
        ok = array.at(i).isObject() && CallRecord::fromJson(array.at(i).toObject(), &r) &&
             read.size() < MaxRecords;
        read.insert(r.key(), r);
    }
    if (ok) {
        m_records = read;
        return true;
    }
    // Kept for a person to look at; the service goes on without it.
    const QString aside = m_path + QStringLiteral(".damaged");
    QFile::remove(aside);
    QFile::rename(m_path, aside);
    *error = QStringLiteral("%1 is not a call journal; moved to %2").arg(m_path, aside);
    return false;
}

bool CallJournal::put(const CallRecord &record)
{
    if (!m_records.contains(record.key()) && m_records.size() >= MaxRecords) {
        m_error = QStringLiteral("too many calls at once");
        return false;
    }
    m_records.insert(record.key(), record);
    return save();
}

bool CallJournal::remove(const QString &key)
{
    if (!m_records.remove(key))
        return true;
    return save();
}

bool CallJournal::save()
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QJsonArray array;
    for (const CallRecord &r : qAsConst(m_records))
        array.append(r.toJson());
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(array).toJson(QJsonDocument::Compact)) < 0 || !file.commit()) {
        m_error = QStringLiteral("cannot write %1: %2").arg(m_path, file.errorString());
        return false;
    }
    return true;
}
