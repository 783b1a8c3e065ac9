#include "blocklist.h"
#include "callhistoryrecorder.h"
#include "contactsengine.h"
#include "eventgrouper.h"
#include "mgconfitem.h"
#include "modemservicetest.h"
#include "realmodemmanager.h"
#include "simulatedmodem.h"
#include "testsupport.h"

#include <QDateTime>
#include <QFile>
#include <QtContacts/QContactManager>
#include <QtContacts/QContactPhoneNumber>
#include <QtTest>

// The modem call-UI service as a process of its own, against ModemManager itself in its test
// mode on the test's bus, driving simulated AT modems, with the real history store. One
// ModemManager serves the whole run (a modem takes a second to come up); a row that changes it
// (restarts it, takes its modem away, plugs in a modem of another kind) leaves it to be started
// afresh for the next.
//
// ModemManager reads the calls' progress from the modem every two seconds while a call is being
// set up or rings, so a step may take that long to show.
class TestModemCallUiServiceReal : public ModemServiceTest
{
    Q_OBJECT
private:
    RealModemManager m_modemManager;
    SimulatedModem m_modem;
    // A second modem, plugged in by the rows that need it.
    SimulatedModem m_secondModem;
    QString m_modemPath;
    QString m_secondModemPath;
    // The modem the row's network steps act on.
    SimulatedModem *m_current = &m_modem;
    // MMCallState.
    enum { Terminated = 7 };
    // Whether ModemManager is as initTestCase() left it, with the one modem.
    bool m_fresh = false;

    // The block list's and the voicemail numbers' keys as a fresh profile has them.
    static void clearBlockList()
    {
        const QString prefix = Blocking::BlockList::keyPrefix();
        for (int i = 0; i < Blocking::BlockList::MaxEntries / Blocking::BlockList::ChunkSize; ++i)
            MGConfItem(prefix + QStringLiteral("entries%1").arg(i)).unset();
        for (const char *key : {"withheld", "notInAddressBook", "calledBackDays"})
            MGConfItem(prefix + QLatin1String(key)).unset();
        MGConfItem(QStringLiteral("/apps/telephony/voicemail/numbers")).unset();
    }

    // Entries as the command line takes them: numbers, prefixes, "withheld",
    // "not-in-address-book".
    static void block(const QStringList &entries)
    {
        Blocking::BlockList list;
        QString error;
        for (const QString &entry : entries) {
            if (entry == QLatin1String("withheld"))
                QVERIFY(list.setBlocksWithheld(true, &error));
            else if (entry == QLatin1String("not-in-address-book"))
                QVERIFY(list.setBlocksNonContacts(true, &error));
            else
                QVERIFY2(list.add(entry, &error), qPrintable(error));
        }
    }

    // Rings with number; a call that rings is then given up by the caller.
    void ringAndWait(const QString &number, bool rings)
    {
        const int before = m_log.incoming.size();
        QVERIFY(m_modem.ring(number));
        if (rings) {
            QTRY_COMPARE_WITH_TIMEOUT(m_log.incoming.size(), before + 1, ServiceWaitMs);
            QVERIFY(m_modem.hangUp());
        }
    }

    // Whether the modem was told to hang up since the log had `from` commands (ModemManager
    // sends ATH when it sets the modem up too).
    bool hungUpSince(int from)
    {
        const QStringList log = m_modem.log().mid(from);
        return log.contains(QStringLiteral("ATH")) || log.contains(QStringLiteral("AT+CHUP"));
    }

    void startModemManager()
    {
        m_modemManager.stop();
        m_secondModemPath.clear();
        QVERIFY2(m_modem.control({QStringLiteral("reset")}), "the simulated modem is gone");
        QVERIFY2(m_modemManager.start(), qPrintable(m_modemManager.errorString()));
        plugModem();
    }

