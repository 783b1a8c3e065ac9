#include "callhistorydialogmanager.h"
#include "callhistorypage.h"
#include "contactpickerpage.h"
#include "dialerpage.h"
#include "informationbanner.h"
#include "maction.h"
#include "mapplication.h"
#include "mapplicationpage.h"
#include "mapplicationwindow.h"
#include "mbanner.h"
#include "mbutton.h"
#include "mdialog.h"
#include "mgconfitem.h"
#include "mscenemanager.h"
#include "mtoolbar.h"
#include "pagemanager.h"
#include "testsupport.h"

#include <QPointer>
#include <QtTest>

namespace {
const QString DefaultPageKey = QStringLiteral("/apps/call-history/settings/defaultPage");

// A real page that also notes what the page manager asks of it.
template <typename Base> class Recording : public Base
{
public:
    Recording(const QString &name, QStringList *log) : m_name(name), m_log(log) {}
    void enterPage() override { note("enter"), Base::enterPage(); }
    void leavePage() override { note("leave"), Base::leavePage(); }
    void resetPage() override { note("reset"), Base::resetPage(); }
    void restorePrestart() override { note("restore"), Base::restorePrestart(); }
    void appear(MWindow *window) override { note("appear"), Base::appear(window); }

private:
    void note(const char *what) { *m_log << m_name + QLatin1Char('.') + QLatin1String(what); }
    QString m_name;
    QStringList *m_log;
};
} // namespace

class TestPageManager : public QObject
{
    Q_OBJECT
private:
    QStringList m_log;
    MApplicationWindow *m_window = nullptr;
    PageManager *m_manager = nullptr;

    PageManager *makeManager()
    {
        m_window = new MApplicationWindow;
        m_manager = PageManager::instance();
        m_manager->setPages(new Recording<CallHistoryPage>(QStringLiteral("history"), &m_log),
                            new Recording<DialerPage>(QStringLiteral("dialer"), &m_log),
                            new Recording<ContactPickerPage>(QStringLiteral("contacts"), &m_log));
        m_manager->setWindow(m_window);
        m_window->show();
        m_log.clear();
        return m_manager;
    }
    QString log() const { return m_log.join(QLatin1Char(' ')); }
    QString storedDefault() const { return MGConfItem(DefaultPageKey).value().toString(); }

private Q_SLOTS:
    void init()
    {
        MGConfItem(DefaultPageKey).unset();
        m_log.clear();
    }

    void cleanup()
    {
        if (m_manager)
            QMetaObject::invokeMethod(m_manager, "onAboutToQuit");
        delete m_manager;
        m_manager = nullptr;
        delete m_window;
        m_window = nullptr;
        MApplication::setPrestarted(false);
    }

    void shouldSwitchPagesInOrder_data()
    {
        QTest::addColumn<QStringList>("shows");
        QTest::addColumn<QString>("expected");
        QTest::newRow("call history from none leaves the dialer first")
            << QStringList{"history"} << "dialer.leave history.enter history.appear";
        QTest::newRow("dialer from none only enters the dialer")
            << QStringList{"dialer"} << "dialer.enter dialer.appear";
        QTest::newRow("contacts from none leaves the dialer first")
            << QStringList{"contacts"} << "dialer.leave contacts.enter contacts.appear";
        QTest::newRow("the current page again only appears")
            << QStringList{"dialer", "dialer"} << "dialer.enter dialer.appear dialer.appear";
        QTest::newRow("another page leaves the old one")
            << QStringList{"dialer", "contacts", "history"}
            << "dialer.enter dialer.appear dialer.leave contacts.enter contacts.appear "
               "contacts.leave history.enter history.appear";
        QTest::newRow("voicemail picker shows contacts")
            << QStringList{"voicemail"} << "dialer.leave contacts.enter contacts.appear";
    }
    void shouldSwitchPagesInOrder()
    {
        QFETCH(QStringList, shows);
        QFETCH(QString, expected);
        PageManager *pm = makeManager();
        for (const QString &show : shows) {
            if (show == QLatin1String("history"))
                pm->showCallHistory();
            else if (show == QLatin1String("dialer"))
                pm->showDialer();
            else if (show == QLatin1String("contacts"))
                pm->showContacts();
            else
                pm->showVoicemailDetailPicker();
        }
        QCOMPARE(log(), expected);
        // The page shown is the window's current page, and its tab alone is checked.
        Page *shown = shows.last() == QLatin1String("history")  ? (Page *)pm->callHistoryPage()
                      : shows.last() == QLatin1String("dialer") ? (Page *)pm->dialerPage()
                                                                : (Page *)pm->contactPickerPage();
        QCOMPARE(m_window->currentPage(), shown->scenePage());
        QStringList checked;
        for (QAction *a : pm->toolbarActions())
            checked << (a->isChecked() ? "x" : "-");
        const int index = pm->currentPageType() - 1;
        QStringList expectedChecked{"-", "-", "-"};
        expectedChecked[index] = "x";
        QCOMPARE(checked, expectedChecked);
    }

