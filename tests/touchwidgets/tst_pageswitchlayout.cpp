#include "mapplication.h"
#include "mapplicationpage.h"
#include "mapplicationwindow.h"
#include "mpannableviewport.h"
#include "mscenemanager.h"
#include "mwidget.h"
#include "testsupport.h"

#include <QGraphicsLinearLayout>
#include <QPainter>
#include <QtTest>

namespace {
// A block of one colour that counts how often a layout asks for its size hints.
class Block : public MWidget
{
public:
    QColor colour = Qt::red;
    QSizeF preferred = QSizeF(100, 40);
    mutable int hintRequests = 0;
    int placements = 0;

    void grow(qreal height)
    {
        preferred.setHeight(height);
        updateGeometry();
    }

    void paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *) override
    {
        painter->fillRect(rect(), colour);
    }
    void setGeometry(const QRectF &rect) override
    {
        ++placements;
        MWidget::setGeometry(rect);
    }

protected:
    QSizeF sizeHint(Qt::SizeHint which, const QSizeF &constraint) const override
    {
        ++hintRequests;
        if (which == Qt::MaximumSize)
            return MWidget::sizeHint(which, constraint);
        return preferred;
    }
};
} // namespace

// What a page switch keeps of the pages' layouts and clipping: a page shown again is laid out as
// before without asking its widgets for new size hints, widgets shown or hidden while their page
// was away take or leave their place, and content is cut at its viewport's edge exactly when it
// does not fit.
class TestPageSwitchLayout : public QObject
{
    Q_OBJECT
private:
    MApplicationWindow *m_window = nullptr;
    MApplicationPage *m_page = nullptr;
    MApplicationPage *m_other = nullptr;
    Block *m_first = nullptr;
    Block *m_second = nullptr;
    QGraphicsLinearLayout *m_column = nullptr;

    void settle() { QTest::qWait(20); }
    void switchTo(MApplicationPage *page)
    {
        m_window->sceneManager()->appearSceneWindowNow(page);
        settle();
    }
    QColor shownAt(const QPointF &scenePos)
    {
        settle();
        const QImage image = m_window->viewport()->grab().toImage();
        return image.pixelColor(m_window->mapFromScene(scenePos));
    }

private Q_SLOTS:
    void init()
    {
        m_window = new MApplicationWindow;
        m_window->resize(480, 854);
        m_page = new MApplicationPage;
        m_page->setPannable(false);
        m_other = new MApplicationPage;
        auto *content = new MWidget;
        auto *column = new QGraphicsLinearLayout(Qt::Vertical, content);
        m_column = column;
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(0);
        m_first = new Block;
        m_second = new Block;
        m_second->colour = Qt::blue;
        column->addItem(m_first);
        column->addItem(m_second);
        column->addStretch();
        m_page->setCentralWidget(content);
        m_window->sceneManager()->appearSceneWindowNow(m_page);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        settle();
    }
    void cleanup()
    {
        delete m_page;
        delete m_other;
        delete m_window;
    }

    void shouldLayOutAPageShownAgain_data()
    {
        QTest::addColumn<QString>("whileAway");
        QTest::addColumn<QString>("shown"); // the blocks on screen, top down
        QTest::newRow("nothing changed") << ""
                                         << "red blue";
        QTest::newRow("first block hidden while away") << "hide layout"
                                                       << "blue";
        QTest::newRow("first block hidden while away, nothing laid out") << "hide"
                                                                         << "blue";
        QTest::newRow("first block hidden and shown again while away") << "hide show"
                                                                       << "red blue";
        QTest::newRow("first block hidden on the page, shown while away") << "before show"
                                                                          << "red blue";
        QTest::newRow("first block hidden, laid out and shown again while away")
            << "hide layout show"
            << "red blue";
        QTest::newRow("first block hidden before, shown while away") << "before show layout"
                                                                     << "red blue";
    }

    void shouldLayOutAPageShownAgain()
    {
        QFETCH(QString, whileAway);
        QFETCH(QString, shown);
        if (whileAway.startsWith(QLatin1String("before"))) {
            m_first->hide();
            settle();
        }
        switchTo(m_other);
        for (const QString &step : whileAway.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (step == QLatin1String("hide")) {
                m_first->hide();
            } else if (step == QLatin1String("show")) {
                m_first->show();
            } else {
                // The page away may be laid out meanwhile: it must still follow what happens
                // afterwards.
                m_column->invalidate();
                m_column->activate();
            }
        }
        switchTo(m_page);
        QStringList seen;
        for (qreal y : {20.0, 60.0}) {
            const QColor c = shownAt(QPointF(50, y));
            if (c == Qt::red)
                seen << QStringLiteral("red");
            else if (c == Qt::blue)
                seen << QStringLiteral("blue");
        }
        QCOMPARE(seen.join(QLatin1Char(' ')), shown);
    }

