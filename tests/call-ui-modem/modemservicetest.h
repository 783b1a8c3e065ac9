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
// calls setUpStore() from initTestCase() and resetService() from init().
class ModemServiceTest : public QObject
{
    Q_OBJECT
protected:
    inline static const QString Cellular =
        QStringLiteral("/org/freedesktop/Telepathy/Account/pulse/tel/pulse");
    inline static const QString CallUi = QStringLiteral("com.velto.CallUi");
    inline static const QString CallUiPath = QStringLiteral("/com/velto/CallUi");
    // How long a step may take to show: the service and ModemManager are processes of their
    // own, which a loaded machine can hold back for seconds.
    static constexpr int ServiceWaitMs = 20000;

    // Opens the store and listens to the service.
    void setUpStore();
    // No history, no journal, nothing logged.
    void resetService();

    QString journalPath() const { return m_dir.filePath(QStringLiteral("calls.json")); }
    bool startService();
    // Why the service did not come up, for a failed start.
    QByteArray serviceState() const;
    void killService();
    QVariantList callService(const QString &interface, const QString &method,
                             const QVariantList &args);
    // RequestCallToContact; the call id.
    QString request(const QString &account, const QString &number);
    // The service's Accept or Hangup of a call id, as a person answering or ending it.
    bool controlCall(const QString &method, const QString &uid);

    QList<CommHistory::Event> history();
    // The store's calls, newest first, as "kind number read|unread [on account] [emergency]".
    QString historyText();
    void writeJournal(const QList<CallRecord> &records);
    bool journalIsEmpty();

    QProcess m_service;
    QTemporaryDir m_dir;
    CallUiLog m_log;
    CommHistory::EventStore m_store;
    QString m_lastUid;
};
