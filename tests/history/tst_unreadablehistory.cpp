#include "callhistorylocale.h"
#include "callhistorypage.h"
#include "callmodel.h"
#include "eventstore.h"
#include "mapplication.h"
#include "mapplicationwindow.h"
#include "mlabel.h"
#include "mlocale.h"
#include "modelmanager.h"
#include "pagemanager.h"
#include "programwindow.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QtTest>

// The call history page when the history file cannot be read: it must not say "no calls",
// which would tell the user that the calls are gone.
class TestUnreadableHistory : public QObject
{
    Q_OBJECT
private:
    MApplicationWindow *m_window = nullptr;
    QByteArray m_content;

    PageManager *pm() { return PageManager::instance(); }
    CallHistoryPage *page() { return pm()->callHistoryPage(); }

private Q_SLOTS:
    void initTestCase()
    {
        // Something else in the place of the history: the program must leave it as it is.
        const QString path = CommHistory::EventStore::defaultPath();
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        m_content = QByteArray("my notes, not a call history\n").repeated(300);
        file.write(m_content);
        file.close();

        m_window = TestSupport::showProgramWindow();
        QVERIFY(m_window);
    }

    void cleanupTestCase()
    {
        QMetaObject::invokeMethod(pm(), "onAboutToQuit");
        delete m_window;
    }

    void shouldSayTheHistoryCannotBeRead_data()
    {
        QTest::addColumn<int>("choice");
        QTest::newRow("all calls") << int(CallHistoryPage::AllCalls);
        QTest::newRow("missed calls") << int(CallHistoryPage::MissedCalls);
    }

    void shouldSayTheHistoryCannotBeRead()
    {
        QFETCH(int, choice);
        pm()->showCallHistory();
        if (page()->choice() != choice) {
            // The page asks the store again for the new choice, and fails again.
            QSignalSpy ready(ModelManager::instance()->model(),
                             &CommHistory::CallModel::modelReady);
            QMetaObject::invokeMethod(page(), "onTitleListSelectionChanged", Q_ARG(int, choice));
            QVERIFY(ready.wait(10000));
            QCOMPARE(ready.last().at(0).toBool(), false);
        }
        QTRY_COMPARE(page()->viewState(), int(CallHistoryPage::Empty));
        QCOMPARE(page()->emptyLabel()->text(), QStringLiteral("The call history can't be read"));
        QVERIFY(page()->emptyLabel()->text() != qtTrId("qtn_call_empty_view"));
        QVERIFY(page()->emptyLabel()->isVisible());
        TestSupport::saveScreenshot(m_window, QStringLiteral("history-unreadable-%1").arg(choice));
        QFile file(CommHistory::EventStore::defaultPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), m_content);
    }
};

CH_TOUCH_TEST_MAIN(TestUnreadableHistory)
#include "tst_unreadablehistory.moc"
