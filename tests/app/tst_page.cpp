#include "devcalluiclient.h"
#include "event.h"
#include "eventfilter.h"
#include "eventstore.h"
#include "mapplication.h"
#include "mapplicationpage.h"
#include "page.h"
#include "testsupport.h"

#include <QtTest>

namespace {
// A page that notes which call hooks ran.
class HookPage : public Page
{
public:
    HookPage(const QString &name, QStringList *log) : m_name(name), m_log(log) {}
    MApplicationPage *scenePage() override { return &m_page; }
    void enterPage() override {}
    void leavePage() override {}
    void resetPage() override {}
    void restorePrestart() override {}

protected:
    void callAnswered() override { *m_log << m_name + QStringLiteral(".answered"); }
    void callEnded() override { *m_log << m_name + QStringLiteral(".ended"); }
    void commandCompleted() override { *m_log << m_name + QStringLiteral(".completed"); }
    void commandFailed() override { *m_log << m_name + QStringLiteral(".failed"); }

private:
    QString m_name;
    QStringList *m_log;
    MApplicationPage m_page;
};

const QString Cellular = QStringLiteral("/org/freedesktop/Telepathy/Account/pulse/tel/pulse");
} // namespace

// Calls placed through the development call-UI service, running as its own process.
class TestPage : public QObject
{
    Q_OBJECT
private:
    QProcess m_service;
    QStringList m_log;

    void setSchedule(int answer, int end, bool fail)
    {
        QVERIFY(DevCallUiClient::setSchedule(answer, end, fail));
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_service.setProcessChannelMode(QProcess::ForwardedChannels);
        m_service.start(TestSupport::builtProgram("services/call-ui-dev/call-ui-dev-service"),
                        QStringList());
        QVERIFY(TestSupport::waitForBusName(QStringLiteral("com.velto.CallUi")));
    }

    void cleanupTestCase()
    {
        m_service.kill();
        m_service.waitForFinished();
    }

    void init() { m_log.clear(); }

