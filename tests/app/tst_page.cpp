#include "event.h"
#include "eventfilter.h"
#include "eventstore.h"
#include "mapplication.h"
#include "mapplicationpage.h"
#include "page.h"
#include "testsupport.h"

#include <QDBusConnection>
#include <QDBusMessage>
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
        QDBusMessage msg = QDBusMessage::createMethodCall(
            QStringLiteral("com.velto.CallUi"), QStringLiteral("/com/velto/CallUi"),
            QStringLiteral("com.velto.CallUi.Development"), QStringLiteral("SetSchedule"));
        msg << answer << end << fail;
        QCOMPARE(QDBusConnection::sessionBus().call(msg, QDBus::Block, 3000).type(),
                 QDBusMessage::ReplyMessage);
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
