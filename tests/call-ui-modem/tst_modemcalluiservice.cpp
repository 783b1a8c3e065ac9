#include "callhistoryrecorder.h"
#include "callrecord.h"
#include "event.h"
#include "eventfilter.h"
#include "eventgrouper.h"
#include "eventstore.h"
#include "fakemodemmanager.h"
#include "testsupport.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString Cellular = QStringLiteral("/org/freedesktop/Telepathy/Account/pulse/tel/pulse");
const QString CallUi = QStringLiteral("com.velto.CallUi");
const QString CallUiPath = QStringLiteral("/com/velto/CallUi");

// MMCallState and MMCallStateReason values the rows use.
enum { RingingOut = 2, Active = 4, Terminated = 7 };
// How long a step may take to show: the service and the fake ModemManager are processes of their
// own, which a loaded machine can hold back for seconds.
constexpr int ServiceWaitMs = 20000;
enum { Accepted = 3, ReasonTerminated = 4, RefusedOrBusy = 5, Error = 6 };
} // namespace

// The call-UI notifications of the service under test, as short strings; call ids are shown as
// call1, call2... in the order they first appear.
class CallUiLog : public QObject
{
    Q_OBJECT
public:
    QStringList entries;
    QStringList uids;
    // The ids of incoming calls, in order.
    QStringList incoming;

    QString label(const QString &uid)
    {
        if (!uids.contains(uid))
            uids << uid;
        return QStringLiteral("call%1").arg(uids.indexOf(uid) + 1);
    }
    QString text() const { return entries.join(QStringLiteral(", ")); }

public Q_SLOTS:
    void onAnswered(const QString &uid) { entries << QStringLiteral("answered ") + label(uid); }
    void onEnded(const QString &uid, int reason, int, const QString &)
    {
        entries << QStringLiteral("ended %1 %2").arg(label(uid)).arg(reason);
    }
    void onCompleted(const QString &uid) { entries << QStringLiteral("completed ") + label(uid); }
    void onFailed(const QString &uid) { entries << QStringLiteral("failed ") + label(uid); }
    void onIncoming(const QString &uid, const QString &number)
    {
        entries << QStringLiteral("incoming %1 %2").arg(label(uid), number).trimmed();
        incoming << uid;
    }
};

// The modem call-UI service as a process of its own, against a fake ModemManager on the test's
// bus, with the real history store.
class TestModemCallUiService : public QObject
{
    Q_OBJECT
private:
    FakeModemManager m_modem;
    QProcess m_service;
    QTemporaryDir m_dir;
    CallUiLog m_log;
    CommHistory::EventStore m_store;
    QString m_lastCall;
    QString m_lastUid;
    // The journal's folder, when not the temporary folder itself.
    QString m_journalFolder;

    QString journalPath() const
    {
        return QDir(m_journalFolder.isEmpty() ? m_dir.path() : m_journalFolder)
            .filePath(QStringLiteral("calls.json"));
    }

    bool startService(const QStringList &options = QStringList())
    {
        m_service.setProcessChannelMode(QProcess::ForwardedChannels);
        m_service.start(TestSupport::builtProgram("services/call-ui-modem/call-ui-modem-service"),
                        QStringList{QStringLiteral("--modem-bus"), QStringLiteral("session"),
                                    QStringLiteral("--journal"), journalPath()} +
                            options);
        return m_service.waitForStarted() && TestSupport::waitForBusName(CallUi, 15000);
    }

    // Why the service did not come up, for a failed start.
    QByteArray serviceState() const
    {
        if (m_service.state() != QProcess::NotRunning)
            return "still running without its bus name";
        return QStringLiteral("ended: %1, exit code %2")
            .arg(m_service.exitStatus() == QProcess::CrashExit ? QStringLiteral("crashed")
                                                               : QStringLiteral("exited"))
            .arg(m_service.exitCode())
            .toUtf8();
    }

    void killService()
    {
        m_service.kill();
        m_service.waitForFinished();
        QVERIFY(TestSupport::waitForBusNameGone(CallUi));
    }

    QVariantList callService(const QString &interface, const QString &method,
                             const QVariantList &args)
    {
        QDBusMessage msg = QDBusMessage::createMethodCall(CallUi, CallUiPath, interface, method);
        msg.setArguments(args);
        const QDBusMessage reply = QDBusConnection::sessionBus().call(msg, QDBus::Block, 10000);
        return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments() : QVariantList();
    }

