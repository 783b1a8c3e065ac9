#include "mapplication.h"
#include "testsupport.h"
#include "windowrehearsal.h"

#include <QGraphicsLinearLayout>
#include <QGraphicsView>
#include <QGraphicsWidget>
#include <QPainter>
#include <QtTest>

namespace {
// Notes each paint: its size then, and the height of the image painted on.
class PaintNote : public QGraphicsWidget
{
public:
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *) override
    {
        notes << QStringLiteral("%1x%2 on %3")
                     .arg(size().width())
                     .arg(size().height())
                     .arg(painter->device()->height());
    }
    QStringList notes;
};

// A hidden window, as the program's (no frame, no scroll bars), whose item gets its size from a
// layout that has not run yet.
struct HiddenWindow
{
    HiddenWindow()
    {
        view.setScene(&scene);
        view.setFrameShape(QFrame::NoFrame);
        view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.resize(200, 300);
        scene.setSceneRect(0, 0, 200, 300);
        auto *root = new QGraphicsWidget;
        scene.addItem(root);
        auto *layout = new QGraphicsLinearLayout(Qt::Vertical, root);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addItem(item);
        root->resize(200, 300);
    }
    QGraphicsScene scene;
    QGraphicsView view;
    PaintNote *item = new PaintNote;
};
} // namespace

// The frame a hidden window would show is painted once out of sight, at the next turn of the
// event loop after the content is ready, at the size its layout gives it.
class TestWindowRehearsal : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shouldPaintHiddenWindowOnceWhenReady()
    {
        HiddenWindow w;
        bool ready = false;
        WindowRehearsal rehearsal(&w.view, [&] { return ready; });
        rehearsal.request();
        QCoreApplication::processEvents();
        QCOMPARE(w.item->notes.join('|'), QString());

        ready = true;
        rehearsal.request();
        // Not within the request: it may come from a signal in the middle of a change.
        QCOMPARE(w.item->notes.join('|'), QString());
        QCoreApplication::processEvents();
        // The whole window, a band at a time.
        const int band = WindowRehearsal::BandHeight;
        QStringList bands;
        for (int top = 0; top < 300; top += band)
            bands << QStringLiteral("200x300 on %1").arg(band);
        QCOMPARE(w.item->notes.join('|'), bands.join('|'));
        const int paints = w.item->notes.size();
        rehearsal.request();
        QCoreApplication::processEvents();
        QCOMPARE(w.item->notes.size(), paints);
        QVERIFY(rehearsal.isDone() && !w.view.isVisible());
    }

    void shouldLeaveShownOrDeletedWindowAlone()
    {
        HiddenWindow shown;
        WindowRehearsal rehearsal(&shown.view, [] { return true; });
        rehearsal.request();
        shown.view.show();
        QCoreApplication::processEvents();
        QVERIFY(!rehearsal.isDone());

        auto *deleted = new HiddenWindow;
        WindowRehearsal late(&deleted->view, [] { return true; });
        late.request();
        delete deleted;
        QCoreApplication::processEvents();
        QVERIFY(!late.isDone());
    }
};

CH_TOUCH_TEST_MAIN(TestWindowRehearsal)
#include "tst_windowrehearsal.moc"
