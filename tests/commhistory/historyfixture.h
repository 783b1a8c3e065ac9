#ifndef HISTORYFIXTURE_H
#define HISTORYFIXTURE_H

#include "callmodel.h"
#include "event.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

/*
 * A call history database in a temporary folder for one test, and the helpers the store tests
 * share: making calls, describing model rows in short text, running the store tool.
 */
class HistoryFixture
{
public:
    HistoryFixture();
    ~HistoryFixture();

    QString path() const { return m_path; }
    QString dir() const { return m_dir.path(); }

    // A call with the kind given as a letter: d dialled, m missed, r received, u unknown
    // direction. endSecs counts from a fixed point in time.
    static CommHistory::Event call(const QString &remote, char kind, qint64 endSecs,
                                   const QString &account = QStringLiteral("/acc/cell"),
                                   bool read = true);
    // Stores calls "a/m b/r a/d ..." oldest first, one minute apart.
    void addCalls(const QString &description, int perCall = 60);
    void add(QList<CommHistory::Event> events);
    int storedCount();

    // "remote/kind" per row, with "xN" for rows of N calls, "*" for unread rows.
    static QString describe(const CommHistory::EventModel &model);
    static bool waitForReady(CommHistory::EventModel &model, int timeoutMs = 10000);

    static QString toolPath();
    // Runs the store tool on this database; returns its exit status, output in out/err.
    int runTool(const QStringList &args, QByteArray *out = nullptr, QByteArray *err = nullptr,
                const QByteArray &input = QByteArray());

    static QByteArray fileContent(const QString &path);
    // Makes the database file unusable: "text" (not a database), "foreign" (an SQLite file
    // of another program), "newer" (a newer schema), "readonly", "corrupt", "zeroedpage" (one
    // page of old calls zeroed: the newest calls still read well), "hugeid" (a call with the
    // id 2^31 beside the call with id 1).
    void makeBadFile(const QString &kind);

private:
    QTemporaryDir m_dir;
    QString m_path;
    qint64 m_next = 0;
};

#endif