    void shouldFollowOnlyOwnCall_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("end");
        QTest::addColumn<bool>("fail");
        QTest::addColumn<QString>("expected");
        // The first matching notification takes the pending id: later ones are not for us.
        QTest::newRow("answered, then ended") << 30 << 60 << false << "dialer.answered";
        QTest::newRow("ended unanswered") << -1 << 30 << false << "dialer.ended";
        QTest::newRow("completed at once") << -1 << -1 << false << "dialer.completed";
        QTest::newRow("refused") << 30 << 60 << true << "dialer.failed";
    }
    void shouldFollowOnlyOwnCall()
    {
        QFETCH(int, answer);
        QFETCH(int, end);
        QFETCH(bool, fail);
        QFETCH(QString, expected);
        setSchedule(answer, end, fail);
        HookPage dialer(QStringLiteral("dialer"), &m_log);
        HookPage history(QStringLiteral("history"), &m_log);
        dialer.call(Cellular, QStringLiteral("+358401234567"), 0, QStringLiteral("Anna"));
        QTRY_COMPARE(m_log.join(QLatin1Char(' ')), expected);
        QVERIFY(dialer.pendingCallId().isEmpty());
        // Nothing more arrives for either page.
        QTest::qWait(150);
        QCOMPARE(m_log.join(QLatin1Char(' ')), expected);
    }

    void shouldRecordEachPlacedCallInHistory()
    {
        setSchedule(20, 1100, false);
        HookPage dialer(QStringLiteral("dialer"), &m_log);
        dialer.call(Cellular, QStringLiteral("+35850999"), 0, QString(), true);
        CommHistory::EventStore store;
        QVERIFY(store.open());
        QList<CommHistory::Event> events;
        QTRY_VERIFY_WITH_TIMEOUT(
            (events.clear(),
             store.events(CommHistory::EventFilter(), CommHistory::Event(), 50, &events),
             std::any_of(events.begin(), events.end(),
                         [](const CommHistory::Event &e) {
                             return e.remoteUid() == QLatin1String("+35850999");
                         })),
            5000);
        const auto it = std::find_if(events.begin(), events.end(), [](const CommHistory::Event &e) {
            return e.remoteUid() == QLatin1String("+35850999");
        });
        QCOMPARE(it->direction(), CommHistory::Event::Outbound);
        QCOMPARE(it->localUid(), Cellular);
        QVERIFY(it->isVideoCall());
        QCOMPARE(it->startTime().secsTo(it->endTime()), 1);
    }

    void shouldIgnoreCallAfterRefresh()
    {
        setSchedule(80, 120, false);
        HookPage dialer(QStringLiteral("dialer"), &m_log);
        dialer.call(Cellular, QStringLiteral("112"));
        QTRY_VERIFY(!dialer.pendingCallId().isEmpty());
        dialer.refreshCall();
        QTest::qWait(250);
        QCOMPARE(m_log, QStringList());
    }

    void shouldKeepPendingIdOnOtherCallsNotification()
    {
        setSchedule(60, -1, false);
        HookPage dialer(QStringLiteral("dialer"), &m_log);
        HookPage history(QStringLiteral("history"), &m_log);
        dialer.call(Cellular, QStringLiteral("5550001"));
        QTRY_VERIFY(!dialer.pendingCallId().isEmpty());
        history.call(Cellular, QStringLiteral("5550002"));
        QTRY_VERIFY(!history.pendingCallId().isEmpty());
        QVERIFY(dialer.pendingCallId() != history.pendingCallId());
        QTRY_COMPARE(m_log.join(QLatin1Char(' ')),
                     QStringLiteral("dialer.answered history.answered"));
    }

    void shouldHoldTheCallKeysUntilTheCallsOutcome_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("end");
        QTest::addColumn<bool>("fail");
        QTest::addColumn<int>("timeout");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("answered") << 50 << -1 << false << 600000 << "dialer.answered";
        QTest::newRow("ended unanswered") << -1 << 50 << false << 600000 << "dialer.ended";
        QTest::newRow("completed") << -1 << -1 << false << 600000 << "dialer.completed";
        QTest::newRow("refused") << -1 << -1 << true << 600000 << "dialer.failed";
        QTest::newRow("service silent: the time-out frees") << -1 << 600000 << false << 100 << "";
    }
    void shouldHoldTheCallKeysUntilTheCallsOutcome()
    {
        QFETCH(int, answer);
        QFETCH(int, end);
        QFETCH(bool, fail);
        QFETCH(int, timeout);
        QFETCH(QString, outcome);
        setSchedule(answer, end, fail);
        DevCallUiClient service;
        HookPage dialer(QStringLiteral("dialer"), &m_log);
        dialer.setCallHoldTimeout(timeout);
        QSignalSpy holds(&dialer, &Page::callInFlightChanged);
        QVERIFY(dialer.call(Cellular, QStringLiteral("0401234567")));
        QVERIFY(dialer.isCallInFlight());
        QVERIFY(!dialer.call(Cellular, QStringLiteral("0407654321")));
        QTRY_VERIFY(!dialer.isCallInFlight());
        QCOMPARE(m_log.join(QLatin1Char(' ')), outcome);
        QCOMPARE(TestSupport::joinedFirstArguments(holds), QStringLiteral("true|false"));
        // Free again: the next call goes out.
        QVERIFY(dialer.call(Cellular, QStringLiteral("0409999999")));
        QTRY_COMPARE(service.requests().join(QLatin1Char(',')),
                     QStringLiteral("0401234567|pulse|0|,0409999999|pulse|0|"));
    }

    void shouldPlaceEmergencyCallsOnTheCellularAccount_data()
    {
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("video");
        QTest::addColumn<QString>("request");
        const QString voip = QStringLiteral("/org/freedesktop/Telepathy/Account/velto/sip/office");
        QTest::newRow("emergency on VoIP") << voip << "112" << false << "112|pulse|0|";
        QTest::newRow("emergency with separators") << voip << "9-1-1" << false << "911|pulse|0|";
        QTest::newRow("sos urn on VoIP") << voip << "urn:service:sos" << false << "112|pulse|0|";
        QTest::newRow("emergency video request") << Cellular << "112" << true << "112|pulse|0|";
        QTest::newRow("ordinary number stays on VoIP")
            << voip << "0401234567" << false << "0401234567|office|0|";
    }
    void shouldPlaceEmergencyCallsOnTheCellularAccount()
    {
        QFETCH(QString, account);
        QFETCH(QString, number);
        QFETCH(bool, video);
        QFETCH(QString, request);
        setSchedule(-1, -1, false);
        DevCallUiClient service;
        QSignalSpy requested(&service, &DevCallUiClient::requested);
        HookPage dialer(QStringLiteral("dialer"), &m_log);
        QVERIFY(dialer.call(account, number, 0, QString(), video));
        QTRY_COMPARE(requested.count(), 1);
        QCOMPARE(requested.first().at(0).toString(), request);
        // A modem places voice calls only.
        QCOMPARE(requested.first().at(1).toBool(), false);
    }

    void shouldNeverHoldBackAnEmergencyCall_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("requests");
        QTest::newRow("after an ordinary call") << "0401234567"
                                                << "0401234567|pulse|0|,112|pulse|0|,";
        // A second emergency press places no second emergency call.
        QTest::newRow("after an emergency call") << "112"
                                                 << "112|pulse|0|,";
    }
    void shouldNeverHoldBackAnEmergencyCall()
    {
        QFETCH(QString, first);
        QFETCH(QString, requests);
        setSchedule(-1, 600000, false);
        DevCallUiClient service;
        HookPage dialer(QStringLiteral("dialer"), &m_log);
        QSignalSpy holds(&dialer, &Page::callInFlightChanged);
        QVERIFY(dialer.call(Cellular, first));
        const bool placed = dialer.call(Cellular, QStringLiteral("112"));
        QCOMPARE(placed, first != QLatin1String("112"));
        QVERIFY(!dialer.call(Cellular, QStringLiteral("112")));
        QVERIFY(!dialer.call(Cellular, QStringLiteral("0407654321")));
        // Requests reach the service in order: once this one is there, any other would be too.
        dialer.refreshCall();
        QVERIFY(dialer.call(Cellular, QStringLiteral("0409999999")));
        QTRY_VERIFY(service.requests().contains(QStringLiteral("0409999999|pulse|0|")));
        QCOMPARE(service.requests().join(QLatin1Char(',')), requests + "0409999999|pulse|0|");
        QCOMPARE(TestSupport::joinedFirstArguments(holds), QStringLiteral("true|false|true"));
    }

    void shouldStayQuietWhenNoServiceAnswers()
    {
        m_service.kill();
        m_service.waitForFinished();
        QVERIFY(TestSupport::waitForBusNameGone(QStringLiteral("com.velto.CallUi")));
        HookPage dialer(QStringLiteral("dialer"), &m_log);
        dialer.call(Cellular, QStringLiteral("123"));
        QTest::qWait(300);
        QVERIFY(dialer.pendingCallId().isEmpty());
        QCOMPARE(m_log, QStringList());
    }
};

CH_TOUCH_TEST_MAIN(TestPage)
#include "tst_page.moc"
