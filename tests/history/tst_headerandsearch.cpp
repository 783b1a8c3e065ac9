#include "callhistoryapplicationpage.h"
#include "callhistorytitle.h"
#include "mapplication.h"
#include "mapplicationwindow.h"
#include "mbutton.h"
#include "mlabel.h"
#include "mpanevent.h"
#include "mpannableviewport.h"
#include "mscenemanager.h"
#include "mtextedit.h"
#include "searchtextedit.h"
#include "subtitlelabel.h"
#include "testsupport.h"

#include <QGraphicsLinearLayout>
#include <QGraphicsScene>
#include <QSignalSpy>
#include <QtTest>

// The call history's header, search field, dialog sub-title and the page that drops the
// keyboard focus when the list starts to move.
class TestHeaderAndSearch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shouldSwapArrowAndSpinnerOnlyOnChange()
    {
        CallHistoryTitle title;
        QVERIFY(!title.isBusy());
        title.setBusy(true);
        QVERIFY(title.isBusy());
        title.setBusy(true);
        QVERIFY(title.isBusy());
        title.setBusy(false);
        QVERIFY(!title.isBusy());
    }

    void shouldSwapSearchAndClearButtons_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("clearShown");
        QTest::newRow("letters") << "an" << true;
        QTest::newRow("only spaces count as empty") << "   " << false;
        QTest::newRow("empty") << "" << false;
    }
    void shouldSwapSearchAndClearButtons()
    {
        QFETCH(QString, text);
        QFETCH(bool, clearShown);
        SearchTextEdit search(new MTextEdit);
        search.editor()->setText(QStringLiteral("x"));
        search.editor()->setText(text);
        QCOMPARE(search.clearButton()->isVisible(), clearShown);
        QCOMPARE(search.searchButton()->isVisible(), !clearShown);
        // Text stops the hide timer; an unfocused empty field arms it.
        QCOMPARE(search.isHideTimerActive(), !clearShown);
    }

    void shouldAskToHideEmptyFieldAfterFiveSeconds()
    {
        SearchTextEdit search(new MTextEdit);
        QSignalSpy hide(&search, &SearchTextEdit::hideRequest);
        search.setSearchVisible(true);
        QTest::qWait(4500);
        QCOMPARE(hide.count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(hide.count(), 1, 1500);
    }

    void shouldNeverHideFieldWithText()
    {
        SearchTextEdit search(new MTextEdit);
        search.editor()->setText(QStringLiteral("ann"));
        search.setSearchVisible(true);
        QVERIFY(!search.isHideTimerActive());
        search.clearText();
        QCOMPARE(search.editor()->text(), QString());
        QVERIFY(search.searchButton()->isVisible());
    }

    void shouldKeepLineBreaksOutOfTheEditor()
    {
        MTextEdit edit;
        edit.setText(QStringLiteral("a\nb"));
        QCOMPARE(edit.text(), QStringLiteral("a b"));
        edit.setText(QString(5000, QLatin1Char('1')));
        QCOMPARE(edit.text().size(), edit.maxLength());
    }

    void shouldStyleCompanionBySubtitle()
    {
        MLabel title(QStringLiteral("Anna"));
        SubtitleLabel sub(nullptr, &title);
        sub.setText(QString());
        QCOMPARE(sub.effectiveSizeHint(Qt::PreferredSize), QSizeF(0, 0));
        QCOMPARE(title.styleName(), QStringLiteral("CommonSingleTitleInverted"));
        sub.setText(QStringLiteral("+358 40 123 | Mobile"));
        QVERIFY(sub.effectiveSizeHint(Qt::PreferredSize).height() > 0);
        QCOMPARE(title.styleName(), QStringLiteral("CommonTitleInverted"));
    }

    void shouldDropFocusWhenListStartsToPan_data()
    {
        QTest::addColumn<QPointF>("offset");
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("watched");
        QTest::addColumn<bool>("focusKept");
        // Offsets are in the display's native frame: x is the portrait screen's vertical.
        QTest::newRow("vertical pan on screen starts")
            << QPointF(30, 5) << int(Qt::GestureStarted) << true << false;
        QTest::newRow("sideways pan on screen starts")
            << QPointF(5, 30) << int(Qt::GestureStarted) << true << true;
        QTest::newRow("pan already under way")
            << QPointF(30, 5) << int(Qt::GestureUpdated) << true << true;
        QTest::newRow("item not watched")
            << QPointF(30, 5) << int(Qt::GestureStarted) << false << true;
    }
    void shouldDropFocusWhenListStartsToPan()
    {
        QFETCH(QPointF, offset);
        QFETCH(int, state);
        QFETCH(bool, watched);
        QFETCH(bool, focusKept);
        MApplicationWindow window;
        auto *page = new CallHistoryApplicationPage;
        auto *edit = new MTextEdit;
        auto *content = new QGraphicsWidget;
        auto *layout = new QGraphicsLinearLayout(Qt::Vertical, content);
        layout->addItem(edit);
        page->pannableViewport()->setWidget(content);
        window.sceneManager()->appearSceneWindowNow(page);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(page->watchedItems().size(), 1);
        page->watchItem(page->pannableViewport());
        QCOMPARE(page->watchedItems().size(), 1);
        MPannableViewport other;
        window.scene()->addItem(&other);
        page->setFocus(Qt::OtherFocusReason);
        edit->setFocus();
        QVERIFY(edit->hasEditorFocus());
        MPanEvent pan(Qt::GestureState(state), offset);
        QGraphicsItem *target = watched ? static_cast<QGraphicsItem *>(page->pannableViewport())
                                        : static_cast<QGraphicsItem *>(&other);
        window.scene()->sendEvent(target, &pan);
        QCOMPARE(edit->hasEditorFocus(), focusKept);
        window.scene()->removeItem(&other);
        delete page;
    }
};

CH_TOUCH_TEST_MAIN(TestHeaderAndSearch)
#include "tst_headerandsearch.moc"