    // Plugs the modem in again: ModemManager's modem of it goes away, with its calls, and a new
    // one comes.
    void plugModem()
    {
        m_modemPath = m_modemManager.plug(m_modem);
        QVERIFY2(!m_modemPath.isEmpty(), qPrintable(m_modemManager.errorString()));
    }

    QString simulatedCalls()
    {
        QString calls;
        m_current->control({QStringLiteral("calls")}, &calls);
        return calls;
    }

    void waitForEntry(const QString &entry)
    {
        QTRY_VERIFY_WITH_TIMEOUT(m_log.entries.contains(entry), ServiceWaitMs);
    }

    // Runs one step of a row's script (see shouldFollowCall_data).
    void step(const QString &s)
    {
        const QString verb = s.section(QLatin1Char(':'), 0, 0);
        const QString arg = s.section(QLatin1Char(':'), 1);
        const QString network = QStringLiteral(" alert answer busy remote-hangup ");
        if (verb == QLatin1String("dial")) {
            m_lastUid = request(Cellular, arg);
            QVERIFY(!m_lastUid.isEmpty());
            m_log.label(m_lastUid);
            QTRY_VERIFY_WITH_TIMEOUT(!simulatedCalls().isEmpty(), ServiceWaitMs);
        } else if (verb == QLatin1String("request")) {
            // A request that is expected to fail: account and number as given.
            m_lastUid =
                request(arg.section(QLatin1Char('|'), 0, 0), arg.section(QLatin1Char('|'), 1));
            QVERIFY(!m_lastUid.isEmpty());
            m_log.label(m_lastUid);
        } else if (verb == QLatin1String("ring") || verb == QLatin1String("ring2")) {
            if (verb == QLatin1String("ring2")) {
                m_fresh = false;
                QVERIFY(m_secondModem.start());
                m_secondModemPath = m_modemManager.plug(m_secondModem, QStringLiteral("modem1"));
                QVERIFY2(!m_secondModemPath.isEmpty(), qPrintable(m_modemManager.errorString()));
                m_current = &m_secondModem;
            }
            const int before = m_log.incoming.size();
            QVERIFY(m_current->ring(arg));
            QTRY_COMPARE_WITH_TIMEOUT(m_log.incoming.size(), before + 1, ServiceWaitMs);
            m_lastUid = m_log.incoming.last();
        } else if (network.contains(QLatin1Char(' ') + verb + QLatin1Char(' '))) {
            // The network and the other phone.
            QStringList words{verb == QLatin1String("remote-hangup") ? QStringLiteral("hangup")
                                                                     : verb};
            if (!arg.isEmpty())
                words << arg;
            QVERIFY(m_current->control(words));
        } else if (verb == QLatin1String("caller-id")) {
            // Given once ModemManager has read it from the modem.
            QVERIFY(m_current->giveCallerId(arg));
            QTRY_VERIFY_WITH_TIMEOUT(m_modemManager.calls(m_modemPath)
                                         .join(QLatin1Char('\n'))
                                         .contains(QLatin1Char(' ') + arg),
                                     ServiceWaitMs);
        } else if (verb == QLatin1String("dial-reply") || verb == QLatin1String("dial-result")) {
            // Words of a result joined by "_" ("NO_ANSWER").
            QVERIFY(m_current->control(
                {verb, QString(arg).replace(QLatin1Char('_'), QLatin1Char(' '))}));
        } else if (verb == QLatin1String("accept") || verb == QLatin1String("hangup")) {
            // Answered or ended on the phone: the call screen asks ModemManager for the call it
            // shows (tests/call-ui-modem/tst_modemcallscreen taps the screen itself).
            const QString modem = m_current == &m_secondModem ? m_secondModemPath : m_modemPath;
            QVERIFY2(m_modemManager.controlNewestCall(modem, verb == QLatin1String("accept")
                                                                 ? QStringLiteral("Accept")
                                                                 : QStringLiteral("Hangup")),
                     qPrintable(m_modemManager.errorString()));
        } else if (verb == QLatin1String("answered") || verb == QLatin1String("ended")) {
            // The service saw the call answered, or ended.
            const QString label = m_log.label(m_lastUid);
            if (verb == QLatin1String("answered"))
                waitForEntry(QStringLiteral("answered ") + label);
            else
                QTRY_VERIFY_WITH_TIMEOUT(
                    m_log.text().contains(QStringLiteral("ended %1 ").arg(label)), ServiceWaitMs);
        } else if (verb == QLatin1String("sent")) {
            // The modem received that AT command.
            QVERIFY2(m_current->log().contains(arg), qPrintable(m_current->log().join(' ')));
        } else if (verb == QLatin1String("unplug")) {
            QVERIFY(m_modem.control({QStringLiteral("reset")}));
            plugModem();
        } else if (verb == QLatin1String("restart-modemmanager")) {
            startModemManager();
        } else if (verb == QLatin1String("no-clcc")) {
            // A modem without +CLCC: ModemManager learns it when the modem is plugged in.
            m_fresh = false;
            QVERIFY(m_modem.control({QStringLiteral("clcc"), QStringLiteral("off")}));
            plugModem();
        } else if (verb == QLatin1String("unregistered")) {
            // Off the network: ModemManager allows emergency calls only.
            m_fresh = false;
            QVERIFY(m_modem.control({QStringLiteral("register"), QStringLiteral("none")}));
            QTRY_VERIFY_WITH_TIMEOUT(!m_modemManager.isRegistered(m_modemPath), ServiceWaitMs);
        } else {
            QFAIL(qPrintable(QStringLiteral("unknown step ") + s));
        }
    }