    QString request(const QString &account, const QString &number)
    {
        const QVariantList r = callService(CallUi, QStringLiteral("RequestCallToContact"),
                                           {account, number, 0u, QString(), false});
        return r.isEmpty() ? QString() : r.first().toString();
    }

    // The call objects of the fake as "path state".
    QString callInState(int state)
    {
        for (const QString &c : m_modem.calls())
            if (c.endsWith(QLatin1Char(' ') + QString::number(state)))
                return c.section(QLatin1Char(' '), 0, 0);
        return QString();
    }

    QList<CommHistory::Event> history()
    {
        QList<CommHistory::Event> events;
        m_store.events(CommHistory::EventFilter(), CommHistory::Event(), 100, &events);
        return events;
    }

    // The store's calls, newest first, as "kind number read|unread".
    QString historyText()
    {
        QStringList list;
        for (const CommHistory::Event &e : history()) {
            const int kind = CommHistory::EventFilter::kindOf(e);
            const QString name = kind == CommHistory::EventFilter::Dialled  ? "dialled"
                                 : kind == CommHistory::EventFilter::Missed ? "missed"
                                                                            : "received";
            QString text = name + QLatin1Char(' ') +
                           (e.remoteUid().isEmpty() ? QStringLiteral("withheld") : e.remoteUid()) +
                           (e.isRead() ? QStringLiteral(" read") : QStringLiteral(" unread"));
            if (e.localUid() != Cellular)
                text += QStringLiteral(" on ") + e.localUid();
            if (e.isEmergencyCall())
                text += QStringLiteral(" emergency");
            list << text;
        }
        return list.join(QStringLiteral(", "));
    }

    // Runs one step of a row's script (see shouldFollowCall_data).
    void step(const QString &s)
    {
        const QString verb = s.section(QLatin1Char(':'), 0, 0);
        const QString arg = s.section(QLatin1Char(':'), 1);
        if (verb == QLatin1String("start")) {
            QVERIFY(m_modem.setStartMode(arg));
        } else if (verb == QLatin1String("created")) {
            QTRY_VERIFY_WITH_TIMEOUT(!(m_lastCall = callInState(0)).isEmpty(), ServiceWaitMs);
        } else if (verb == QLatin1String("dial")) {
            m_lastUid = request(Cellular, arg);
            QVERIFY(!m_lastUid.isEmpty());
            m_log.label(m_lastUid);
            QTRY_VERIFY_WITH_TIMEOUT(!(m_lastCall = callInState(1)).isEmpty(), ServiceWaitMs);
        } else if (verb == QLatin1String("request")) {
            // A request that is expected to fail: account and number as given.
            m_lastUid =
                request(arg.section(QLatin1Char('|'), 0, 0), arg.section(QLatin1Char('|'), 1));
            QVERIFY(!m_lastUid.isEmpty());
            m_log.label(m_lastUid);
        } else if (verb == QLatin1String("ring") || verb == QLatin1String("ring2")) {
            QString modem = FakeModemManager::modemPath(0);
            if (verb == QLatin1String("ring2"))
                QVERIFY(!(modem = m_modem.addModem({})).isEmpty());
            const int before = m_log.incoming.size();
            m_lastCall = m_modem.addIncomingCall(modem, arg);
            QVERIFY(!m_lastCall.isEmpty());
            QTRY_COMPARE_WITH_TIMEOUT(m_log.incoming.size(), before + 1, ServiceWaitMs);
            m_lastUid = m_log.incoming.last();
        } else if (verb == QLatin1String("state")) {
            QVERIFY(m_modem.setCallState(m_lastCall, arg.section(QLatin1Char(':'), 0, 0).toInt(),
                                         arg.section(QLatin1Char(':'), 1).toUInt()));
        } else if (verb == QLatin1String("number")) {
            QVERIFY(m_modem.setCallNumber(m_lastCall, arg));
        } else if (verb == QLatin1String("accept") || verb == QLatin1String("hangup")) {
            // Answered or ended on the phone: the call screen asks the modem, which moves the
            // call on (tests/call-ui-modem/tst_modemcallscreen taps the screen itself).
            QVERIFY(verb == QLatin1String("accept")
                        ? m_modem.setCallState(m_lastCall, Active, Accepted)
                        : m_modem.setCallState(m_lastCall, Terminated, ReasonTerminated));
        } else if (verb == QLatin1String("forged-end")) {
            // An end in a shape ModemManager does not send (no reason): not taken.
            QVERIFY(m_modem.emitSignal(
                m_lastCall, QStringLiteral("org.freedesktop.ModemManager1.Call"),
                QStringLiteral("StateChanged"), QStringLiteral("ii"), {1, Terminated}));
            // Nor a state ModemManager does not have.
            QVERIFY(m_modem.emitSignal(
                m_lastCall, QStringLiteral("org.freedesktop.ModemManager1.Call"),
                QStringLiteral("StateChanged"), QStringLiteral("iiu"), {1, 99, 0u}));
        } else if (verb == QLatin1String("unplug")) {
            QVERIFY(m_modem.removeModem(FakeModemManager::modemPath(0)));
        } else if (verb == QLatin1String("restart-modemmanager")) {
            m_modem.stop();
            QVERIFY(m_modem.start());
        } else if (verb == QLatin1String("answered")) {
            QTRY_VERIFY_WITH_TIMEOUT(
                m_log.entries.contains(QStringLiteral("answered ") + m_log.label(m_lastUid)),
                ServiceWaitMs);
        } else {
            QFAIL(qPrintable(QStringLiteral("unknown step ") + s));
        }
    }

