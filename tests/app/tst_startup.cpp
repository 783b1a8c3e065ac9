#include "callhistorypage.h"
#include "callhistorystartup.h"
#include "contactpickerpage.h"
#include "dialerpage.h"
#include "mapplication.h"
#include "mapplicationwindow.h"
#include "mgconfitem.h"
#include "pagemanager.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QtTest>

// The program's own start-up (as main() runs it), started with a launch argument, and a bus
// call sent before the event loop first ran: both arrive before the parts that start-up leaves
// until after the first frame (the dialer and contacts pages) exist, and both still act.
class TestStartup : public QObject
{
    Q_OBJECT
public:
    explicit TestStartup(CallHistoryStartup *startup) : m_startup(startup) {}

private:
    CallHistoryStartup *m_startup;

private Q_SLOTS:
    void shouldMakeOnlyTheCallHistoryPageBeforeTheLoopRuns()
    {
        // Checked by main() before the loop ran; reported here.
        QVERIFY(qApp->property("tst_startup_pagesBefore").toString() == QLatin1String("history"));
    }

    void shouldShowDialerWithLaunchDigitsAndBusDigits()
    {
        PageManager *pm = PageManager::instance();
        QTRY_COMPARE(pm->currentPageType(), int(PageManager::Dialer));
        QVERIFY(pm->dialerPage());
        QVERIFY(pm->contactPickerPage());
        // The launch argument first (the first turn of the loop), then the bus call's digits.
        QTRY_COMPARE(pm->dialerPage()->number(), QString("04012345"));
        QVERIFY(m_startup->window()->isVisible());
        QCOMPARE(m_startup->window()->currentPage(), pm->dialerPage()->scenePage());
    }

    void shouldKeepEveryPageOnceTheDeferredPartsRan()
    {
        PageManager *pm = PageManager::instance();
        CallHistoryPage *history = pm->callHistoryPage();
        DialerPage *dialer = pm->dialerPage();
        ContactPickerPage *contacts = pm->contactPickerPage();
        QTest::qWait(300);
        // Made once: the deferred work found them made.
        QCOMPARE(pm->callHistoryPage(), history);
        QCOMPARE(pm->dialerPage(), dialer);
        QCOMPARE(pm->contactPickerPage(), contacts);
        QCOMPARE(pm->toolbarActions().size(), 3);
        pm->showCallHistory();
        QCOMPARE(m_startup->window()->currentPage(), history->scenePage());
    }
};

int main(int, char *argv[])
{
    MGConfItem(QStringLiteral("/apps/call-history/settings/defaultPage"))
        .set(QStringLiteral("callHistory"));
    static char name[] = "call-history";
    static char dialer[] = "dialer";
    static char digits[] = "0401234";
    static char *args[] = {name, dialer, digits, nullptr};
    static int count = 3;
    CallHistoryStartup startup(count, args);
    PageManager *pm = PageManager::instance();
    QString before = pm->callHistoryPage() ? QStringLiteral("history") : QString();
    if (pm->dialerPage() || pm->contactPickerPage())
        before += QStringLiteral("+others");
    qApp->setProperty("tst_startup_pagesBefore", before);
    // A bus call on its way before the loop ever ran.
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("com.velto.telephony.callhistory"), QStringLiteral("/callhistory"),
        QStringLiteral("com.velto.telephony.callhistory"), QStringLiteral("dialer"));
    call << QStringLiteral("5");
    QDBusConnection::sessionBus().send(call);
    TestStartup tc(&startup);
    const int result = QTest::qExec(&tc, 1, argv);
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    startup.exec();
    return result;
}
#include "tst_startup.moc"