    void runSteps(const QString &steps)
    {
        for (const QString &s : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            step(s);
            if (QTest::currentTestFailed())
                return;
        }
    }

    // Nothing left for the service to settle: ModemManager has no calls and the journal is
    // empty.
    bool settled()
    {
        return journalSize() == 0 && m_modemManager.calls(m_modemPath).isEmpty() &&
               (m_secondModemPath.isEmpty() || m_modemManager.calls(m_secondModemPath).isEmpty());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(RealModemManager::isInstalled(), "ModemManager is not installed: scripts/setup");
        setUpStore();
        QVERIFY(m_modem.start());
        // An address book with one contact, for the "not in the address book" switch.
        QtContacts::QContactManager contacts(ContactsEngine::ensureRegistered());
        QtContacts::QContact contact;
        QtContacts::QContactPhoneNumber number;
        number.setNumber(QStringLiteral("+358 50 777 7777"));
        contact.saveDetail(&number);
        QVERIFY(contacts.saveContact(&contact));
    }

    void init()
    {
        resetService();
        clearBlockList();
        m_current = &m_modem;
        if (!m_fresh || !m_modemManager.isRunning() ||
            !m_modemManager.calls(m_modemPath).isEmpty()) {
            startModemManager();
            m_fresh = true;
        }
    }

    void cleanup()
    {
        if (m_service.state() != QProcess::NotRunning)
            killService();
        m_modem.control({QStringLiteral("reset")});
        m_secondModem.stop();
        cleanUpFiles();
    }