    void writeJournal(const QList<CallRecord> &records)
    {
        QJsonArray array;
        for (const CallRecord &r : records)
            array.append(r.toJson());
        QFile file(journalPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QJsonDocument(array).toJson());
    }

    // The records of the journal file.
    int journalSize()
    {
        QFile file(journalPath());
        return file.open(QIODevice::ReadOnly)
                   ? QJsonDocument::fromJson(file.readAll()).array().size()
                   : 0;
    }

    // Nothing left for the service to settle: the modem has no calls and the journal is empty.
    bool settled() { return m_modem.calls().isEmpty() && journalSize() == 0; }

    // The store's calls counted by kind, as "2 missed, 1 dialled".
    QString historyCounts()
    {
        QMap<QString, int> counts;
        for (const QString &call : historyText().split(QStringLiteral(", "), Qt::SkipEmptyParts))
            ++counts[call.section(QLatin1Char(' '), 0, 0)];
        QStringList list;
        for (auto it = counts.begin(); it != counts.end(); ++it)
            list << QStringLiteral("%1 %2").arg(it.value()).arg(it.key());
        return list.join(QStringLiteral(", "));
    }

    // Write-protects (or frees) a file or folder by its mode bits, which the service and the
    // store honour even for root.
    static bool setWritable(const QString &path, bool writable)
    {
        QFile::Permissions p = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
        if (QFileInfo(path).isDir())
            p |= QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
        return QFile::setPermissions(path, writable ? p | QFile::WriteOwner : p);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(m_store.open());
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.connect(CallUi, CallUiPath, CallUi, QStringLiteral("CallAnswered"), &m_log,
                    SLOT(onAnswered(QString)));
        bus.connect(CallUi, CallUiPath, CallUi, QStringLiteral("CallEnded"), &m_log,
                    SLOT(onEnded(QString, int, int, QString)));
        bus.connect(CallUi, CallUiPath, CallUi, QStringLiteral("CommandCompleted"), &m_log,
                    SLOT(onCompleted(QString)));
        bus.connect(CallUi, CallUiPath, CallUi, QStringLiteral("CommandFailed"), &m_log,
                    SLOT(onFailed(QString)));
        bus.connect(CallUi, CallUiPath, QStringLiteral("com.velto.CallUi.Modem"),
                    QStringLiteral("CallIncoming"), &m_log, SLOT(onIncoming(QString, QString)));
    }

    void init()
    {
        QVERIFY(m_store.deleteAll());
        QFile::remove(journalPath());
        m_log.entries.clear();
        m_log.uids.clear();
        m_log.incoming.clear();
        m_lastCall.clear();
        m_lastUid.clear();
        m_journalFolder.clear();
        QVERIFY(m_modem.start());
    }

