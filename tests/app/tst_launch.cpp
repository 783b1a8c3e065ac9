#include "callhistoryapplicationservice.h"
#include "callhistorypage.h"
#include "callmodel.h"
#include "dialerpage.h"
#include "event.h"
#include "eventstore.h"
#include "mapplication.h"
#include "mapplicationwindow.h"
#include "mbanner.h"
#include "mgconfitem.h"
#include "modelmanager.h"
#include "mscenemanager.h"
#include "pagemanager.h"

#include <QSignalSpy>
#include <QtTest>

// Start-up in the background (prestarted) and launch requests, in a process started with
// "-prestart" as the program is on a handset.
class TestLaunch : public QObject
{
    Q_OBJECT
private:
    MApplicationWindow *m_window = nullptr;
    CallHistoryApplicationService *m_service = nullptr;

    PageManager *pm() { return PageManager::instance(); }

private Q_SLOTS:
    void initTestCase()
    {
        MGConfItem(QStringLiteral("/apps/call-history/settings/defaultPage")).unset();
        MApplication::instance()->setPrestartMode(M::LazyShutdown);
        m_service = new CallHistoryApplicationService(QStringLiteral("com.velto.test.launch"));
        m_window = new MApplicationWindow;
        pm()->setWindow(m_window);
    }

    void cleanupTestCase()
    {
        QMetaObject::invokeMethod(pm(), "onAboutToQuit");
        delete m_window;
        delete m_service;
    }

    void shouldStayHiddenWhilePrestarted()
    {
        QVERIFY(MApplication::isPrestarted());
        QVERIFY(!m_window->isVisible());
        QCOMPARE(pm()->currentPageType(), int(PageManager::None));
    }

    void shouldDefaultToHistoryOnceCallsArrive()
    {
        // Nothing stored and no call yet: the dialer.
        QCOMPARE(pm()->currentPageName(), QStringLiteral("dialer"));
        ModelManager::instance()->model()->getEvents();
        // The model's thread makes the new history file; this test is about the page, not about
        // two connections making one file at the same instant.
        QTRY_VERIFY(ModelManager::instance()->model()->isReady());
        CommHistory::EventStore store;
        QVERIFY(store.open());
        CommHistory::Event call;
        call.setType(CommHistory::Event::CallEvent);
        call.setDirection(CommHistory::Event::Inbound);
        call.setRemoteUid(QStringLiteral("+358401234567"));
        call.setStartTime(QDateTime::currentDateTime().addSecs(-60));
        call.setEndTime(QDateTime::currentDateTime());
        QVERIFY(store.addEvent(call));
        QTRY_COMPARE(pm()->currentPageName(), QStringLiteral("callHistory"));
    }

    void shouldLayOutDefaultPageInHiddenWindow()
    {
        pm()->prepareDefaultPage();
        QVERIFY(MApplication::isPrestarted());
        QVERIFY(!m_window->isVisible());
        QCOMPARE(pm()->currentPageType(), int(PageManager::None));
        QCOMPARE(m_window->currentPage(), pm()->callHistoryPage()->scenePage());
    }

    void shouldShowDefaultPageOnFirstLaunch()
    {
        QSignalSpy released(MApplication::instance(), &MApplication::prestartReleased);
        m_service->launch();
        QCOMPARE(released.count(), 1);
        QVERIFY(!MApplication::isPrestarted());
        QVERIFY(m_window->isVisible());
        QCOMPARE(pm()->currentPageType(), int(PageManager::CallHistory));
    }

    void shouldChoosePageByFirstParameter_data()
    {
        QTest::addColumn<QStringList>("parameters");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("number");
        // The default page is the page last shown: the call history, shown before each row.
        QTest::newRow("empty list: default") << QStringList{} << 1 << "";
        QTest::newRow("contacts") << QStringList{"contacts"} << 3 << "";
        QTest::newRow("dialer without digits") << QStringList{"dialer"} << 2 << "";
        QTest::newRow("dialer with digits") << QStringList{"dialer", "+35840"} << 2 << "+35840";
        QTest::newRow("third parameter ignored")
            << QStringList{"dialer", "112", "999"} << 2 << "112";
        QTest::newRow("dialer in other case") << QStringList{"DiAlEr", "5"} << 2 << "5";
        QTest::newRow("callhistory") << QStringList{"callhistory"} << 1 << "";
        QTest::newRow("voicemail shows contacts") << QStringList{"voicemail"} << 3 << "";
        QTest::newRow("unknown word: default") << QStringList{"settings"} << 1 << "";
        QTest::newRow("empty word: default") << QStringList{""} << 1 << "";
        QTest::newRow("tel link") << QStringList{"tel:+358-40-123.45(67)"} << 2 << "+358401234567";
        QTest::newRow("tel link in capitals") << QStringList{"TEL:0401234"} << 2 << "0401234";
        QTest::newRow("tel link with phone context")
            << QStringList{"tel:040-123;phone-context=+358"} << 2 << "040123";
    }
    void shouldChoosePageByFirstParameter()
    {
        QFETCH(QStringList, parameters);
        QFETCH(int, type);
        QFETCH(QString, number);
        pm()->showCallHistory();
        // Back to the background, as when the user closes the window.
        m_window->close();
        QVERIFY(MApplication::isPrestarted());
        QVERIFY(!m_window->isVisible());
        m_service->launch(parameters);
        QCOMPARE(pm()->currentPageType(), type);
        QVERIFY(m_window->isVisible());
        QVERIFY(!MApplication::isPrestarted());
        QCOMPARE(pm()->dialerPage()->number(), number);
    }

    void shouldRefuseTelLinkWithoutNumber_data()
    {
        QTest::addColumn<QString>("link");
        QTest::newRow("letters") << "tel:hello";
        QTest::newRow("empty") << "tel:";
        QTest::newRow("only parameters") << "tel:;phone-context=+358";
    }
    void shouldRefuseTelLinkWithoutNumber()
    {
        QFETCH(QString, link);
        pm()->showCallHistory();
        m_window->close();
        m_service->launch({link});
        QCOMPARE(pm()->currentPageType(), int(PageManager::Dialer));
        QCOMPARE(pm()->dialerPage()->number(), QString());
        QStringList titles;
        for (MSceneWindow *w : m_window->sceneManager()->overlays()) {
            if (auto *banner = qobject_cast<MBanner *>(w))
                titles << banner->title();
        }
        QVERIFY2(titles.contains(QStringLiteral("qtn_call_link_not_number")),
                 qPrintable(titles.join(QLatin1Char(','))));
    }

    void shouldForceCallHistoryResetOnLaunch()
    {
        pm()->showDialer();
        pm()->callHistoryPage()->requestSearchReset();
        pm()->showCallHistory(false, false);
        pm()->callHistoryPage()->requestSearchReset();
        m_service->launch({QStringLiteral("callhistory")});
        QVERIFY(!pm()->callHistoryPage()->isSearchResetPending());
    }
};

int main(int argc, char *argv[])
{
    QVector<char *> args(argv, argv + argc);
    char prestart[] = "-prestart";
    args.append(prestart);
    int n = args.size();
    MApplication app(n, args.data(), QStringLiteral("call-history-tests"));
    TestLaunch tc;
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_launch.moc"
