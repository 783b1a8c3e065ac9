#include "mabstractcellcreator.h"
#include "maction.h"
#include "mapplication.h"
#include "mapplicationpage.h"
#include "mapplicationwindow.h"
#include "mlabel.h"
#include "mlist.h"
#include "mlistfilter.h"
#include "mlistitem.h"
#include "mobjectmenu.h"
#include "mpannableviewport.h"
#include "mscenemanager.h"
#include "testsupport.h"

#include <QGraphicsLinearLayout>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QStringListModel>
#include <QtTest>

#include <cmath>

namespace {
int s_made = 0;

class TextCell : public MListItem
{
    Q_OBJECT
public:
    TextCell() : label(new MLabel)
    {
        ++s_made;
        setStyleName(QStringLiteral("CommonPanel"));
        auto *l = new QGraphicsLinearLayout(Qt::Vertical, this);
        l->setContentsMargins(0, 0, 0, 0);
        label->setStyleName(QStringLiteral("CommonTitle"));
        l->addItem(label);
    }
    MLabel *label;
    int fills = 0;
};

class TextCellCreator : public MAbstractCellCreator<TextCell>
{
public:
    void updateCell(const QModelIndex &index, MWidget *cell) const override
    {
        auto *c = static_cast<TextCell *>(cell);
        c->label->setText(index.data().toString());
        ++c->fills;
    }
};
} // namespace

class TestMList : public QObject
{
    Q_OBJECT
private:
    MApplicationWindow *m_window = nullptr;
    MApplicationPage *m_page = nullptr;
    MList *m_list = nullptr;

    QStringList texts() const
    {
        QStringList t;
        for (MWidget *w : m_list->visibleCells())
            t << static_cast<TextCell *>(w)->label->text();
        return t;
    }
    QPoint onScreen(QGraphicsWidget *w) const
    {
        return m_window->mapFromScene(w->mapToScene(w->rect().center()));
    }

private Q_SLOTS:
    void init()
    {
        s_made = 0;
        m_window = new MApplicationWindow;
        m_window->resize(480, 854);
        m_page = new MApplicationPage;
        m_list = new MList;
        m_list->setCellCreator(new TextCellCreator);
        m_page->pannableViewport()->setWidget(m_list);
        m_window->sceneManager()->appearSceneWindowNow(m_page);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }
    void cleanup()
    {
        delete m_page;
        delete m_window;
    }

    void shouldMakeCellsOnlyNearTheView()
    {
        QStringList rows;
        for (int i = 0; i < 100000; ++i)
            rows << QStringLiteral("row %1").arg(i);
        QStringListModel model(rows);
        m_list->setItemModel(&model);
        QTRY_VERIFY(!m_list->visibleCells().isEmpty());
        QCOMPARE(m_list->size().height(), 100000.0 * 84);
        const int shown = m_list->visibleCells().size();
        QVERIFY2(shown > 10 && shown < 40, qPrintable(QString::number(shown)));
        QCOMPARE(texts().first(), QStringLiteral("row 0"));

        // Far down the list: the same few cells, refilled.
        const int made = s_made;
        m_page->pannableViewport()->setPosition(QPointF(0, 84 * 50000));
        QVERIFY(texts().contains(QStringLiteral("row 50000")));
        QVERIFY(!texts().contains(QStringLiteral("row 0")));
        QVERIFY(s_made - made <= shown);
        m_page->pannableViewport()->setPosition(QPointF(0, 84 * 99990));
        QCOMPARE(texts().last(), QStringLiteral("row 99999"));
        QVERIFY(s_made <= 3 * shown);
    }

    void shouldMakeCellsAheadOnlyWhenPreloading()
    {
        QStringList rows;
        for (int i = 0; i < 1000; ++i)
            rows << QStringLiteral("row %1").arg(i);
        QStringListModel model(rows);
        m_list->setPreloading(false);
        m_list->setItemModel(&model);
        QTRY_VERIFY(!m_list->visibleCells().isEmpty());
        // Only the rows in view, and every one of them.
        const qreal viewHeight = m_page->pannableViewport()->size().height();
        const int inView = int(std::ceil(viewHeight / 84));
        QCOMPARE(m_list->visibleCells().size(), inView);
        QCOMPARE(texts().first(), QStringLiteral("row 0"));
        QCOMPARE(texts().last(), QStringLiteral("row %1").arg(inView - 1));

        // Ahead again from the next turn on: a screen of rows below the view.
        m_list->setPreloading(true);
        QCOMPARE(m_list->visibleCells().size(), inView);
        QTRY_VERIFY(m_list->visibleCells().size() >= 2 * inView - 1);
        QCOMPARE(texts().first(), QStringLiteral("row 0"));
    }

