#include "callhistoryapplicationpage.h"
#include "mapplication.h"
#include "mapplicationwindow.h"
#include "mpanevent.h"
#include "mpannableviewport.h"
#include "mscenemanager.h"
#include "mtextedit.h"
#include "testsupport.h"

#include <QGraphicsLinearLayout>
#include <QGraphicsScene>
#include <QtTest>

#include <new>

// The call history's application page follows the items it watches to their end: a destroyed
// item leaves its list, and a new item is watched even where the allocator puts it.
class TestCallHistoryApplicationPage : public QObject
{
    Q_OBJECT
private:
    // A viewport holding one text editor, in the window's scene.
    static MTextEdit *fill(MApplicationWindow &window, MPannableViewport *viewport)
    {
        auto *edit = new MTextEdit;
        auto *content = new QGraphicsWidget;
        auto *layout = new QGraphicsLinearLayout(Qt::Vertical, content);
        layout->addItem(edit);
        viewport->setWidget(content);
        viewport->resize(300, 300);
        window.scene()->addItem(viewport);
        return edit;
    }

private Q_SLOTS:
    void shouldFollowWatchedItemsToTheirEnd_data()
    {
        QTest::addColumn<bool>("sameAddress");
        QTest::newRow("new item where the gone one was") << true;
        QTest::newRow("new item elsewhere") << false;
    }
    void shouldFollowWatchedItemsToTheirEnd()
    {
        QFETCH(bool, sameAddress);
        MApplicationWindow window;
        auto *page = new CallHistoryApplicationPage;
        window.sceneManager()->appearSceneWindowNow(page);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));

        alignas(MPannableViewport) unsigned char storage[sizeof(MPannableViewport)];
        auto *gone = new (storage) MPannableViewport;
        fill(window, gone);
        page->watchItem(gone);
        QStringList counts{QString::number(page->watchedItems().size())};
        gone->~MPannableViewport();
        counts << QString::number(page->watchedItems().size());

        MPannableViewport *fresh =
            sameAddress ? new (storage) MPannableViewport : new MPannableViewport;
        MTextEdit *edit = fill(window, fresh);
        page->watchItem(fresh);
        counts << QString::number(page->watchedItems().size());
        QCOMPARE(counts.join(' '), QStringLiteral("2 1 2"));

        // The new item's pans reach the page: the keyboard focus goes as the list moves.
        edit->setFocus();
        QVERIFY(edit->hasEditorFocus());
        MPanEvent pan(Qt::GestureStarted, QPointF(30, 5));
        window.scene()->sendEvent(fresh, &pan);
        QVERIFY(!edit->hasEditorFocus());

        if (sameAddress)
            fresh->~MPannableViewport();
        else
            delete fresh;
        delete page;
    }
};

CH_TOUCH_TEST_MAIN(TestCallHistoryApplicationPage)
#include "tst_callhistoryapplicationpage.moc"
