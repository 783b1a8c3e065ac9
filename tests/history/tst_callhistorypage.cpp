#include "callhistorydialogmanager.h"
#include "callhistoryfilterproxymodel.h"
#include "callhistorygroupedmodel.h"
#include "callhistoryitem.h"
#include "callhistorylocale.h"
#include "callhistorypage.h"
#include "callhistorytitle.h"
#include "callmodel.h"
#include "contactpickerpage.h"
#include "dialerpage.h"
#include "event.h"
#include "eventfilter.h"
#include "eventstore.h"
#include "mapplication.h"
#include "mapplicationpage.h"
#include "mapplicationwindow.h"
#include "mbanner.h"
#include "mbutton.h"
#include "mdialog.h"
#include "mimagewidget.h"
#include "mlabel.h"
#include "mlist.h"
#include "mlistfilter.h"
#include "mlocale.h"
#include "mmessagebox.h"
#include "mobjectmenu.h"
#include "modelmanager.h"
#include "mpannableviewport.h"
#include "mpopuplist.h"
#include "mscenemanager.h"
#include "mtextedit.h"
#include "pagemanager.h"
#include "programwindow.h"
#include "returncalldialog.h"
#include "searchtextedit.h"
#include "testsupport.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString Cellular = QStringLiteral("/org/freedesktop/Telepathy/Account/pulse/tel/pulse");

// Stands in for the cellular call service on the test's own "system" bus.
class FakeCellularService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.velto.csd.Call")
public:
    QStringList lastNumbers;
public Q_SLOTS:
    void SetLastNumber(const QString &number) { lastNumbers << number; }
};
} // namespace

// The call history page driven as a person would, on a real store.
class TestCallHistoryPage : public QObject
{
    Q_OBJECT
private:
    MApplicationWindow *m_window = nullptr;
    CommHistory::EventStore m_store;
    FakeCellularService m_cellular;
    QProcess m_systemBus;

    PageManager *pm() { return PageManager::instance(); }
    CallHistoryPage *page() { return pm()->callHistoryPage(); }

    void addCall(CommHistory::Event::EventDirection direction, const QString &remote,
                 const QDateTime &end, bool missed = false, bool read = true, int seconds = 75)
    {
        CommHistory::Event call;
        call.setType(CommHistory::Event::CallEvent);
        call.setDirection(direction);
        call.setLocalUid(Cellular);
        call.setRemoteUid(remote);
        call.setStartTime(end.addSecs(-seconds));
        call.setEndTime(end);
        call.setIsMissedCall(missed);
        call.setIsRead(read);
        QVERIFY(m_store.addEvent(call));
    }

    QStringList titles()
    {
        page()->list()->flush();
        QStringList t;
        for (MWidget *cell : page()->list()->visibleCells())
            t << static_cast<CallHistoryItem *>(cell)->titleLabel()->text();
        return t;
    }