    void shouldFollowModelChanges()
    {
        QStringListModel model({"b", "c"});
        m_list->setItemModel(&model);
        QTRY_COMPARE(texts(), QStringList({"b", "c"}));
        model.insertRows(0, 1);
        model.setData(model.index(0), QStringLiteral("a"));
        QTRY_COMPARE(texts(), QStringList({"a", "b", "c"}));
        model.removeRows(1, 2);
        QTRY_COMPARE(texts(), QStringList({"a"}));
        model.setStringList({});
        QTRY_COMPARE(texts(), QStringList());
        QCOMPARE(m_list->effectiveSizeHint(Qt::PreferredSize).height(), 0.0);
    }

    void shouldKeepItsHeightInStepWithItsRows_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        const QStringList many = [] {
            QStringList rows;
            for (int i = 0; i < 40; ++i)
                rows << QStringLiteral("row %1").arg(i);
            return rows;
        }();
        QTest::newRow("other rows, as many") << many << QStringList(many.mid(10) + many.mid(0, 10));
        QTest::newRow("fewer rows") << many << QStringList(many.mid(5, 20));
        QTest::newRow("more rows") << QStringList(many.mid(0, 20)) << many;
        QTest::newRow("no rows") << many << QStringList();
        QTest::newRow("rows again") << QStringList() << many;
    }
    void shouldKeepItsHeightInStepWithItsRows()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        QStringListModel model(before);
        m_list->setItemModel(&model);
        QTRY_COMPARE(texts(), QStringList(before.mid(0, texts().size())));
        // Scrolled down a little, so that a shorter list must move its view.
        m_page->pannableViewport()->setPosition(QPointF(0, 84 * 3));
        model.setStringList(after);
        m_list->flush();
        QCoreApplication::processEvents();
        const qreal view = m_page->pannableViewport()->size().height();
        QCOMPARE(m_list->size().height(), qMax(84.0 * after.size(), view));
        QCOMPARE(m_page->pannableViewport()->panRange().height(),
                 qMax(0.0, 84.0 * after.size() - view));
        // Every cell shows the row of its place.
        const QStringList shown = texts();
        QVERIFY(shown.size() <= after.size());
        for (MWidget *cell : m_list->visibleCells()) {
            const int row = m_list->indexForCell(cell).row();
            QCOMPARE(static_cast<TextCell *>(cell)->label->text(), after.value(row));
            QCOMPARE(cell->pos().y(), 84.0 * row);
        }
        QVERIFY(after.isEmpty() || !shown.isEmpty());
    }

    void shouldShowGroupTitlesAboveTheirRows()
    {
        QStandardItemModel model;
        auto *today = new QStandardItem(QStringLiteral("Today"));
        today->appendRow(new QStandardItem(QStringLiteral("Anna")));
        today->appendRow(new QStandardItem(QStringLiteral("Mikko")));
        auto *older = new QStandardItem(QStringLiteral("Older"));
        older->appendRow(new QStandardItem(QStringLiteral("Liisa")));
        model.appendRow(today);
        model.appendRow(older);
        m_list->setShowGroups(true);
        m_list->setItemModel(&model);
        QTRY_COMPARE(texts(), QStringList({"Anna", "Mikko", "Liisa"}));
        const QList<QGraphicsItem *> children = m_list->childItems();
        QStringList headers;
        for (QGraphicsItem *c : children) {
            auto *label = qobject_cast<MLabel *>(c->toGraphicsObject());
            if (label && label->isVisible() &&
                label->styleName() == QLatin1String("CommonGroupHeader"))
                headers << label->text();
        }
        std::sort(headers.begin(), headers.end());
        QCOMPARE(headers, QStringList({"Older", "Today"}));
        // The first row of the second group sits below its title.
        MWidget *liisa = m_list->cellForIndex(model.index(0, 0, model.index(1, 0)));
        QVERIFY(liisa);
        QCOMPARE(liisa->pos().y(), 40.0 + 2 * 84 + 40);
        QCOMPARE(m_list->indexForCell(liisa).data().toString(), QStringLiteral("Liisa"));
    }

    void shouldReportTappedRow()
    {
        QStringListModel model({"one", "two", "three"});
        m_list->setItemModel(&model);
        QTRY_COMPARE(texts().size(), 3);
        QSignalSpy clicked(m_list, &MList::itemClicked);
        QTest::mouseClick(m_window->viewport(), Qt::LeftButton, {},
                          onScreen(m_list->visibleCells().at(1)));
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(clicked.at(0).at(0).toModelIndex().row(), 1);
    }

    void shouldIgnoreTapWhenRowMovedUnderFinger_data()
    {
        QTest::addColumn<qreal>("jump");
        QTest::addColumn<int>("taps");
        QTest::newRow("row stays in place") << 0.0 << 1;
        QTest::newRow("list jumps up by the search field's height") << -68.0 << 0;
        QTest::newRow("list jumps by a pixel") << 1.0 << 0;
    }
    void shouldIgnoreTapWhenRowMovedUnderFinger()
    {
        QFETCH(qreal, jump);
        QFETCH(int, taps);
        QStringListModel model({"one", "two", "three"});
        m_list->setItemModel(&model);
        QTRY_COMPARE(texts().size(), 3);
        MWidget *cell = m_list->visibleCells().at(1);
        QSignalSpy clicked(m_list, &MList::itemClicked);
        const QPoint at = onScreen(cell);
        QTest::mousePress(m_window->viewport(), Qt::LeftButton, {}, at);
        // Something above the list changes its height while the finger is down.
        m_list->setPos(m_list->pos() + QPointF(0, jump));
        QTest::mouseRelease(m_window->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(clicked.count(), taps);
    }

    void shouldOfferObjectMenuOnLongPress()
    {
        QStringListModel model({"one"});
        m_list->setItemModel(&model);
        QTRY_COMPARE(texts().size(), 1);
        auto *cell = static_cast<TextCell *>(m_list->visibleCells().first());
        MAction copy(QStringLiteral("Copy"), cell);
        copy.setLocation(MAction::ObjectMenuLocation);
        MAction hidden(QStringLiteral("Hidden"), cell);
        hidden.setVisible(false);
        cell->addAction(&copy);
        cell->addAction(&hidden);
        QSignalSpy triggered(&copy, &QAction::triggered);
        QSignalSpy clicked(cell, &MListItem::clicked);
        const QPoint at = onScreen(cell);
        QTest::mousePress(m_window->viewport(), Qt::LeftButton, {}, at);
        QTRY_VERIFY(cell->objectMenu());
        QTest::mouseRelease(m_window->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(clicked.count(), 0);
        QCOMPARE(cell->objectMenu()->entries().size(), 1);
        TestSupport::saveScreenshot(m_window, "touch-objectmenu");
        cell->objectMenu()->triggerEntry(0);
        QCOMPARE(triggered.count(), 1);
        QTRY_VERIFY(!cell->objectMenu());
    }

    void shouldAskForSearchWhenPulledDownFromTop()
    {
        QStringListModel model({"one", "two"});
        m_list->setItemModel(&model);
        m_list->filtering()->setEnabled(true);
        QTRY_COMPARE(texts().size(), 2);
        QSignalSpy pulled(m_list->filtering(), &MListFilter::listPannedUpFromTop);
        QWindow *w = m_window->windowHandle();
        QPoint at = onScreen(m_list->visibleCells().first());
        QTest::mousePress(w, Qt::LeftButton, {}, at);
        for (int i = 0; i < 20; ++i) {
            at += QPoint(0, 12);
            QTest::mouseMove(w, at, 16);
        }
        QTest::mouseRelease(w, Qt::LeftButton, {}, at, 16);
        QTRY_COMPARE(pulled.count(), 1);
        // Springs back to the top.
        QTRY_COMPARE(m_page->pannableViewport()->position().y(), 0.0);
    }
};

CH_TOUCH_TEST_MAIN(TestMList)
#include "tst_mlist.moc"