    void shouldFollowCall_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("signals");
        QTest::addColumn<QString>("calls");
        // Outgoing calls. The callee's answer shows at ModemManager's next read of the calls.
        QTest::newRow("outgoing answered and hung up")
            << "dial:+358401234567 alert answer answered hangup"
            << "answered call1, ended call1 0"
            << "dialled +358401234567 read";
        QTest::newRow("outgoing ended by the callee") << "dial:0401234567 answer answered "
                                                         "remote-hangup"
                                                      << "answered call1, ended call1 0"
                                                      << "dialled 0401234567 read";
        // A modem that gives a dial's outcome as ATD's result: ModemManager fails Start, with
        // NoDialtone for BUSY, and as well for NO ANSWER, NO CARRIER and NO DIALTONE (1.20).
        QTest::newRow("outgoing busy, told by the dial's result")
            << "dial-reply:hold dial:0401234567 busy"
            << "ended call1 1"
            << "dialled 0401234567 read";
        QTest::newRow("outgoing not answered, told by the dial's result")
            << "dial-reply:hold dial:0401234567 dial-result:NO_ANSWER"
            << "ended call1 1"
            << "dialled 0401234567 read";
        QTest::newRow("outgoing refused by the network") << "dial-reply:hold dial:0401234567 "
                                                            "dial-result:ERROR"
                                                         << "ended call1 3"
                                                         << "dialled 0401234567 read";
        // BUSY while the call is set up ends it as the network's end of an unanswered call does
        // (ModemManager gives no reason): not answered, as far as the service can tell.
        QTest::newRow("outgoing busy while dialling") << "dial:0401234567 busy"
                                                      << "ended call1 2"
                                                      << "dialled 0401234567 read";
        QTest::newRow("outgoing not answered") << "dial:0401234567 alert hangup"
                                               << "ended call1 2"
                                               << "dialled 0401234567 read";
        QTest::newRow("outgoing separators dropped")
            << "dial:+358-(40)-123.4567 sent:ATD+358401234567; hangup"
            << "ended call1 2"
            << "dialled +358401234567 read";
        QTest::newRow("emergency number from the SIM") << "dial:911 answer answered hangup"
                                                       << "answered call1, ended call1 0"
                                                       << "dialled 911 read emergency";
        // Without +CLCC ModemManager takes the call as active (reason outgoing-started) once the
        // modem dials: no one answered it yet.
        QTest::newRow("outgoing on a modem without +CLCC")
            << "no-clcc dial:0401234567 remote-hangup"
            << "ended call1 2"
            << "dialled 0401234567 read";
        // Requests that never become calls: nothing in the history.
        QTest::newRow("outgoing refused by the modem")
            << "unregistered request:" + Cellular + "|0401234567"
            << "failed call1"
            << "";
        QTest::newRow("not a number") << "request:|0401<b>"
                                      << "failed call1"
                                      << "";
        QTest::newRow("not the cellular account")
            << "request:/org/freedesktop/Telepathy/Account/sip/sip/velto|0401234567"
            << "failed call1"
            << "";
        // Incoming calls. A caller giving up shows at ModemManager's next read of the calls.
        QTest::newRow("incoming answered")
            << "ring:+35850111 accept answered remote-hangup"
            << "incoming call1 +35850111, answered call1, ended call1 0"
            << "received +35850111 read";
        QTest::newRow("incoming missed") << "ring:+35850111 remote-hangup"
                                         << "incoming call1 +35850111, ended call1 2"
                                         << "missed +35850111 unread";
        QTest::newRow("incoming rejected") << "ring:+35850111 hangup"
                                           << "incoming call1 +35850111, ended call1 2"
                                           << "missed +35850111 unread";
        QTest::newRow("withheld number") << "ring: remote-hangup"
                                         << "incoming call1, ended call1 2"
                                         << "missed withheld unread";
        QTest::newRow("number with control characters taken as withheld")
            << QStringLiteral("ring:+358\u0007501 remote-hangup") << "incoming call1, ended call1 2"
            << "missed withheld unread";
        // The history's bound on a remote identifier is the service's bound on a number.
        const QString longest(CommHistory::Event::MaxRemoteUidLength, QLatin1Char('5'));
        QTest::newRow("number as long as the history keeps")
            << "ring:" + longest + " remote-hangup"
            << "incoming call1 " + longest + ", ended call1 2"
            << "missed " + longest + " unread";
        QTest::newRow("number longer than the history keeps taken as withheld")
            << "ring:" + longest + "5 remote-hangup"
            << "incoming call1, ended call1 2"
            << "missed withheld unread";
        // Announced again once the number is known.
        QTest::newRow("number given after the call appeared")
            << "ring: caller-id:+35850222 remote-hangup"
            << "incoming call1, incoming call1 +35850222, ended call1 2"
            << "missed +35850222 unread";
        QTest::newRow("incoming on a second modem") << "ring2:+35850333 remote-hangup"
                                                    << "incoming call1 +35850333, ended call1 2"
                                                    << "missed +35850333 unread";
        QTest::newRow("two calls in a row from the same number")
            << "ring:+35850111 remote-hangup ended ring:+35850111 remote-hangup"
            << "incoming call1 +35850111, ended call1 2, incoming call2 +35850111, ended call2 2"
            << "missed +35850111 unread, missed +35850111 unread";
        // The call's end is not seen: it is ended and written when its modem or ModemManager goes.
        QTest::newRow("modem removed mid-call") << "dial:0401234567 answer answered unplug"
                                                << "answered call1, ended call1 3"
                                                << "dialled 0401234567 read";
        QTest::newRow("modem removed while dialling") << "dial:0401234567 unplug"
                                                      << "ended call1 3"
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
        runSteps(steps);
        if (QTest::currentTestFailed())
            return;
        QTRY_COMPARE_WITH_TIMEOUT(m_log.text(), signals, ServiceWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(historyText(), calls, ServiceWaitMs);
        // The ended calls are taken off the modem and out of the journal.
        QTRY_VERIFY_WITH_TIMEOUT(settled(), ServiceWaitMs);
    }

