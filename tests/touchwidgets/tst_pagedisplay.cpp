#include "mapplication.h"
#include "mapplicationpage.h"
#include "mapplicationwindow.h"
#include "mdialog.h"
#include "mscenemanager.h"
#include "testsupport.h"

#include <QtTest>

// Whether a page of a window is on the display, as its page switches, the window going to the
// background and back, and pop-ups over it tell.
class TestPageDisplay : public QObject
{
    Q_OBJECT
private:
    MApplicationWindow *m_window = nullptr;
    QList<MApplicationPage *> m_pages;
    QStringList m_log;

    QString onDisplay() const
    {
        QString s;
        for (MApplicationPage *p : m_pages)
            s += p->isOnDisplay() ? QLatin1Char('1') : QLatin1Char('0');
        return s;
    }

    void run(const QString &step)
    {
        bool isPage = false;
        const int n = step.toInt(&isPage);
        if (isPage) {
            m_window->sceneManager()->appearSceneWindowNow(m_pages.at(n - 1));
        } else if (step == QLatin1String("hide")) {
            m_window->hide();
        } else if (step == QLatin1String("show")) {
            m_window->show();
            QVERIFY(QTest::qWaitForWindowExposed(m_window));
        } else if (step == QLatin1String("minimise")) {
            m_window->showMinimized();
        } else if (step == QLatin1String("restore")) {
            m_window->showNormal();
        } else if (step == QLatin1String("background")) {
            MApplication::setPrestarted(true);
        } else if (step == QLatin1String("foreground")) {
            MApplication::setPrestarted(false);
            m_window->show();
        } else if (step == QLatin1String("popup")) {
            auto *dialog = new MDialog(QStringLiteral("Pop-up"));
            dialog->appear(m_window, MSceneWindow::DestroyWhenDone);
        } else if (step == QLatin1String("popdown")) {
            const QList<MSceneWindow *> overlays = m_window->sceneManager()->overlays();
            QVERIFY(!overlays.isEmpty());
            overlays.last()->dismiss();
        } else {
            QFAIL(qPrintable(step));
        }
    }

private Q_SLOTS:
    void init()
    {
        m_log.clear();
        m_window = new MApplicationWindow;
        for (int i = 1; i <= 3; ++i) {
            auto *page = new MApplicationPage;
            connect(page, &MApplicationPage::displayEntered, this,
                    [this, i]() { m_log << QStringLiteral("%1+").arg(i); });
            connect(page, &MApplicationPage::displayExited, this,
                    [this, i]() { m_log << QStringLiteral("%1-").arg(i); });
            m_pages << page;
        }
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }
    void cleanup()
    {
        qDeleteAll(m_pages);
        m_pages.clear();
        delete m_window;
        MApplication::setPrestarted(false);
    }

    void shouldShowOnlyCurrentPageOnDisplay_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("notifications");
        QTest::addColumn<QString>("onDisplay");
        QTest::newRow("first page") << "1"
                                    << "1+"
                                    << "100";
        QTest::newRow("switch through all three pages") << "1 2 3 1 3"
                                                        << "1+ 1- 2+ 2- 3+ 3- 1+ 1- 3+"
                                                        << "001";
        QTest::newRow("switch to the page already shown") << "2 2 2"
                                                          << "2+"
                                                          << "010";
        QTest::newRow("window hidden and shown") << "1 2 hide show"
                                                 << "1+ 1- 2+ 2- 2+"
                                                 << "010";
        QTest::newRow("switch while the window is hidden") << "1 hide 3 show"
                                                           << "1+ 1- 3+"
                                                           << "001";
        QTest::newRow("window minimised and restored") << "3 minimise restore"
                                                       << "3+ 3- 3+"
                                                       << "001";
        QTest::newRow("background and back") << "1 2 background foreground"
                                             << "1+ 1- 2+ 2- 2+"
                                             << "010";
        QTest::newRow("pop-up over the page") << "1 popup popdown 2"
                                              << "1+ 1- 2+"
                                              << "010";
    }
    void shouldShowOnlyCurrentPageOnDisplay()
    {
        QFETCH(QString, steps);
        QFETCH(QString, notifications);
        QFETCH(QString, onDisplay);
        for (const QString &step : steps.split(QLatin1Char(' '))) {
            run(step);
            if (step == QLatin1String("popup")) {
                QCOMPARE(m_log.join(QLatin1Char(' ')), QStringLiteral("1+"));
                QCOMPARE(this->onDisplay(), QStringLiteral("100"));
            }
        }
        QCOMPARE(m_log.join(QLatin1Char(' ')), notifications);
        QCOMPARE(this->onDisplay(), onDisplay);
    }
};

CH_TOUCH_TEST_MAIN(TestPageDisplay)
#include "tst_pagedisplay.moc"