    void shouldNotAskForSizeHintsWhenOnlyThePageReappears()
    {
        switchTo(m_other);
        m_first->hintRequests = m_second->hintRequests = 0;
        switchTo(m_page);
        QCOMPARE(m_first->hintRequests, 0);
        QCOMPARE(m_second->hintRequests, 0);
        QCOMPARE(m_second->geometry().top(), m_first->geometry().bottom());
    }

    // A page shown again as it was left is not laid out again; one whose widgets changed while
    // away is, and so is a widget shown on its page.
    void shouldLayOutAgainOnlyWhatChanged_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<bool>("laidOut");
        QTest::newRow("page shown again") << "away back" << false;
        QTest::newRow("page shown again twice") << "away back away back" << false;
        QTest::newRow("block hidden while away") << "away hide back" << true;
        QTest::newRow("block hidden and shown while away") << "away hide show back" << false;
        QTest::newRow("block hidden on the page, shown again") << "hide show" << true;
    }
    void shouldLayOutAgainOnlyWhatChanged()
    {
        QFETCH(QString, steps);
        QFETCH(bool, laidOut);
        m_first->placements = m_second->placements = 0;
        for (const QString &step : steps.split(QLatin1Char(' '))) {
            if (step == QLatin1String("away"))
                switchTo(m_other);
            else if (step == QLatin1String("back"))
                switchTo(m_page);
            else if (step == QLatin1String("hide"))
                m_first->hide();
            else
                m_first->show();
            settle();
            if (step == QLatin1String("hide") && steps.startsWith(QLatin1String("hide")))
                m_first->placements = m_second->placements = 0;
        }
        QCOMPARE(m_second->placements > 0, laidOut);
    }

    void shouldCutContentAtTheViewportEdgeOnlyWhenItDoesNotFit_data()
    {
        QTest::addColumn<bool>("pannable");
        QTest::addColumn<qreal>("height");
        QTest::addColumn<bool>("clipped");
        QTest::newRow("fits, cannot pan") << false << 20.0 << false;
        QTest::newRow("taller, cannot pan") << false << 2000.0 << true;
        QTest::newRow("fits, can pan") << true << 20.0 << true;
    }
    void shouldCutContentAtTheViewportEdgeOnlyWhenItDoesNotFit()
    {
        QFETCH(bool, pannable);
        QFETCH(qreal, height);
        QFETCH(bool, clipped);
        auto *viewport = new MPannableViewport(m_first);
        viewport->setEnabled(pannable);
        auto *inside = new Block;
        inside->colour = Qt::green;
        inside->preferred = QSizeF(100, height);
        viewport->setWidget(inside);
        viewport->setGeometry(QRectF(0, 0, 100, 30));
        QCOMPARE(inside->size().height(), qMax<qreal>(30, height));
        // Clipping costs every press and paint inside: only content that can leave is clipped.
        QCOMPARE(bool(viewport->flags() & QGraphicsItem::ItemClipsChildrenToShape), clipped);
        QVERIFY(shownAt(QPointF(50, 20)) == Qt::green);
        // Below the viewport: the block under it, never content cut off.
        QVERIFY(shownAt(QPointF(50, 36)) == Qt::red);

        // Content that grows beyond the viewport is cut from then on.
        inside->grow(4000);
        viewport->updateWidgetGeometry();
        settle();
        QVERIFY(viewport->flags() & QGraphicsItem::ItemClipsChildrenToShape);
        QVERIFY(shownAt(QPointF(50, 36)) == Qt::red);
    }

    // What a press finds under the finger: a widget where it is shown, never where it is not or
    // where its viewport cuts it off.
    void shouldFindOnlyWhatIsShownUnderTheFinger_data()
    {
        QTest::addColumn<QPointF>("at");
        QTest::addColumn<QString>("found");
        QTest::newRow("on the first block") << QPointF(50, 10) << "inside";
        QTest::newRow("on the block, beside the viewport") << QPointF(150, 10) << "red";
        QTest::newRow("on content cut off by its viewport") << QPointF(50, 36) << "red";
        QTest::newRow("on the second block") << QPointF(50, 60) << "blue";
        QTest::newRow("below both blocks") << QPointF(50, 300) << "";
    }
    void shouldFindOnlyWhatIsShownUnderTheFinger()
    {
        QFETCH(QPointF, at);
        QFETCH(QString, found);
        auto *viewport = new MPannableViewport(m_first);
        auto *inside = new Block;
        inside->preferred = QSizeF(100, 2000);
        viewport->setWidget(inside);
        viewport->setGeometry(QRectF(0, 0, 100, 30));
        QString topmost;
        const QList<QGraphicsItem *> items = m_window->scene()->items(
            at, Qt::IntersectsItemShape, Qt::DescendingOrder, QTransform());
        for (QGraphicsItem *item : items) {
            if (item == inside)
                topmost = QStringLiteral("inside");
            else if (item == m_first)
                topmost = QStringLiteral("red");
            else if (item == m_second)
                topmost = QStringLiteral("blue");
            if (!topmost.isEmpty())
                break;
        }
        QCOMPARE(topmost, found);
    }
};

CH_TOUCH_TEST_MAIN(TestPageSwitchLayout)
#include "tst_pageswitchlayout.moc"
