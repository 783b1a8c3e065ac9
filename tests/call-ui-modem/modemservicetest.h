#pragma once

#include "callrecord.h"
#include "calluilog.h"
#include "event.h"
#include "eventstore.h"

#include <QProcess>
#include <QTemporaryDir>

// What the tests of the modem call-UI service share, whichever ModemManager they run it on: the
// service as a process of its own on the test's session bus (where it also looks for
// ModemManager), its journal in a folder of the test's, its notifications (CallUiLog), and the
// real history store it writes, shown as a short string. A test class derives from it and
// calls setUpStore() from initTestCase(), resetService() from init() and cleanUpFiles() from
// cleanup(), once the service is stopped.
class ModemServiceTest : public QObject
{
    Q_OBJECT
protected:
    inline static const QString Cellular =
        QStringLiteral("/org/freedesktop/Telepathy/Account/pulse/tel/pulse");
    inline static const QString CallUi = QStringLiteral("com.velto.CallUi");
    inline static const QString CallUiPath = QStringLiteral("/com/velto/CallUi");
    // How long a step may take to show: the service and ModemManager are processes of their
    // own, which a loaded machine can hold back for seconds, and a sanitizer build runs several
    // times slower (a hundred calls at once took 48 s there). Only a failure waits this long.
    static constexpr int ServiceWaitMs = 90000;

    // Opens the store and listens to the service.
    void setUpStore();
    // No history, no journal, nothing logged.
    void resetService();
    // After a case: the history and the journal's folder writable again, a folder of the
    // journal's own (m_journalFolder) gone.
    void cleanUpFiles();

    // In m_journalFolder, or else in the test's temporary folder.
    QString journalPath() const;
    // With further options of the service's (e.g. --retry-delay).
    bool startService(const QStringList &options = QStringList());
    // Why the service did not come up, for a failed start.
    QByteArray serviceState() const;
    void killService();
    QVariantList callService(const QString &interface, const QString &method,
                             const QVariantList &args);
    // RequestCallToContact; the call id.
    QString request(const QString &account, const QString &number);

    QList<CommHistory::Event> history();
    // The store's calls, newest first, as "kind number read|unread [on account] [emergency]
    // [blocked]".
    QString historyText();
    // The store's calls counted by kind, as "2 missed, 1 dialled".
    QString historyCounts();
    void writeJournal(const QList<CallRecord> &records);
    // The records of the journal file (0 when there is none).
    int journalSize();
    // Write-protects (or frees) a file or folder by its mode bits, which the service and the
    // store honour even for root.
    static bool setWritable(const QString &path, bool writable);

    QProcess m_service;
    QTemporaryDir m_dir;
    // The journal's folder, when not the temporary folder itself (reset by resetService()).
    QString m_journalFolder;
    CallUiLog m_log;
    CommHistory::EventStore m_store;
    QString m_lastUid;
};