    void tap(QGraphicsWidget *w)
    {
        QTest::mouseClick(m_window->viewport(), Qt::LeftButton, {},
                          m_window->mapFromScene(w->mapToScene(w->rect().center())));
    }

private Q_SLOTS:
    void initTestCase()
    {
        // A private bus in the place of the system bus, before anything connects to it.
        QString address;
        {
            m_systemBus.start(QStringLiteral("dbus-daemon"),
                              {"--session", "--nofork", "--print-address=1"});
            QVERIFY(m_systemBus.waitForReadyRead(5000));
            address = QString::fromUtf8(m_systemBus.readLine()).trimmed();
        }
        QDBusConnection system =
            QDBusConnection::connectToBus(address, QStringLiteral("fake-system"));
        QVERIFY(system.registerService(QStringLiteral("com.velto.csd.Call")));
        QVERIFY(system.registerObject(QStringLiteral("/com/velto/csd/call"), &m_cellular,
                                      QDBusConnection::ExportAllSlots));
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address.toUtf8());
        QVERIFY(m_store.open());
        m_window = TestSupport::showProgramWindow();
        QVERIFY(m_window);
    }

    void cleanupTestCase()
    {
        QMetaObject::invokeMethod(pm(), "onAboutToQuit");
        delete m_window;
    }

    void shouldTakeItsPartsAlongWhenDestroyedUnshown_data()
    {
        QTest::addColumn<QString>("part");
        QTest::newRow("empty label") << "empty";
        QTest::newRow("no-results label") << "no results";
        QTest::newRow("list viewport") << "viewport";
    }
    void shouldTakeItsPartsAlongWhenDestroyedUnshown()
    {
        QFETCH(QString, part);
        auto *unshown = new CallHistoryPage;
        QGraphicsWidget *widget = unshown->viewport();
        if (part == QLatin1String("empty"))
            widget = unshown->emptyLabel();
        else if (part == QLatin1String("no results"))
            widget = unshown->noResultsLabel();
        QPointer<QGraphicsWidget> guard = widget;
        delete unshown;
        QVERIFY(guard.isNull());
    }

    void shouldShowEmptyState()
    {
        pm()->showCallHistory();
        QTRY_COMPARE(page()->viewState(), int(CallHistoryPage::Empty));
        QCOMPARE(page()->emptyLabel()->text(), qtTrId("qtn_call_empty_view"));
        QVERIFY(page()->emptyLabel()->isVisible());
        TestSupport::saveScreenshot(m_window, "history-empty");
    }

    void shouldHandleHeaderTapOnceTheTapIsOver()
    {
        CallHistoryDialogManager *dialogs = CallHistoryDialogManager::instance();
        tap(page()->header());
        QVERIFY(!dialogs->hasDialogs());
        QTRY_VERIFY(dialogs->hasDialogs());
        QVERIFY(qobject_cast<MPopupList *>(dialogs->dialogs().first()));
        dialogs->dismissAll();
        QTRY_VERIFY(!dialogs->hasDialogs());
    }

    void shouldListCallsUnderDayHeaders()
    {
        const QDateTime now = QDateTime::currentDateTime();
        const QDateTime today = QDateTime(now.date(), QTime(0, 0));
        addCall(CommHistory::Event::Outbound, "+358401111111",
                today.addDays(-9).addSecs(3600 * 13));
        addCall(CommHistory::Event::Inbound, "0409999999", today.addDays(-1).addSecs(3600 * 18));
        addCall(CommHistory::Event::Outbound, "+358402222222", today.addSecs(60));
        // The missed calls are the newest, and today's, even just after midnight (a call ending
        // later than now is today's too).
        const QDateTime recent = qMax(now, today.addSecs(600));
        for (int i = 0; i < 3; ++i)
            addCall(CommHistory::Event::Inbound, "+358405555555", recent.addSecs(-300 + i * 60),
                    true, false, 0);
        QTRY_COMPARE(page()->viewState(), int(CallHistoryPage::List));
        // Rows arrive as the store announces each call: wait for the last one.
        QTRY_VERIFY2(titles().size() >= 4 && titles().first().contains(QLatin1String("(3)")),
                     qPrintable(titles().join('|')));
        const QStringList t = titles();
        // The repeated missed call stands first, once, with its count; accented while unread.
        QVERIFY2(t.first().contains(QLatin1String("(3)")), qPrintable(t.join('|')));
        auto *first = static_cast<CallHistoryItem *>(page()->list()->visibleCells().first());
        QCOMPARE(first->titleLabel()->styleName(), QStringLiteral("CommonTitleAccented"));
        QCOMPARE(page()->groupedModel()->rowCount() >= 3, true);
        QCOMPARE(page()->groupedModel()->index(0, 0).data().toString(),
                 qtTrId("qtn_comm_time_today"));
        TestSupport::saveScreenshot(m_window, "history-list");
    }

    void shouldCentreRowContent()
    {
        auto *row = static_cast<CallHistoryItem *>(page()->list()->visibleCells().first());
        const QImage shot = QImage(TestSupport::saveScreenshot(m_window, "history-row"))
                                .convertToFormat(QImage::Format_RGB32);
        const QRect cell = m_window->mapFromScene(row->mapToScene(row->rect())).boundingRect();
        // The rows of ink in a column range of the cell, against the cell's background.
        auto inkRows = [&](int left, int right) {
            const QColor bg = shot.pixelColor(cell.left() + 2, cell.top() + 2);
            int top = -1, bottom = -1;
            for (int y = cell.top() + 1; y < cell.bottom() - 1; ++y) {
                for (int x = left; x <= right; ++x) {
                    const QColor c = shot.pixelColor(x, y);
                    if (qAbs(c.red() - bg.red()) + qAbs(c.green() - bg.green()) +
                            qAbs(c.blue() - bg.blue()) >
                        150) {
                        if (top < 0)
                            top = y;
                        bottom = y;
                        break;
                    }
                }
            }
            return (top + bottom) / 2.0 - cell.top();
        };
        const QRect icon =
            m_window->mapFromScene(row->directionIcon()->mapToScene(row->directionIcon()->rect()))
                .boundingRect();
        const qreal middle = cell.height() / 2.0;
        const qreal text = inkRows(cell.left(), icon.left() - 1);
        const qreal symbol = inkRows(icon.left(), icon.right());
        QVERIFY2(qAbs(text - middle) <= 4,
                 qPrintable(QStringLiteral("%1 of %2").arg(text).arg(middle)));
        QVERIFY2(qAbs(symbol - middle) <= 3,
                 qPrintable(QStringLiteral("%1 of %2").arg(symbol).arg(middle)));
    }

    void shouldMarkMissedCallsReadOnTap()
    {
        auto *first = static_cast<CallHistoryItem *>(page()->list()->visibleCells().first());
        QCOMPARE(first->directionCode(), 2);
        tap(first);
        // The collapsed row's calls are all marked read; the row loses its accent.
        QTRY_COMPARE(static_cast<CallHistoryItem *>(page()->list()->visibleCells().first())
                         ->titleLabel()
                         ->styleName(),
                     QStringLiteral("CommonTitle"));
        QList<CommHistory::Event> events;
        QVERIFY(m_store.events(CommHistory::EventFilter(), CommHistory::Event(), 50, &events));
        for (const CommHistory::Event &e : events)
            QVERIFY(e.isRead());
        // The tap also opened the return-call dialog of the unknown number.
        QTRY_VERIFY(CallHistoryDialogManager::instance()->hasDialogs());
        QCOMPARE(CallHistoryDialogManager::instance()->dialogs().first()->metaObject()->className(),
                 "ReturnCallDialogUnknownContact");
        CallHistoryDialogManager::instance()->dismissAll();
        QVERIFY(!CallHistoryDialogManager::instance()->hasDialogs());
    }

    void shouldRefuseToCallBackPrivateNumber()
    {
        addCall(CommHistory::Event::Inbound, QString(), QDateTime::currentDateTime());
        QTRY_VERIFY(titles().contains(qtTrId("qtn_call_type_private")));
        auto *row = static_cast<CallHistoryItem *>(page()->list()->visibleCells().first());
        QCOMPARE(row->numberClass(), int(CallHistoryItem::PrivateNumber));
        tap(row);
        QTRY_VERIFY(!m_window->sceneManager()->overlays().isEmpty());
        auto *banner = qobject_cast<MBanner *>(m_window->sceneManager()->overlays().last());
        QVERIFY(banner);
        QCOMPARE(banner->title(), qtTrId("qtn_call_not_allowed"));
        banner->dismiss();
        QVERIFY(m_store.deleteEvents({row->eventId()}));
    }

    void shouldFollowCallsAddedByAnotherProcess()
    {
        QProcess tool;
        tool.start(TestSupport::builtProgram("tools/call-history-store/call-history-store"),
                   {"add", "--direction", "out", "--remote", "+358407777777", "--start", "now",
                    "--duration", "30"});
        QVERIFY(tool.waitForFinished(10000));
        QCOMPARE(tool.exitCode(), 0);
        QTRY_VERIFY(titles().join('|').contains(QLatin1String("7777777")));
    }

    void shouldNotRedrawRowRefilledWithSameEvent()
    {
        auto *row = static_cast<CallHistoryItem *>(page()->list()->visibleCells().first());
        const int before = row->redrawCount();
        const QModelIndex index = page()->list()->indexForCell(row);
        row->fill(index);
        row->fill(index);
        QCOMPARE(row->redrawCount(), before);
    }

    void shouldNarrowListBySearch()
    {
        QMetaObject::invokeMethod(page(), "slotListPannedUpFromTop");
        QVERIFY(page()->isSearchShown());
        page()->searchField()->editor()->setText(QStringLiteral("5555"));
        QTRY_COMPARE(titles().size(), 1);
        TestSupport::saveScreenshot(m_window, "history-search");
        page()->searchField()->editor()->setText(QStringLiteral("zzzz"));
        QTRY_VERIFY(page()->noResultsLabel()->isVisible());
        QCOMPARE(page()->noResultsLabel()->text(), qtTrId("qtn_call_no_matching_calls"));
        TestSupport::saveScreenshot(m_window, "history-search-no-match");
        page()->resetSearch();
        QVERIFY(!page()->isSearchShown());
        QTRY_VERIFY(titles().size() >= 4);
    }

    void shouldHoldTheListStillWhileAFingerIsDown()
    {
        page()->resetSearch();
        QMetaObject::invokeMethod(page(), "slotListPannedUpFromTop");
        QVERIFY(page()->isSearchShown());
        page()->list()->flush();
        QTRY_VERIFY(page()->list()->visibleCells().size() >= 2);
        auto *row = static_cast<CallHistoryItem *>(page()->list()->visibleCells().at(1));
        const int pressedCall = row->eventId();
        const QRectF before = row->mapRectToScene(row->rect());
        const QPoint at = m_window->mapFromScene(before.center());
        QTest::mousePress(m_window->viewport(), Qt::LeftButton, {}, at);
        // The empty field's five seconds run out while the finger is down.
        QMetaObject::invokeMethod(page()->searchField(), "hideRequest");
        QCoreApplication::sendPostedEvents();
        page()->list()->flush();
        const QRectF during = row->mapRectToScene(row->rect());
        const bool shownDuring = page()->isSearchShown();
        TestSupport::saveScreenshot(m_window, "history-search-hide-under-finger");
        QTest::mouseRelease(m_window->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(during, before);
        QVERIFY(shownDuring);
        // The tap reaches the row the finger was on; the field goes once the finger is up.
        CallHistoryDialogManager *dialogs = CallHistoryDialogManager::instance();
        QTRY_VERIFY(dialogs->hasDialogs());
        auto *dialog = qobject_cast<ReturnCallDialog *>(dialogs->dialogs().last());
        QVERIFY(dialog);
        QCOMPARE(dialog->snapshot().eventId, pressedCall);
        QTRY_VERIFY(!page()->isSearchShown());
        dialogs->dismissAll();
        QTRY_VERIFY(!dialogs->hasDialogs());
    }

    void shouldResetWhenCallEndsElsewhere_data()
    {
        QTest::addColumn<QString>("hook");
        QTest::addColumn<bool>("onDialer");
        QTest::newRow("answered while the dialer is shown") << "callAnswered" << true;
        QTest::newRow("completed while the dialer is shown") << "commandCompleted" << true;
        QTest::newRow("answered while the call history is shown") << "callAnswered" << false;
        QTest::newRow("completed while the call history is shown") << "commandCompleted" << false;
    }
    void shouldResetWhenCallEndsElsewhere()
    {
        QFETCH(QString, hook);
        QFETCH(bool, onDialer);
        pm()->showCallHistory();
        QTRY_COMPARE(page()->viewState(), int(CallHistoryPage::List));
        QMetaObject::invokeMethod(page(), "slotListPannedUpFromTop");
        page()->searchField()->editor()->setText(QStringLiteral("040"));
        QMetaObject::invokeMethod(page(), "onTitleListSelectionChanged", Q_ARG(int, 3));
        QTRY_COMPARE(page()->choice(), int(CallHistoryPage::DialledCalls));
        if (onDialer)
            pm()->showDialer();
        QCOMPARE(page()->scenePage()->isOnDisplay(), !onDialer);
        QVERIFY(QMetaObject::invokeMethod(page(), qPrintable(hook)));
        const QString expected = onDialer ? QString() : QStringLiteral("040");
        QCOMPARE(page()->searchField()->editor()->text(), expected);
        QCOMPARE(page()->choice(),
                 int(onDialer ? CallHistoryPage::AllCalls : CallHistoryPage::DialledCalls));
        pm()->showCallHistory(true, false);
        QCOMPARE(page()->choice(), int(CallHistoryPage::AllCalls));
        QTRY_COMPARE(page()->viewState(), int(CallHistoryPage::List));
    }

    void shouldShowDigitsAsTheyAre()
    {
        QTemporaryDir dir;
        const QString image = dir.filePath(QStringLiteral("red.png"));
        QImage red(60, 60, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(image));
        pm()->showDialer(QStringLiteral("<img src=\"%1\">").arg(image));
        const QImage shot = QImage(TestSupport::saveScreenshot(m_window, "dialer-hostile-digits"))
                                .convertToFormat(QImage::Format_RGB32);
        int reds = 0;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                reds += c.red() > 200 && c.green() < 60 && c.blue() < 60;
            }
        }
        QCOMPARE(reds, 0);
        pm()->showCallHistory();
    }

    void shouldFollowLanguageChangeAtOnce()
    {
        pm()->showCallHistory();
        QTRY_COMPARE(page()->viewState(), int(CallHistoryPage::List));
        const QString english = page()->header()->text();
        QCOMPARE(m_window->layoutDirection(), Qt::LeftToRight);
        const auto setLanguage = &TestSupport::setSystemLanguage;
        QVERIFY(setLanguage(QStringLiteral("ar")));
        QTRY_COMPARE(QGuiApplication::layoutDirection(), Qt::RightToLeft);
        QTRY_VERIFY(page()->header()->text() != english);
        // Every text and the direction follow at once, with no reload of the history.
        QCOMPARE(page()->viewState(), int(CallHistoryPage::List));
        QCOMPARE(page()->header()->text(), qtTrId("qtn_call_sort_by_contact"));
        QCOMPARE(page()->searchField()->editor()->prompt(), qtTrId("qtn_comm_search"));
        QCOMPARE(page()->header()->layoutDirection(), Qt::RightToLeft);
        QCOMPARE(page()->list()->layoutDirection(), Qt::RightToLeft);
        QCOMPARE(page()->groupedModel()->index(0, 0).data().toString(),
                 qtTrId("qtn_comm_time_today"));
        TestSupport::saveScreenshot(m_window, "history-arabic");
        QVERIFY(setLanguage(QString()));
        QTRY_COMPARE(page()->header()->text(), english);
        QCOMPARE(page()->header()->layoutDirection(), Qt::LeftToRight);
        TestSupport::saveScreenshot(m_window, "history-english-again");
    }

    void shouldChooseCallTypeFromHeader()
    {
        tap(page()->header());
        QTRY_VERIFY(!m_window->sceneManager()->overlays().isEmpty());
        auto *popup = qobject_cast<MPopupList *>(m_window->sceneManager()->overlays().last());
        QVERIFY(popup);
        TestSupport::saveScreenshot(m_window, "history-choice");
        popup->click(1);
        QTRY_COMPARE(page()->choice(), int(CallHistoryPage::MissedCalls));
        QTRY_COMPARE(page()->viewState(), int(CallHistoryPage::List));
        QCOMPARE(page()->header()->text(), qtTrId("qtn_call_log_vm_missed"));
        QTRY_COMPARE(titles().size(), 3);
        pm()->showCallHistory(true, false);
        QCOMPARE(page()->choice(), int(CallHistoryPage::AllCalls));
    }

    void shouldOfferMenuAndDeleteOneCall()
    {
        QTRY_COMPARE(page()->viewState(), int(CallHistoryPage::List));
        QTRY_VERIFY(titles().size() >= 4);
        auto *row = static_cast<CallHistoryItem *>(page()->list()->visibleCells().at(1));
        const int id = row->eventId();
        row->longPress();
        QVERIFY(row->objectMenu());
        TestSupport::saveScreenshot(m_window, "history-menu");
        const QList<QAction *> entries = row->objectMenu()->entries();
        row->objectMenu()->triggerEntry(entries.size() - 2); // delete
        QTRY_VERIFY(!m_store.event(id).isValid());
    }

    void shouldResetOnReturnToBackground()
    {
        pm()->showCallHistory();
        QCOMPARE(CallHistoryPage::List, CallHistoryPage::ViewState(page()->viewState()));
        QMetaObject::invokeMethod(page(), "slotListPannedUpFromTop");
        page()->searchField()->editor()->setText(QStringLiteral("040"));
        QMetaObject::invokeMethod(page(), "onTitleListSelectionChanged", Q_ARG(int, 3));
        QTRY_COMPARE(page()->choice(), int(CallHistoryPage::DialledCalls));
        MApplication::setPrestarted(true);
        QCOMPARE(page()->choice(), int(CallHistoryPage::AllCalls));
        QCOMPARE(page()->searchField()->editor()->text(), QString());
        QVERIFY(!page()->isSearchShown());
        pm()->showCallHistory();
        QVERIFY(!MApplication::isPrestarted());
        QTRY_COMPARE(page()->viewState(), int(CallHistoryPage::List));
    }

    void shouldDeleteAllAfterConfirmation()
    {

        auto *row = static_cast<CallHistoryItem *>(page()->list()->visibleCells().first());
        row->longPress();
        row->objectMenu()->triggerEntry(row->objectMenu()->entries().size() - 1);
        QTRY_VERIFY(!m_window->sceneManager()->overlays().isEmpty());
        auto *box = qobject_cast<MMessageBox *>(m_window->sceneManager()->overlays().last());
        QVERIFY(box);
        TestSupport::saveScreenshot(m_window, "history-deleteall");
        box->accept();
        QTRY_COMPARE(m_cellular.lastNumbers, QStringList{QString()});
        QTRY_COMPARE(page()->viewState(), int(CallHistoryPage::Empty));
        QList<CommHistory::Event> left;
        QVERIFY(m_store.events(CommHistory::EventFilter(), CommHistory::Event(), 10, &left));
        QCOMPARE(left.size(), 0);
        m_systemBus.kill();
        m_systemBus.waitForFinished();
    }
};

CH_TOUCH_TEST_MAIN(TestCallHistoryPage)
#include "tst_callhistorypage.moc"
