#include "maction.h"
#include "mapplication.h"
#include "mapplicationpage.h"
#include "mapplicationwindow.h"
#include "mbutton.h"
#include "mscenemanager.h"
#include "mtheme.h"
#include "mtoolbar.h"
#include "testsupport.h"

#include <QPaintEvent>
#include <QtTest>

namespace {
// Notes the region of every paint of a widget.
class PaintLog : public QObject
{
public:
    QList<QRegion> regions;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            regions << static_cast<QPaintEvent *>(event)->region();
        return false;
    }
};
} // namespace

// The tabs of a window's toolbar as they are painted when the page and the checked tab change
// together: the marked tab follows, and the window repaints one rectangle.
class TestMToolBar : public QObject
{
    Q_OBJECT
private:
    MApplicationWindow *m_window = nullptr;
    QList<MAction *> m_tabs;
    QList<MApplicationPage *> m_pages;

    void settle() { QTest::qWait(20); }
    void show(int tab)
    {
        m_tabs.at(tab)->setChecked(true);
        m_window->sceneManager()->appearSceneWindowNow(m_pages.at(tab));
    }
    // Which tab is drawn marked: the one whose top edge shows the accent colour.
    QString markedTabs()
    {
        const QImage image = m_window->viewport()->grab().toImage();
        const QColor accent = MTheme::instance()->style(QStringLiteral("MToolBarTab")).accentColor;
        QString marked;
        for (int i = 0; i < m_tabs.size(); ++i) {
            MButton *button = m_window->toolBar()->buttonFor(m_tabs.at(i));
            const QPointF top = button->mapToScene(QPointF(button->size().width() / 2, 1));
            marked += image.pixelColor(m_window->mapFromScene(top)) == accent ? QLatin1Char('x')
                                                                              : QLatin1Char('-');
        }
        return marked;
    }

private Q_SLOTS:
    void init()
    {
        m_window = new MApplicationWindow;
        m_window->resize(480, 854);
        m_window->setToolbarViewType(MToolBar::tabType);
        for (int i = 0; i < 3; ++i) {
            auto *tab = new MAction(m_window);
            tab->setLocation(MAction::ToolBarLocation);
            tab->setCheckable(true);
            tab->setIconID(QStringLiteral("icon-m-toolbar-dialer"));
            m_window->addAction(tab);
            m_tabs << tab;
            m_pages << new MApplicationPage;
        }
        show(0);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        settle();
    }
    void cleanup()
    {
        delete m_window;
        qDeleteAll(m_pages);
        m_pages.clear();
        m_tabs.clear();
    }

    void shouldRepaintPageAndWholeBarAsOneRectangle_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("marked");
        QTest::newRow("to the tab beside") << 0 << 1 << "-x-";
        QTest::newRow("over a tab") << 0 << 2 << "--x";
        QTest::newRow("back to the first") << 2 << 0 << "x--";
    }
    void shouldRepaintPageAndWholeBarAsOneRectangle()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, marked);
        // Settled on `from` after a switch, as a person moving between tabs would be.
        show((from + 1) % 3);
        settle();
        show(from);
        settle();
        PaintLog log;
        m_window->viewport()->installEventFilter(&log);
        show(to);
        settle();
        m_window->viewport()->removeEventFilter(&log);
        QCOMPARE(log.regions.size(), 1);
        // A region of several rectangles would make every fill and picture of the frame go
        // through the painter's slow clipped paths.
        QCOMPARE(log.regions.first().rectCount(), 1);
        QCOMPARE(log.regions.first().boundingRect(), m_window->viewport()->rect());
        QCOMPARE(markedTabs(), marked);
    }
};

CH_TOUCH_TEST_MAIN(TestMToolBar)
#include "tst_mtoolbar.moc"