    void shouldShowStoredDefaultPage_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("type");
        QTest::newRow("contacts") << "contacts" << int(PageManager::Contacts);
        QTest::newRow("call history") << "callHistory" << int(PageManager::CallHistory);
        QTest::newRow("dialer") << "dialer" << int(PageManager::Dialer);
        QTest::newRow("letter case differs: dialer") << "CallHistory" << int(PageManager::Dialer);
        QTest::newRow("unknown: dialer") << "settings" << int(PageManager::Dialer);
        QTest::newRow("nothing stored: dialer") << "" << int(PageManager::Dialer);
    }
    void shouldShowStoredDefaultPage()
    {
        QFETCH(QString, stored);
        QFETCH(int, type);
        if (!stored.isEmpty())
            QVERIFY(MGConfItem(DefaultPageKey).set(stored));
        PageManager *pm = makeManager();
        pm->contactPickerPage()->setFilter(QStringLiteral("ann"));
        pm->showDefault();
        QCOMPARE(pm->currentPageType(), type);
        // The contacts page has its picker (and filter) one event-loop turn after it is made.
        QTRY_VERIFY(pm->contactPickerPage()->controller());
        // The default contacts page starts with its filter cleared, and so does the call
        // history's search reset; the dialer leaves it.
        QCOMPARE(pm->contactPickerPage()->filter().isEmpty(), type != PageManager::Dialer);
    }

    void shouldFollowDefaultChangedByAnotherProcess()
    {
        PageManager *pm = makeManager();
        QProcess::execute(QStringLiteral("dconf"),
                          {QStringLiteral("write"), DefaultPageKey, QStringLiteral("'contacts'")});
        QTRY_COMPARE(pm->currentPageName(), QStringLiteral("contacts"));
    }

    void shouldSaveCurrentPageOnlyOnPrestartRestore()
    {
        PageManager *pm = makeManager();
        pm->showContacts();
        pm->showCallHistory();
        pm->showContacts();
        QCOMPARE(storedDefault(), QString());
        m_log.clear();
        MApplication::setPrestarted(true);
        QCOMPARE(log(), QStringLiteral("contacts.leave history.restore history.reset "
                                       "dialer.restore contacts.restore"));
        QCOMPARE(storedDefault(), QStringLiteral("contacts"));
        QVERIFY(!m_window->isVisible());
    }

    void shouldResetEveryPageOnPrestartRelease()
    {
        PageManager *pm = makeManager();
        pm->showCallHistory();
        MApplication::setPrestarted(true);
        m_log.clear();
        pm->showCallHistory();
        QCOMPARE(log(), QStringLiteral("history.reset dialer.reset contacts.reset history.enter "
                                       "history.appear"));
        QVERIFY(!MApplication::isPrestarted());
    }

    void shouldSaveCurrentPageAtQuit()
    {
        PageManager *pm = makeManager();
        pm->showCallHistory();
        QPointer<CallHistoryPage> page = pm->callHistoryPage();
        QMetaObject::invokeMethod(pm, "onAboutToQuit");
        QVERIFY(page.isNull());
        QCOMPARE(storedDefault(), QStringLiteral("callHistory"));
    }

    void shouldDeleteForeignPageOnShow()
    {
        PageManager *pm = makeManager();
        pm->showDialer();
        QPointer<MApplicationPage> foreign = new MApplicationPage;
        m_window->sceneManager()->appearSceneWindowNow(foreign);
        QCOMPARE(m_window->currentPage(), foreign.data());
        pm->showDialer();
        QTRY_VERIFY(foreign.isNull());
        QCOMPARE(m_window->currentPage(), pm->dialerPage()->scenePage());
    }

    void shouldAppendDigitsAfterShowingDialer()
    {
        PageManager *pm = makeManager();
        pm->showDialer(QStringLiteral("040"));
        pm->showCallHistory();
        pm->showDialer(QStringLiteral("123"));
        pm->showDialer(QString());
        QCOMPARE(pm->dialerPage()->number(), QStringLiteral("040123"));
        pm->showDialer(QString(100000, QLatin1Char('9')));
        QCOMPARE(pm->dialerPage()->number().size(), DialerPage::MaxNumberLength);
        QVERIFY(pm->dialerPage()->number().startsWith(QLatin1String("0401239")));
    }

    void shouldDismissDialogsOnEveryShow()
    {
        PageManager *pm = makeManager();
        pm->showDialer();
        QPointer<MDialog> dialog = new MDialog(QStringLiteral("Question"));
        CallHistoryDialogManager::instance()->addDialog(dialog);
        dialog->appear(m_window, MSceneWindow::DestroyWhenDone);
        QVERIFY(CallHistoryDialogManager::instance()->hasDialogs());
        pm->showDialer();
        QVERIFY(!CallHistoryDialogManager::instance()->hasDialogs());
        QTRY_VERIFY(dialog.isNull());
    }

    void shouldSwitchPageWhenTabTapped()
    {
        PageManager *pm = makeManager();
        pm->showDialer();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        QCoreApplication::processEvents();
        QAction *contactsTab = pm->toolbarActions().at(2);
        MButton *button = m_window->toolBar()->buttonFor(contactsTab);
        QVERIFY(button);
        const QPoint at = m_window->mapFromScene(button->mapToScene(button->rect().center()));
        QTest::mouseClick(m_window->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(pm->currentPageType(), int(PageManager::Contacts));
        QVERIFY(contactsTab->isChecked());
        QVERIFY(!pm->toolbarActions().at(1)->isChecked());
        // Tapping the checked tab again keeps it checked and shows the same page.
        QTest::mouseClick(m_window->viewport(), Qt::LeftButton, {}, at);
        QVERIFY(contactsTab->isChecked());
        QCOMPARE(pm->currentPageType(), int(PageManager::Contacts));
    }

    void shouldShowBannerOverPageAndDropIt()
    {
        PageManager *pm = makeManager();
        pm->showCallHistory();
        showInformationBanner(QStringLiteral("Number copied"));
        const QList<MSceneWindow *> shown = m_window->sceneManager()->overlays();
        QCOMPARE(shown.size(), 1);
        QPointer<MBanner> banner = qobject_cast<MBanner *>(shown.first());
        QVERIFY(banner);
        QCOMPARE(banner->title(), QStringLiteral("Number copied"));
        QCOMPARE(banner->styleName(), QStringLiteral("InformationBanner"));
        TestSupport::saveScreenshot(m_window, "shell-banner");
        QTRY_VERIFY_WITH_TIMEOUT(banner.isNull(), 5000);
        QVERIFY(m_window->sceneManager()->overlays().isEmpty());
    }

    void shouldSaveScreenshotOfEachPage()
    {
        PageManager *pm = makeManager();
        m_window->resize(480, 854);
        pm->showCallHistory();
        QVERIFY(QFile::exists(TestSupport::saveScreenshot(m_window, "shell-callhistory")));
        pm->showDialer(QStringLiteral("+358 40 123 4567"));
        QVERIFY(QFile::exists(TestSupport::saveScreenshot(m_window, "shell-dialer")));
        pm->showContacts();
        QVERIFY(QFile::exists(TestSupport::saveScreenshot(m_window, "shell-contacts")));
    }
};

CH_TOUCH_TEST_MAIN(TestPageManager)
#include "tst_pagemanager.moc"
