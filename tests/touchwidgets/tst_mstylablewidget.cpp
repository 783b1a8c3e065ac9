#include "mapplication.h"
#include "mapplicationpage.h"
#include "mapplicationwindow.h"
#include "mscenemanager.h"
#include "mstylablewidget.h"
#include "mtheme.h"
#include "testsupport.h"

#include <QtTest>

// A styled container whose style draws nothing is not painted; one whose style draws is painted
// as its style says, also after its style changed.
class TestMStylableWidget : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shouldBePaintedOnlyWhenItsStyleDraws_data()
    {
        QTest::addColumn<QStringList>("styles"); // set one after the other
        QTest::addColumn<bool>("painted");
        QTest::newRow("style drawing nothing") << QStringList{"DialerKeypad"} << false;
        QTest::newRow("style with a divider") << QStringList{"DialerHeader"} << true;
        QTest::newRow("style with a background")
            << QStringList{"CallHistorySearchTextEdit"} << true;
        QTest::newRow("no style: the default background") << QStringList{} << true;
        QTest::newRow("drawing nothing, then a divider")
            << QStringList{"DialerKeypad", "DialerHeader"} << true;
        QTest::newRow("a divider, then nothing")
            << QStringList{"DialerHeader", "DialerKeypad"} << false;
    }
    void shouldBePaintedOnlyWhenItsStyleDraws()
    {
        QFETCH(QStringList, styles);
        QFETCH(bool, painted);
        MApplicationWindow window;
        window.resize(480, 854);
        MApplicationPage page;
        page.setStyleName(QStringLiteral("DialerPage"));
        auto *container = new MStylableWidget;
        page.setCentralWidget(container);
        window.sceneManager()->appearSceneWindowNow(&page);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (const QString &style : styles) {
            container->setStyleName(style);
            QTest::qWait(20);
        }
        QCOMPARE(!(container->flags() & QGraphicsItem::ItemHasNoContents), painted);
        // What the window shows along the container's bottom edge: its divider or background
        // where its style has one.
        const MStyle &s = container->style();
        const QColor drawn = s.dividerColor.isValid() ? s.dividerColor : s.backgroundColor;
        const QPointF edge = container->mapToScene(QPointF(10, container->size().height() - 1));
        const QImage shown = window.viewport()->grab().toImage();
        const QColor seen = shown.pixelColor(window.mapFromScene(edge));
        if (painted)
            QCOMPARE(seen, drawn);
        else
            QCOMPARE(seen, window.backgroundBrush().color());
    }
};

CH_TOUCH_TEST_MAIN(TestMStylableWidget)
#include "tst_mstylablewidget.moc"
