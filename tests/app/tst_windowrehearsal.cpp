#include "mapplication.h"
#include "testsupport.h"
#include "windowrehearsal.h"

#include <QGraphicsLinearLayout>
#include <QGraphicsView>
#include <QGraphicsWidget>
#include <QPainter>
#include <QtTest>

namespace {
// Notes every paint it receives: the size it had then, and where the painter drew.
class PaintNote : public QGraphicsWidget
{
public:
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *) override
    {
        const QRect device =
            painter->device() ? QRect(0, 0, painter->device()->width(), painter->device()->height())
                              : QRect();
        notes << QStringLiteral("%1x%2 on %3x%4")
                     .arg(size().width())
                     .arg(size().height())
                     .arg(device.width())
                     .arg(device.height());
    }
    QStringList notes;
};

// Counts the paint events of a widget.
class PaintEvents : public QObject
{
public:
    explicit PaintEvents(QWidget *w) { w->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
    int count = 0;
};

// A hidden window with one item laid out to fill it.
struct HiddenWindow
{
    HiddenWindow()
    {
        view.setScene(&scene);
        // As the program's window: the viewport is the whole window.
        view.setFrameShape(QFrame::NoFrame);
        view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.resize(200, 300);
        scene.setSceneRect(0, 0, 200, 300);
        scene.addItem(root);
        auto *layout = new QGraphicsLinearLayout(Qt::Vertical, root);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addItem(item);
        // The size comes through the layout, at its next activation.
        root->resize(200, 300);
    }
    QGraphicsScene scene;
    QGraphicsView view;
    QGraphicsWidget *root = new QGraphicsWidget;
    PaintNote *item = new PaintNote;
};
} // namespace

// The frame a hidden window would show is painted once out of sight, at the next turn of the
// event loop after the content is ready, at the size its layout gives it.
class TestWindowRehearsal : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shouldPaintOnceWhenReady()
    {
        HiddenWindow w;
        PaintEvents viewportPaints(w.view.viewport());
        bool ready = false;
        WindowRehearsal rehearsal(&w.view, [&] { return ready; });
        rehearsal.request();
        QCoreApplication::processEvents();
        QCOMPARE(w.item->notes.join('|'), QString());
        QVERIFY(!rehearsal.isDone());

        ready = true;
        rehearsal.request();
        rehearsal.request();
        // Not within the request: it may come from a signal in the middle of a change.
        QCOMPARE(w.item->notes.join('|'), QString());
        QCoreApplication::processEvents();
        // The whole window, a band at a time, at the size the layout gives the item.
        const int bands = (300 + WindowRehearsal::BandHeight - 1) / WindowRehearsal::BandHeight;
        QStringList expected;
        for (int i = 0; i < bands; ++i)
            expected << QStringLiteral("200x300 on 200x%1").arg(WindowRehearsal::BandHeight);
        QCOMPARE(w.item->notes.join('|'), expected.join('|'));
        QVERIFY(rehearsal.isDone());

        rehearsal.request();
        QCoreApplication::processEvents();
        QCOMPARE(w.item->notes.size(), bands);
        // Out of sight: the window itself saw no paint and is still hidden.
        QCOMPARE(viewportPaints.count, 0);
        QVERIFY(!w.view.isVisible());
    }

    void shouldLeaveShownWindowToItsOwnPaint()
    {
        HiddenWindow w;
        WindowRehearsal rehearsal(&w.view, [] { return true; });
        rehearsal.request();
        w.view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.view));
        const int shownPaints = w.item->notes.size();
        QCoreApplication::processEvents();
        QVERIFY(!rehearsal.isDone());
        QCOMPARE(w.item->notes.size(), shownPaints);
    }

    void shouldForgetWindowDeletedMeanwhile()
    {
        auto *w = new HiddenWindow;
        WindowRehearsal rehearsal(&w->view, [] { return true; });
        rehearsal.request();
        delete w;
        QCoreApplication::processEvents();
        QVERIFY(!rehearsal.isDone());
    }
};

CH_TOUCH_TEST_MAIN(TestWindowRehearsal)
#include "tst_windowrehearsal.moc"
