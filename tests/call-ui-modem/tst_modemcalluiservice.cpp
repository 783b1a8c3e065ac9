#include "fakemodemmanager.h"
#include "modemservicetest.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QtTest>

namespace {
// MMCallState and MMCallStateReason values the rows use.
enum { Active = 4, Terminated = 7, Accepted = 3, ReasonTerminated = 4 };
} // namespace

// The modem call-UI service as a process of its own, against a fake ModemManager on the test's
// bus, with the real history store: the cases ModemManager itself cannot be made to show with a
// simulated modem (tst_modemcalluiservicereal runs the others against it), each saying why.
class TestModemCallUiService : public ModemServiceTest
{
    Q_OBJECT
private:
    FakeModemManager m_modem;
    QString m_lastCall;

    // The call objects of the fake as "path state".
    QString callInState(int state)
    {
        for (const QString &c : m_modem.calls())
            if (c.endsWith(QLatin1Char(' ') + QString::number(state)))
                return c.section(QLatin1Char(' '), 0, 0);
        return QString();
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
        } else if (verb == QLatin1String("ring")) {
            const int before = m_log.incoming.size();
            m_lastCall = m_modem.addIncomingCall(FakeModemManager::modemPath(0), arg);
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
        } else if (verb == QLatin1String("answered")) {
            QTRY_VERIFY_WITH_TIMEOUT(
                m_log.entries.contains(QStringLiteral("answered ") + m_log.label(m_lastUid)),
                ServiceWaitMs);
        } else {
            QFAIL(qPrintable(QStringLiteral("unknown step ") + s));
        }
    }

    // Nothing left for the service to settle: the modem has no calls and the journal is empty.
    bool settled() { return m_modem.calls().isEmpty() && journalSize() == 0; }

private Q_SLOTS:
    void initTestCase() { setUpStore(); }

    void init()
    {
        resetService();
        m_lastCall.clear();
        QVERIFY(m_modem.start());
    }

    void cleanup()
    {
        if (m_service.state() != QProcess::NotRunning)
            killService();
        m_modem.stop();
        cleanUpFiles();
    }

    void shouldFollowCall_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("signals");
        QTest::addColumn<QString>("calls");
        // Outgoing calls: the modem dials (state 1) once Start is called.
        // The reasons refused-or-busy and error: ModemManager's AT modems never give the first
        // and give the second only as Start fails (tst_modemcalluiservicereal); other modems may.
        QTest::newRow("outgoing busy") << "dial:0401234567 state:2:0 state:7:5"
                                       << "ended call1 1"
                                       << "dialled 0401234567 read";
        QTest::newRow("outgoing refused by the network") << "dial:0401234567 state:7:6"
                                                         << "ended call1 3"
                                                         << "dialled 0401234567 read";
        // Signals ModemManager never sends: only a fake can send them.
        QTest::newRow("signals out of shape ignored")
            << "dial:0401234567 forged-end state:4:3 answered state:7:4"
            << "answered call1, ended call1 0"
            << "dialled 0401234567 read";
        // A modem gone between the steps of placing a call: ModemManager dials within Start,
        // and nothing can take a modem away while CreateCall is being answered.
        QTest::newRow("modem removed before the call dialled")
            << "start:silent request:|0401234567 created unplug"
            << "failed call1"
            << "";
        QTest::newRow("modem removed before the call's creation was answered")
            << "start:unplug-at-create request:|0401234567"
            << "failed call1"
            << "";
        // A number withdrawn or replaced once given: ModemManager 1.20 keeps the first number
        // it read from an AT modem (tst_modemcalluiservicereal gives one only to a call that had
        // none); another plugin or version may not. A later number the history could not keep,
        // or none, leaves the last good one and is not announced; a good one is.
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
        QTest::newRow("late number replacing a good one")
            << "ring:+358405000099 number:+35850222 state:7:4"
            << "incoming call1 +358405000099, incoming call1 +35850222, ended call1 2"
            << "missed +35850222 unread";
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

    // The call's signals come while the service lists the modems, and the listing predates it:
    // a moment only a fake can choose.
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
    // A number that comes with the call's end, before the call could be deleted (only a fake
    // can choose the moment): the call ended with the number it had, also while its history
    // entry waits to be written; it is not announced again.
    void shouldKeepNumberCallEndedWith_data()
    {
        QTest::addColumn<bool>("historyWritable");
        QTest::newRow("history writable") << true;
        QTest::newRow("history written only later") << false;
    }
    void shouldKeepNumberCallEndedWith()
    {
        QFETCH(bool, historyWritable);
        if (!historyWritable)
            QVERIFY(setWritable(m_store.path(), false));
        QVERIFY2(startService({QStringLiteral("--retry-delay"), QStringLiteral("20")}),
                 serviceState().constData());
        step(QStringLiteral("ring:+358405000099"));
        QVERIFY(m_modem.setCallStateAndNumber(m_lastCall, Terminated, ReasonTerminated,
                                              QStringLiteral("+35850222")));
        QTRY_VERIFY_WITH_TIMEOUT(m_modem.calls().isEmpty(), ServiceWaitMs);
        QVERIFY(setWritable(m_store.path(), true));
        QTRY_COMPARE_WITH_TIMEOUT(historyText(), QStringLiteral("missed +358405000099 unread"),
                                  ServiceWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(settled(), ServiceWaitMs);
        QCOMPARE(m_log.text(), QStringLiteral("incoming call1 +358405000099, ended call1 2"));
    }

    // A call ModemManager names by a path longer than a record keeps never costs the journal
    // another call: one that ends while the service is stopped is recorded at the next start.
    // ModemManager chooses short paths; only a fake can be given one.
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
    // memory and written once it can be. On the fake, which places a call at once: ModemManager
    // reads an AT modem's calls every 2 seconds while one is set up, too slow for 70 calls.
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
    // that rings is followed and recorded. Only a fake rings 100 calls at once (a modem holds a
    // handful, the simulated one 7) or announces calls that do not exist.
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
        QVERIFY2(startService(), serviceState().constData());
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
};

QTEST_GUILESS_MAIN(TestModemCallUiService)
#include "tst_modemcalluiservice.moc"