    // A blocked caller's call is hung up by the service before anything announces it, and kept
    // once as a read, blocked missed call; any other call rings.
    void shouldEndBlockedCallsBeforeTheyRing_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("caller");
        QTest::addColumn<QString>("signals");
        QTest::addColumn<QString>("calls");
        QTest::newRow("blocked number") << QStringList{"+358 50 123 4567"} << "+358501234567"
                                        << ""
                                        << "missed +358501234567 read blocked";
        QTest::newRow("blocked number in another form")
            << QStringList{"+358 50 123 4567"} << "0501234567"
            << ""
            << "missed 0501234567 read blocked";
        QTest::newRow("blocked prefix") << QStringList{"+44*"} << "+441632960000"
                                        << ""
                                        << "missed +441632960000 read blocked";
        QTest::newRow("withheld caller") << QStringList{"withheld"} << ""
                                         << ""
                                         << "missed withheld read blocked";
        QTest::newRow("caller not in the address book")
            << QStringList{"not-in-address-book"} << "+358509999999"
            << ""
            << "missed +358509999999 read blocked";
        QTest::newRow("allowed caller") << QStringList{"+44*", "+358501234567"} << "+358501234568"
                                        << "incoming call1 +358501234568, ended call1 2"
                                        << "missed +358501234568 unread";
        QTest::newRow("withheld not blocked") << QStringList{"+44*"} << ""
                                              << "incoming call1, ended call1 2"
                                              << "missed withheld unread";
        QTest::newRow("contact let through") << QStringList{"not-in-address-book"} << "0507777777"
                                             << "incoming call1 0507777777, ended call1 2"
                                             << "missed 0507777777 unread";
        QTest::newRow("called back lets through")
            << QStringList{"not-in-address-book", "called:+358508888888"} << "+358508888888"
            << "incoming call1 +358508888888, ended call1 2"
            << "missed +358508888888 unread, dialled +358508888888 read";
        QTest::newRow("emergency number never blocked")
            << QStringList{"911", "9*", "not-in-address-book"} << "911"
            << "incoming call1 911, ended call1 2"
            << "missed 911 unread";
        QTest::newRow("voicemail number never blocked")
            << QStringList{"+358501111111", "voicemail:+358 50 111 1111"} << "+358501111111"
            << "incoming call1 +358501111111, ended call1 2"
            << "missed +358501111111 unread";
    }
    void shouldEndBlockedCallsBeforeTheyRing()
    {
        QFETCH(QStringList, entries);
        QFETCH(QString, caller);
        QFETCH(QString, signals);
        QFETCH(QString, calls);
        QStringList listed;
        for (const QString &entry : entries) {
            if (entry.startsWith(QLatin1String("called:"))) {
                // Called back yesterday.
                CommHistory::Event e;
                e.setType(CommHistory::Event::CallEvent);
                e.setDirection(CommHistory::Event::Outbound);
                e.setLocalUid(Cellular);
                e.setRemoteUid(entry.mid(7));
                e.setStartTimeT(QDateTime::currentSecsSinceEpoch() - 24 * 3600);
                e.setIsRead(true);
                QVERIFY(m_store.addEvent(e));
            } else if (entry.startsWith(QLatin1String("voicemail:"))) {
                QVERIFY(MGConfItem(QStringLiteral("/apps/telephony/voicemail/numbers"))
                            .set(QStringList(entry.mid(10))));
            } else {
                listed << entry;
            }
        }
        block(listed);
        QVERIFY2(startService(), serviceState().constData());
        const int logged = m_modem.log().size();
        ringAndWait(caller, !signals.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(historyText(), calls, ServiceWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(settled(), ServiceWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(m_log.text(), signals, ServiceWaitMs);
        QCOMPARE(hungUpSince(logged), signals.isEmpty());
    }

    // A block added while the service runs counts from the next call on.
    void shouldBlockFromTheNextCallWithoutARestart()
    {
        QVERIFY2(startService(), serviceState().constData());
        int logged = m_modem.log().size();
        ringAndWait(QStringLiteral("+358501234567"), true);
        QTRY_COMPARE_WITH_TIMEOUT(historyText(), QStringLiteral("missed +358501234567 unread"),
                                  ServiceWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(settled(), ServiceWaitMs);
        QVERIFY(!hungUpSince(logged));
        logged = m_modem.log().size();
        block({QStringLiteral("+358501234567")});
        ringAndWait(QStringLiteral("+358501234567"), false);
        QTRY_COMPARE_WITH_TIMEOUT(
            historyText(),
            QStringLiteral("missed +358501234567 read blocked, missed +358501234567 unread"),
            ServiceWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(settled(), ServiceWaitMs);
        QVERIFY(hungUpSince(logged));
        QTRY_COMPARE_WITH_TIMEOUT(m_log.text(),
                                  QStringLiteral("incoming call1 +358501234567, ended call1 2"),
                                  ServiceWaitMs);
    }

    // The person decides: a call to a blocked number is placed as any other.
    void shouldPlaceOutgoingCallsToBlockedNumbers()
    {
        block({QStringLiteral("+358401234567"), QStringLiteral("not-in-address-book")});
        QVERIFY2(startService(), serviceState().constData());
        runSteps(QStringLiteral("dial:+358401234567 answer answered hangup"));
        QTRY_COMPARE_WITH_TIMEOUT(m_log.text(), QStringLiteral("answered call1, ended call1 0"),
                                  ServiceWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(historyText(), QStringLiteral("dialled +358401234567 read"),
                                  ServiceWaitMs);
    }

    void shouldCollapseRepeatedCallsFromOneNumber()
    {
        QVERIFY2(startService(), serviceState().constData());
        runSteps(QStringLiteral("ring:+35850111 remote-hangup ended ring:+35850111 remote-hangup"));
        QTRY_COMPARE_WITH_TIMEOUT(history().size(), 2, ServiceWaitMs);
        const QList<CommHistory::Event> events = history();
        const auto rows = CommHistory::EventGrouper::group(events.toVector(), true);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(QStringLiteral("%1 calls, unread %2")
                     .arg(rows.first().shown.eventCount())
                     .arg(!rows.first().shown.isRead()),
                 QStringLiteral("2 calls, unread 1"));
    }

    void shouldTakeUpCallsAfterRestart_data()
    {
        QTest::addColumn<QString>("whileStopped");
        QTest::addColumn<QString>("afterRestart");
        QTest::addColumn<QString>("signals");
        QTest::addColumn<QString>("calls");
        QTest::newRow("call goes on") << ""
                                      << "remote-hangup"
                                      << "answered call1, ended call1 0"
                                      << "dialled 0401234567 read";
        QTest::newRow("call ended meanwhile") << "remote-hangup"
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
        runSteps(QStringLiteral("dial:0401234567 answer answered"));
        const qint64 answeredBy = QDateTime::currentSecsSinceEpoch();
        killService();
        runSteps(whileStopped);
        QVERIFY2(startService(), serviceState().constData());
        runSteps(afterRestart);
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

    // ModemManager keeps the ended call until someone deletes it: the service, when it starts.
    // A history that cannot be written yet loses it no more than any other call.
    void shouldRecordCallMissedWhileStopped_data()
    {
        QTest::addColumn<bool>("historyWritable");
        QTest::newRow("history writable") << true;
        QTest::newRow("history written only later") << false;
    }
    void shouldRecordCallMissedWhileStopped()
    {
        QFETCH(bool, historyWritable);
        QVERIFY(m_modem.ring(QStringLiteral("+35850111")));
        QVERIFY(m_modem.hangUp());
        // The one call, ended (its path aside).
        QTRY_COMPARE_WITH_TIMEOUT(
            m_modemManager.calls(m_modemPath).join(QLatin1Char(',')).section(QLatin1Char(' '), 1),
            QStringLiteral("%1 +35850111").arg(Terminated), ServiceWaitMs);
        if (!historyWritable)
            QVERIFY(setWritable(m_store.path(), false));
        QVERIFY2(startService({QStringLiteral("--retry-delay"), QStringLiteral("20")}),
                 serviceState().constData());
        if (!historyWritable) {
            // Taken off the modem, kept in the journal until the history takes it.
            QTRY_VERIFY_WITH_TIMEOUT(m_modemManager.calls(m_modemPath).isEmpty(), ServiceWaitMs);
            QTRY_COMPARE_WITH_TIMEOUT(journalSize(), 1, ServiceWaitMs);
            QCOMPARE(historyText(), QString());
            QVERIFY(setWritable(m_store.path(), true));
        }
        QTRY_COMPARE_WITH_TIMEOUT(historyText(), QStringLiteral("missed +35850111 unread"),
                                  ServiceWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(settled(), ServiceWaitMs);
        // Once.
        killService();
        QVERIFY2(startService(), serviceState().constData());
        QTRY_VERIFY_WITH_TIMEOUT(settled(), ServiceWaitMs);
        QCOMPARE(historyText(), QStringLiteral("missed +35850111 unread"));
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
        r.modemPath = m_modemPath;
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
        r.modemPath = m_modemPath;
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

    void shouldSetDamagedJournalAside()
    {
        QFile file(journalPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[{\"uid\": 5}]");
        file.close();
        QVERIFY2(startService(), serviceState().constData());
        QVERIFY(QFile::exists(journalPath() + QStringLiteral(".damaged")));
        runSteps(QStringLiteral("ring:+35850111 remote-hangup"));
        QTRY_COMPARE_WITH_TIMEOUT(historyText(), QStringLiteral("missed +35850111 unread"),
                                  ServiceWaitMs);
    }

    void shouldFailRequestsWithoutModemManager()
    {
        m_modemManager.stop();
        QVERIFY2(startService(), serviceState().constData());
        step(QStringLiteral("request:|0401234567"));
        QTRY_COMPARE_WITH_TIMEOUT(m_log.text(), QStringLiteral("failed call1"), ServiceWaitMs);
        // ModemManager coming later is found.
        startModemManager();
        runSteps(QStringLiteral("ring:+35850111 remote-hangup"));
        QTRY_COMPARE_WITH_TIMEOUT(historyText(), QStringLiteral("missed +35850111 unread"),
                                  ServiceWaitMs);
    }
};

QTEST_GUILESS_MAIN(TestModemCallUiServiceReal)
#include "tst_modemcalluiservicereal.moc"