    void cleanup()
    {
        if (m_service.state() != QProcess::NotRunning)
            killService();
        m_modem.stop();
        setWritable(m_store.path(), true);
        if (!m_journalFolder.isEmpty()) {
            setWritable(m_journalFolder, true);
            QDir(m_journalFolder).removeRecursively();
            QFile::remove(m_journalFolder);
        }
    }

    void shouldFollowCall_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("signals");
        QTest::addColumn<QString>("calls");
        // Outgoing calls: the modem dials (state 1) once Start is called.
        QTest::newRow("outgoing answered and hung up")
            << "dial:+358401234567 state:2:0 state:4:3 answered hangup"
            << "answered call1, ended call1 0"
            << "dialled +358401234567 read";
        QTest::newRow("outgoing busy") << "dial:0401234567 state:2:0 state:7:5"
                                       << "ended call1 1"
                                       << "dialled 0401234567 read";
        QTest::newRow("outgoing refused by the network") << "dial:0401234567 state:7:6"
                                                         << "ended call1 3"
                                                         << "dialled 0401234567 read";
        QTest::newRow("outgoing not answered") << "dial:0401234567 state:2:0 hangup"
                                               << "ended call1 2"
                                               << "dialled 0401234567 read";
        QTest::newRow("signals out of shape ignored")
            << "dial:0401234567 forged-end state:4:3 answered state:7:4"
            << "answered call1, ended call1 0"
            << "dialled 0401234567 read";
        QTest::newRow("outgoing separators dropped") << "dial:+358-(40)-123.4567 state:7:4"
                                                     << "ended call1 2"
                                                     << "dialled +358401234567 read";
        QTest::newRow("emergency number from the SIM") << "dial:911 state:4:3 answered state:7:4"
                                                       << "answered call1, ended call1 0"
                                                       << "dialled 911 read emergency";
        // Requests that never become calls: nothing in the history.
        QTest::newRow("outgoing refused by the modem")
            << "start:refuse request:" + Cellular + "|0401234567"
            << "failed call1"
            << "";
        QTest::newRow("modem removed before the call dialled")
            << "start:silent request:|0401234567 created unplug"
            << "failed call1"
            << "";
        QTest::newRow("modem removed before the call's creation was answered")
            << "start:unplug-at-create request:|0401234567"
            << "failed call1"
            << "";
        QTest::newRow("not a number") << "request:|0401<b>"
                                      << "failed call1"
                                      << "";
        QTest::newRow("not the cellular account")
            << "request:/org/freedesktop/Telepathy/Account/sip/sip/velto|0401234567"
            << "failed call1"
            << "";
        // Incoming calls.
        QTest::newRow("incoming answered")
            << "ring:+35850111 accept answered state:7:4"
            << "incoming call1 +35850111, answered call1, ended call1 0"
            << "received +35850111 read";
        QTest::newRow("incoming missed") << "ring:+35850111 state:7:4"
                                         << "incoming call1 +35850111, ended call1 2"
                                         << "missed +35850111 unread";
        QTest::newRow("withheld number") << "ring: state:7:4"
                                         << "incoming call1, ended call1 2"
                                         << "missed withheld unread";
        QTest::newRow("number with control characters taken as withheld")
            << QStringLiteral("ring:+358\u0007501 state:7:4") << "incoming call1, ended call1 2"
            << "missed withheld unread";
        QTest::newRow("number given after the call appeared") << "ring: number:+35850222 state:7:4"
                                                              << "incoming call1, ended call1 2"
                                                              << "missed +35850222 unread";
        // A later number the history could not keep, or none, leaves the last good one.
        QTest::newRow("late number too long")
            << "ring:+358405000099 number:" + QString(10000, QLatin1Char('1')) + " state:7:4"
            << "incoming call1 +358405000099, ended call1 2"
            << "missed +358405000099 unread";
        QTest::newRow("late number with control characters")
            << QStringLiteral("ring:+358405000099 number:+358\u0007501 state:7:4")
            << "incoming call1 +358405000099, ended call1 2"
            << "missed +358405000099 unread";
        QTest::newRow("late empty number") << "ring:+358405000099 number: state:7:4"
                                           << "incoming call1 +358405000099, ended call1 2"
                                           << "missed +358405000099 unread";
        // The history's bound on a remote identifier is the service's bound on a number.
        const QString longest(CommHistory::Event::MaxRemoteUidLength, QLatin1Char('5'));
        QTest::newRow("number as long as the history keeps")
            << "ring:" + longest + " state:7:4"
            << "incoming call1 " + longest + ", ended call1 2"
            << "missed " + longest + " unread";
        QTest::newRow("number longer than the history keeps taken as withheld")
            << "ring:" + longest + "5 state:7:4"
            << "incoming call1, ended call1 2"
            << "missed withheld unread";
        QTest::newRow("incoming on a second modem") << "ring2:+35850333 state:7:4"
                                                    << "incoming call1 +35850333, ended call1 2"
                                                    << "missed +35850333 unread";
        QTest::newRow("two calls in a row from the same number")
            << "ring:+35850111 state:7:4 ring:+35850111 state:7:4"
            << "incoming call1 +35850111, ended call1 2, incoming call2 +35850111, ended call2 2"
            << "missed +35850111 unread, missed +35850111 unread";
        // The call's end is not seen: it is ended and written when its modem or ModemManager goes.
        QTest::newRow("modem removed mid-call") << "dial:0401234567 state:4:3 answered unplug"
                                                << "answered call1, ended call1 3"
                                                << "dialled 0401234567 read";
        QTest::newRow("ModemManager restarted mid-call")
            << "ring:+35850111 accept answered restart-modemmanager"
            << "incoming call1 +35850111, answered call1, ended call1 3"
            << "received +35850111 read";
        QTest::newRow("modem removed while ringing") << "ring:+35850111 unplug"
                                                     << "incoming call1 +35850111, ended call1 3"
                                                     << "missed +35850111 unread";
    }
    void shouldFollowCall()
    {
        QFETCH(QString, steps);
        QFETCH(QString, signals);
        QFETCH(QString, calls);
        QVERIFY2(startService(), serviceState().constData());
        for (const QString &s : steps.split(QLatin1Char(' '))) {
            step(s);
            if (QTest::currentTestFailed())
                return;
        }
        QTRY_COMPARE_WITH_TIMEOUT(m_log.text(), signals, ServiceWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(historyText(), calls, ServiceWaitMs);
        // The ended calls are taken off the modem and out of the journal.
        QTRY_VERIFY_WITH_TIMEOUT(settled(), ServiceWaitMs);
    }

    void shouldCollapseRepeatedCallsFromOneNumber()
    {
        QVERIFY2(startService(), serviceState().constData());
        for (int i = 0; i < 2; ++i) {
            step(QStringLiteral("ring:+35850111"));
            step(QStringLiteral("state:7:4"));
        }
        QTRY_COMPARE_WITH_TIMEOUT(history().size(), 2, ServiceWaitMs);
        const QList<CommHistory::Event> events = history();
        const auto rows = CommHistory::EventGrouper::group(events.toVector(), true);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(QStringLiteral("%1 calls, unread %2")
                     .arg(rows.first().shown.eventCount())
                     .arg(!rows.first().shown.isRead()),
                 QStringLiteral("2 calls, unread 1"));
    }

    // The call's signals come while the service lists the modems, and the listing predates it.
    void shouldFollowCallRingingWhileTheModemsAreListed()
    {
        QVERIFY(m_modem.ringDuringNextListing(FakeModemManager::modemPath(0),
                                              QStringLiteral("+35850111")));
        QVERIFY2(startService(), serviceState().constData());
        QTRY_COMPARE_WITH_TIMEOUT(m_log.incoming.size(), 1, ServiceWaitMs);
        m_lastUid = m_log.incoming.last();
        m_lastCall = QStringLiteral("/org/freedesktop/ModemManager1/Call/0");
        step(QStringLiteral("state:7:4"));
        QTRY_COMPARE_WITH_TIMEOUT(
            m_log.text(), QStringLiteral("incoming call1 +35850111, ended call1 2"), ServiceWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(historyText(), QStringLiteral("missed +35850111 unread"),
                                  ServiceWaitMs);
    }

    void shouldTakeUpCallsAfterRestart_data()
    {
        QTest::addColumn<QString>("whileStopped");
        QTest::addColumn<QString>("afterRestart");
        QTest::addColumn<QString>("signals");
        QTest::addColumn<QString>("calls");
        QTest::newRow("call goes on") << ""
                                      << "state:7:4"
                                      << "answered call1, ended call1 0"
                                      << "dialled 0401234567 read";
        QTest::newRow("call ended meanwhile") << "state:7:4"
                                              << ""
                                              << "answered call1, ended call1 0"
                                              << "dialled 0401234567 read";
        QTest::newRow("ModemManager restarted meanwhile") << "restart-modemmanager"
                                                          << ""
                                                          << "answered call1, ended call1 3"
                                                          << "dialled 0401234567 read";
        QTest::newRow("modem removed meanwhile") << "unplug"
                                                 << ""
                                                 << "answered call1, ended call1 3"
                                                 << "dialled 0401234567 read";
    }
    void shouldTakeUpCallsAfterRestart()
    {
        QFETCH(QString, whileStopped);
        QFETCH(QString, afterRestart);
        QFETCH(QString, signals);
        QFETCH(QString, calls);
        QVERIFY2(startService(), serviceState().constData());
        step(QStringLiteral("dial:0401234567"));
        step(QStringLiteral("state:4:3"));
        step(QStringLiteral("answered"));
        const qint64 answeredBy = QDateTime::currentSecsSinceEpoch();
        killService();
        for (const QString &s : whileStopped.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            step(s);
        QVERIFY2(startService(), serviceState().constData());
        for (const QString &s : afterRestart.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            step(s);
        // Same call id after the restart: the caller still knows its call.
        QTRY_COMPARE_WITH_TIMEOUT(m_log.text(), signals, ServiceWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(historyText(), calls, ServiceWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(settled(), ServiceWaitMs);
        // Its time is the answer before the restart.
        QVERIFY(history().first().startTimeT() <= answeredBy);
        // A further restart finds nothing to write.
        killService();
        QVERIFY2(startService(), serviceState().constData());
        QTRY_VERIFY_WITH_TIMEOUT(settled(), ServiceWaitMs);
        QCOMPARE(historyText(), calls);
    }

    void shouldWriteCallCaughtMidWriteOnce_data()
    {
        QTest::addColumn<bool>("written");
        QTest::newRow("written before the stop") << true;
        QTest::newRow("not written before the stop") << false;
    }
    void shouldWriteCallCaughtMidWriteOnce()
    {
        QFETCH(bool, written);
        // A service killed while writing the call: the journal says so, the store may hold it.
        CallRecord r;
        r.uid = QStringLiteral("modemcall-1-1-1");
        r.owner = QStringLiteral(":1.9999");
        r.modemPath = FakeModemManager::modemPath(0);
        r.callPath = QStringLiteral("/org/freedesktop/ModemManager1/Call/77");
        r.direction = CallRecord::Incoming;
        r.number = QStringLiteral("+35850444");
        r.accountPath = Cellular;
        r.startedMs = QDateTime::currentMSecsSinceEpoch() - 60000;
        r.writing = true;
        if (written) {
            CommHistory::Event e = CallHistoryRecorder::eventFor(r, r.startedMs + 5000);
            QVERIFY(m_store.addEvent(e));
        }
        writeJournal({r});
        QVERIFY2(startService(), serviceState().constData());
        QTRY_VERIFY_WITH_TIMEOUT(settled(), ServiceWaitMs);
        QCOMPARE(historyText(), QStringLiteral("missed +35850444 unread"));
    }

    // Calls the journal holds, ended while the service was not running.
    void shouldRecordCallsTheJournalHolds_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("callPath");
        QTest::addColumn<QString>("calls");
        const QString call = QStringLiteral("/org/freedesktop/ModemManager1/Call/77");
        QTest::newRow("a call") << "+35850444" << call << "missed +35850444 unread";
        QTest::newRow("number longer than the history keeps")
            << QString(CommHistory::Event::MaxRemoteUidLength + 1, QLatin1Char('5')) << call
            << "missed withheld unread";
        // A record the journal cannot read costs no other: a second, good record follows it.
        QTest::newRow("beside a record it cannot read")
            << "+35850444" << call + QString(CallRecord::MaxTextLength, QLatin1Char('7'))
            << "missed +35850444 unread";
    }
    void shouldRecordCallsTheJournalHolds()
    {
        QFETCH(QString, number);
        QFETCH(QString, callPath);
        QFETCH(QString, calls);
        CallRecord r;
        r.uid = QStringLiteral("modemcall-1-1-1");
        r.owner = QStringLiteral(":1.9999");
        r.modemPath = FakeModemManager::modemPath(0);
        r.callPath = callPath;
        r.direction = CallRecord::Incoming;
        r.number = number;
        r.accountPath = Cellular;
        r.startedMs = QDateTime::currentMSecsSinceEpoch() - 60000;
        CallRecord good = r;
        good.uid = QStringLiteral("modemcall-1-1-2");
        good.callPath = QStringLiteral("/org/freedesktop/ModemManager1/Call/78");
        writeJournal(r.isReadable() ? QList<CallRecord>{r} : QList<CallRecord>{r, good});
        QVERIFY2(startService(), serviceState().constData());
        QTRY_COMPARE_WITH_TIMEOUT(historyText(), calls, ServiceWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(settled(), ServiceWaitMs);
    }

    // A call ModemManager names by a path longer than a record keeps never costs the journal
    // another call: one that ends while the service is stopped is recorded at the next start.
    void shouldKeepCallsBesideOneWithPathTooLong()
    {
        QVERIFY2(startService(), serviceState().constData());
        const QString modem = FakeModemManager::modemPath(0);
        QVERIFY(!m_modem
                     .addIncomingCallAt(modem,
                                        QStringLiteral("/org/freedesktop/ModemManager1/Call/") +
                                            QString(CallRecord::MaxTextLength, QLatin1Char('9')),
                                        QStringLiteral("+35850999"))
                     .isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(m_log.incoming.size(), 1, ServiceWaitMs);
        step(QStringLiteral("ring:+35850111"));
        killService();
        step(QStringLiteral("state:7:4"));
        QVERIFY2(startService(), serviceState().constData());
        QTRY_COMPARE_WITH_TIMEOUT(historyText(), QStringLiteral("missed +35850111 unread"),
                                  ServiceWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(journalSize(), 0, ServiceWaitMs);
    }

    // Our own bookkeeping never refuses or drops a call: what could not be written is kept in
    // memory and written once it can be.
    void shouldPlaceCallsItCannotNote_data()
    {
        // What cannot be written; the steps of one call, made count times (each call ends
        // unanswered); the calls in the history at the end.
        QTest::addColumn<QString>("unwritable");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("calls");
        QTest::newRow("journal folder read-only") << "journal folder"
                                                  << "dial:112 hangup" << 1 << "1 dialled";
        QTest::newRow("journal folder read-only, incoming call")
            << "journal folder"
            << "ring:+35850111 state:7:4" << 1 << "1 missed";
        // Not writable even for root.
        QTest::newRow("a file in place of the journal folder")
            << "file in place of the folder"
            << "dial:112 hangup" << 1 << "1 dialled";
        QTest::newRow("history file read-only") << "history"
                                                << "dial:0401234567 hangup" << 70 << "70 dialled";
    }
    void shouldPlaceCallsItCannotNote()
    {
        QFETCH(QString, unwritable);
        QFETCH(QString, steps);
        QFETCH(int, count);
        QFETCH(QString, calls);
        if (unwritable == QLatin1String("history")) {
            QVERIFY(setWritable(m_store.path(), false));
        } else {
            m_journalFolder = m_dir.filePath(QStringLiteral("journal"));
            if (unwritable == QLatin1String("journal folder")) {
                QVERIFY(QDir().mkpath(m_journalFolder));
                QVERIFY(setWritable(m_journalFolder, false));
            } else {
                QFile file(m_journalFolder);
                QVERIFY(file.open(QIODevice::WriteOnly));
            }
        }
        QVERIFY2(startService({QStringLiteral("--retry-delay"), QStringLiteral("20")}),
                 serviceState().constData());
        for (int i = 1; i <= count; ++i) {
            for (const QString &s : steps.split(QLatin1Char(' ')))
                step(s);
            QTRY_VERIFY_WITH_TIMEOUT(
                m_log.entries.contains(QStringLiteral("ended call%1 2").arg(i)), ServiceWaitMs);
            if (QTest::currentTestFailed())
                return;
        }
        QCOMPARE(m_log.entries.filter(QStringLiteral("failed")).join(QStringLiteral(", ")),
                 QString());
        // Written once the file or folder can be written again.
        if (unwritable == QLatin1String("history")) {
            QVERIFY(setWritable(m_store.path(), true));
        } else if (unwritable == QLatin1String("journal folder")) {
            QVERIFY(setWritable(m_journalFolder, true));
        } else {
            QVERIFY(QFile::remove(m_journalFolder));
            QVERIFY(QDir().mkpath(m_journalFolder));
        }
        QTRY_COMPARE_WITH_TIMEOUT(historyCounts(), calls, ServiceWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(journalPath()), ServiceWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(settled(), ServiceWaitMs);
    }

    // However many calls come at once, and whatever ModemManager announced before, every call
    // that rings is followed and recorded.
    void shouldRecordEveryCallOfABusyMoment_data()
    {
        QTest::addColumn<uint>("missing");
        QTest::addColumn<int>("ringing");
        QTest::addColumn<QString>("calls");
        QTest::newRow("100 calls ringing at once") << 0u << 100 << "100 missed";
        QTest::newRow("a call after 10000 calls that do not exist") << 10000u << 1 << "1 missed";
    }
    void shouldRecordEveryCallOfABusyMoment()
    {
        QFETCH(uint, missing);
        QFETCH(int, ringing);
        QFETCH(QString, calls);
        QVERIFY2(startService(), serviceState().constData());
        const QString modem = FakeModemManager::modemPath(0);
        if (missing > 0)
            QVERIFY(m_modem.announceMissingCalls(modem, missing));
        QStringList paths;
        for (int i = 0; i < ringing; ++i)
            paths << m_modem.addIncomingCall(modem, QStringLiteral("+3585%1").arg(1000 + i));
        QTRY_COMPARE_WITH_TIMEOUT(m_log.incoming.size(), ringing, ServiceWaitMs);
        for (const QString &call : qAsConst(paths))
            QVERIFY(m_modem.setCallState(call, Terminated, ReasonTerminated));
        QTRY_COMPARE_WITH_TIMEOUT(historyCounts(), calls, ServiceWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(settled(), ServiceWaitMs);
    }

    void shouldSetDamagedJournalAside()
    {
        QFile file(journalPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[{\"uid\": 5}]");
        file.close();
        QVERIFY2(startService(), serviceState().constData());
        QVERIFY(QFile::exists(journalPath() + QStringLiteral(".damaged")));
        step(QStringLiteral("ring:+35850111"));
        step(QStringLiteral("state:7:4"));
        QTRY_COMPARE_WITH_TIMEOUT(historyText(), QStringLiteral("missed +35850111 unread"),
                                  ServiceWaitMs);
    }

    // Answering and ending are on the service's own screen only: a peer on the bus could
    // otherwise answer a call, and open the microphone, without the person knowing.
    void shouldNotLetAnotherPeerAnswerOrEndACall_data()
    {
        QTest::addColumn<QString>("method");
        QTest::newRow("answer") << "Accept";
        QTest::newRow("end") << "Hangup";
    }
    void shouldNotLetAnotherPeerAnswerOrEndACall()
    {
        QFETCH(QString, method);
        QVERIFY2(startService(), serviceState());
        step(QStringLiteral("ring:+35850111"));
        QDBusMessage msg = QDBusMessage::createMethodCall(
            CallUi, CallUiPath, QStringLiteral("com.velto.CallUi.Modem"), method);
        msg << m_lastUid;
        const QDBusMessage reply = QDBusConnection::sessionBus().call(msg, QDBus::Block, 10000);
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(reply.errorName(), QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"));
        // The call still rings (3), neither answered nor ended.
        QCOMPARE(m_modem.calls(), QStringList{m_lastCall + QStringLiteral(" 3")});
        QCOMPARE(m_log.text(), QStringLiteral("incoming call1 +35850111"));
    }

    void shouldFailRequestsWithoutModemManager()
    {
        m_modem.stop();
        QVERIFY2(startService(), serviceState().constData());
        step(QStringLiteral("request:|0401234567"));
        QTRY_COMPARE_WITH_TIMEOUT(m_log.text(), QStringLiteral("failed call1"), ServiceWaitMs);
        // ModemManager coming later is found.
        QVERIFY(m_modem.start());
        step(QStringLiteral("ring:+35850111"));
        step(QStringLiteral("state:7:4"));
        QTRY_COMPARE_WITH_TIMEOUT(historyText(), QStringLiteral("missed +35850111 unread"),
                                  ServiceWaitMs);
    }
};

QTEST_GUILESS_MAIN(TestModemCallUiService)
#include "tst_modemcalluiservice.moc"
