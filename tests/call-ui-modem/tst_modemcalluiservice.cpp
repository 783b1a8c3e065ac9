#include "fakemodemmanager.h"
#include "modemservicetest.h"

#include <QtTest>

namespace {
// MMCallState and MMCallStateReason values the rows use.
enum { Terminated = 7 };
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
        } else if (verb == QLatin1String("state")) {
            QVERIFY(m_modem.setCallState(m_lastCall, arg.section(QLatin1Char(':'), 0, 0).toInt(),
                                         arg.section(QLatin1Char(':'), 1).toUInt()));
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
    bool settled() { return m_modem.calls().isEmpty() && journalIsEmpty(); }

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
};

QTEST_GUILESS_MAIN(TestModemCallUiService)
#include "tst_modemcalluiservice.moc"
