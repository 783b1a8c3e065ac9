#include "mapplication.h"
#include "startupdeferral.h"
#include "testsupport.h"

#include <QGraphicsView>
#include <QtTest>

// When the work that start-up leaves for later runs: after the first frame that shows what the
// start meant to show, one piece per turn of the event loop, in order.
class TestStartupDeferral : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shouldWaitForFirstFrameThatShowsThePage()
    {
        QGraphicsView view;
        view.resize(100, 100);
        bool pageShown = false;
        QStringList ran;
        StartupDeferral deferral(view.viewport(), [&] { return pageShown; });
        deferral.defer([&] { ran << "pages"; });
        deferral.defer([&] { ran << "voicemail"; });
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTest::qWait(50);
        // Painted, but still loading: nothing ran.
        QCOMPARE(ran.join(','), QString());
        QVERIFY(!deferral.isReleased());
        pageShown = true;
        view.viewport()->update();
        QTRY_COMPARE(ran.join(','), QString("pages,voicemail"));
        QVERIFY(deferral.isReleased());
        // Deferred after the release: runs at the next turn, not within the call.
        deferral.defer([&] { ran << "late"; });
        QCOMPARE(ran.join(','), QString("pages,voicemail"));
        QTRY_COMPARE(ran.join(','), QString("pages,voicemail,late"));
    }

    void shouldRunOnePiecePerTurn()
    {
        QStringList ran;
        StartupDeferral deferral(nullptr, [] { return false; });
        deferral.defer([&] { ran << "a"; });
        deferral.defer([&] { ran << "b"; });
        deferral.releaseAtNextTurn();
        QCOMPARE(ran.join(','), QString());
        QCoreApplication::processEvents();
        QCOMPARE(ran.join(','), QString("a"));
        QCoreApplication::processEvents();
        QCOMPARE(ran.join(','), QString("a,b"));
    }

    void shouldNotWaitForeverForAFrame()
    {
        bool ran = false;
        // A window that is never shown.
        QGraphicsView view;
        StartupDeferral deferral(view.viewport(), [] { return true; });
        deferral.defer([&] { ran = true; });
        QTest::qWait(100);
        QVERIFY(!ran);
        QTRY_VERIFY_WITH_TIMEOUT(ran, StartupDeferral::LongestWaitMs * 3);
    }
};

CH_TOUCH_TEST_MAIN(TestStartupDeferral)
#include "tst_startupdeferral.moc"
