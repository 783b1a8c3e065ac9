#include "callhistoryapplicationpage.h"
#include "callhistorytitle.h"
#include "mapplication.h"
#include "mapplicationpage.h"
#include "mapplicationwindow.h"
#include "mbutton.h"
#include "mcommonlabelhighlighter.h"
#include "mimagewidget.h"
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
#include <QGraphicsTextItem>
#include <QSignalSpy>
#include <QtTest>
#include <cmath>

// The call history's header, search field, dialog sub-title and the page that drops the
// keyboard focus when the list starts to move.
class TestHeaderAndSearch : public QObject
{
    Q_OBJECT
private:
    // A window whose page shows the search field above a header, as the call history does.
    struct Screen
    {
        MApplicationWindow window;
        MApplicationPage *page = new MApplicationPage;
        CallHistoryTitle *header = new CallHistoryTitle;
        SearchTextEdit *search = new SearchTextEdit(new MTextEdit);
        Screen()
        {
            auto *content = new QGraphicsWidget;
            auto *layout = new QGraphicsLinearLayout(Qt::Vertical, content);
            layout->setContentsMargins(0, 0, 0, 0);
            layout->setSpacing(0);
            header->setStyleName(QStringLiteral("CommonHeaderPanel"));
            header->setText(QStringLiteral("All calls"));
            layout->addItem(header);
            layout->addItem(search);
            layout->addStretch();
            page->pannableViewport()->setWidget(content);
            window.sceneManager()->appearSceneWindowNow(page);
            window.show();
        }
        ~Screen() { delete page; }
        QImage shot(const QString &name)
        {
            return QImage(TestSupport::saveScreenshot(&window, name))
                .convertToFormat(QImage::Format_RGB32);
        }
        QRect onScreen(QGraphicsWidget *w, const QRectF &r) const
        {
            return window.mapFromScene(w->mapToScene(r)).boundingRect();
        }
    };

    static QGraphicsTextItem *textItem(QGraphicsItem *root)
    {
        if (auto *t = dynamic_cast<QGraphicsTextItem *>(root))
            return t;
        const QList<QGraphicsItem *> children = root->childItems();
        for (QGraphicsItem *c : children) {
            if (QGraphicsTextItem *t = textItem(c))
                return t;
        }
        return nullptr;
    }

    static bool isInk(const QColor &c, const QColor &bg)
    {
        return qAbs(c.red() - bg.red()) + qAbs(c.green() - bg.green()) +
                   qAbs(c.blue() - bg.blue()) >
               150;
    }

    // The first and last columns of r that hold text (ink against the colour at r's corner).
    static QPair<int, int> inkSpan(const QImage &image, const QRect &r)
    {
        const QColor bg = image.pixelColor(r.topLeft());
        int first = -1, last = -1;
        for (int x = r.left(); x <= r.right(); ++x) {
            for (int y = r.top(); y <= r.bottom(); ++y) {
                if (isInk(image.pixelColor(x, y), bg)) {
                    if (first < 0)
                        first = x;
                    last = x;
                    break;
                }
            }
        }
        return qMakePair(first, last);
    }

private Q_SLOTS:
    void shouldDrawFocusedFieldWithoutFocusFrame()
    {
        Screen screen;
        QVERIFY(QTest::qWaitForWindowExposed(&screen.window));
        QApplication::setActiveWindow(&screen.window);
        QVERIFY(QTest::qWaitForWindowActive(&screen.window));
        MTextEdit *edit = screen.search->editor();
        edit->setText(QStringLiteral("anna"));
        const QImage before = screen.shot(QStringLiteral("search-unfocused"));
        screen.page->setFocus(Qt::OtherFocusReason);
        edit->setFocus();
        QTRY_VERIFY(edit->hasEditorFocus());
        const QImage after = screen.shot(QStringLiteral("search-focused"));
        // Around the text: the same pixels focused or not (a frame would draw a line there).
        QGraphicsTextItem *text = textItem(edit);
        QVERIFY(text);
        const QRect r = screen.window.mapFromScene(text->mapToScene(text->boundingRect()))
                            .boundingRect()
                            .adjusted(-1, -1, 1, 1) &
                        screen.onScreen(edit, edit->contentsRect());
        int changed = 0;
        for (int x = r.left(); x <= r.right(); ++x) {
            for (int y : {r.top(), r.top() + 1, r.bottom() - 1, r.bottom()})
                changed += before.pixel(x, y) != after.pixel(x, y);
        }
        // The text cursor may cross those rows; a frame runs along them.
        QVERIFY2(changed <= 8, qPrintable(QString::number(changed)));
    }

    void shouldKeepLongTextInsideField()
    {
        Screen screen;
        QVERIFY(QTest::qWaitForWindowExposed(&screen.window));
        MTextEdit *edit = screen.search->editor();
        edit->setText(QStringLiteral("ab"));
        const QImage shortText = screen.shot(QStringLiteral("search-short"));
        edit->setText(
            QStringLiteral("a very long search text that runs far past the field 0123456789"));
        const QImage longText = screen.shot(QStringLiteral("search-long"));
        // Outside the field's text area (clear button, margins, the rest of the window) nothing
        // changes; inside, the end of the text where the cursor is stays in view.
        const QRect inside = screen.onScreen(edit, edit->contentsRect());
        int outside = 0;
        for (int y = 0; y < shortText.height(); ++y) {
            for (int x = 0; x < shortText.width(); ++x) {
                if (!inside.contains(x, y))
                    outside += shortText.pixel(x, y) != longText.pixel(x, y);
            }
        }
        QCOMPARE(outside, 0);
        const QPair<int, int> ink = inkSpan(longText, inside);
        QVERIFY2(ink.second >= inside.right() - 20,
                 qPrintable(QStringLiteral("%1 %2").arg(ink.second).arg(inside.right())));
        // Back to the start: the text scrolls back.
        edit->setText(QStringLiteral("ab"));
        QCOMPARE(screen.shot(QStringLiteral("search-short-again")), shortText);
    }

    void shouldFocusFieldOnTap_data()
    {
        QTest::addColumn<bool>("magnifier");
        QTest::newRow("the field") << false;
        QTest::newRow("the magnifier") << true;
    }
    void shouldFocusFieldOnTap()
    {
        QFETCH(bool, magnifier);
        Screen screen;
        QVERIFY(QTest::qWaitForWindowExposed(&screen.window));
        QApplication::setActiveWindow(&screen.window);
        QVERIFY(QTest::qWaitForWindowActive(&screen.window));
        // A tap elsewhere first: nothing on the page has the focus.
        QTest::mouseClick(screen.window.viewport(), Qt::LeftButton, {}, QPoint(240, 600));
        QGraphicsWidget *target =
            magnifier ? static_cast<QGraphicsWidget *>(screen.search->searchButton())
                      : screen.search->editor();
        QVERIFY(target->isVisible());
        QTest::mouseClick(screen.window.viewport(), Qt::LeftButton, {},
                          screen.onScreen(target, target->rect()).center());
        QTRY_VERIFY(screen.search->editor()->hasEditorFocus());
        QVERIFY(!screen.search->isHideTimerActive());
    }

    void shouldAlignTextToLeadingEdge_data()
    {
        QTest::addColumn<int>("direction");
        QTest::addColumn<bool>("highlighted");
        QTest::newRow("left to right") << int(Qt::LeftToRight) << false;
        QTest::newRow("left to right, highlighted") << int(Qt::LeftToRight) << true;
        QTest::newRow("right to left") << int(Qt::RightToLeft) << false;
        QTest::newRow("right to left, highlighted") << int(Qt::RightToLeft) << true;
    }
    void shouldAlignTextToLeadingEdge()
    {
        QFETCH(int, direction);
        QFETCH(bool, highlighted);
        const bool rtl = direction == Qt::RightToLeft;
        Screen screen;
        QVERIFY(QTest::qWaitForWindowExposed(&screen.window));
        screen.page->setLayoutDirection(Qt::LayoutDirection(direction));
        auto *title = new MLabel(screen.page->pannableViewport()->widget());
        title->setStyleName(QStringLiteral("CommonTitle"));
        title->setGeometry(QRectF(20, 200, 440, 40));
        MCommonLabelHighlighter highlighter(QRegExp(QStringLiteral("An"), Qt::CaseInsensitive));
        if (highlighted) {
            title->setTextFormat(Qt::RichText);
            title->addHighlighter(&highlighter);
        }
        title->setText(QStringLiteral("Anna Virtanen"));
        screen.search->editor()->setText(QStringLiteral("an"));
        const QImage shot = screen.shot(QStringLiteral("align-%1%2")
                                            .arg(rtl ? "rtl" : "ltr")
                                            .arg(highlighted ? "-highlighted" : ""));
        const QRect titleArea = screen.onScreen(title, title->contentsRect());
        const QPair<int, int> titleInk = inkSpan(shot, titleArea);
        MTextEdit *edit = screen.search->editor();
        const QRect fieldArea = screen.onScreen(edit, edit->contentsRect());
        const QPair<int, int> fieldInk = inkSpan(shot, fieldArea);
        QVERIFY(titleInk.first >= 0 && fieldInk.first >= 0);
        // The text starts within a few pixels of the leading edge and ends far from the other.
        if (rtl) {
            QVERIFY2(titleArea.right() - titleInk.second <= 4,
                     qPrintable(QString::number(titleInk.second)));
            QVERIFY(titleInk.first - titleArea.left() > 100);
            QVERIFY2(fieldArea.right() - fieldInk.second <= 6,
                     qPrintable(QString::number(fieldInk.second)));
            QVERIFY(fieldInk.first - fieldArea.left() > 100);
        } else {
            QVERIFY(titleInk.first - titleArea.left() <= 4);
            QVERIFY(titleArea.right() - titleInk.second > 100);
            QVERIFY(fieldInk.first - fieldArea.left() <= 6);
            QVERIFY(fieldArea.right() - fieldInk.second > 100);
        }
    }

    // The drop-down arrow keeps its distance from the title on the side it stands, mirrored
    // right to left.
    void shouldKeepTheArrowAwayFromTheTitle_data()
    {
        QTest::addColumn<int>("direction");
        QTest::newRow("left to right") << int(Qt::LeftToRight);
        QTest::newRow("right to left") << int(Qt::RightToLeft);
    }
    void shouldKeepTheArrowAwayFromTheTitle()
    {
        QFETCH(int, direction);
        const bool rtl = direction == Qt::RightToLeft;
        Screen screen;
        QVERIFY(QTest::qWaitForWindowExposed(&screen.window));
        screen.page->setLayoutDirection(Qt::LayoutDirection(direction));
        const QImage shot = screen.shot(QStringLiteral("header-arrow-%1").arg(rtl ? "rtl" : "ltr"));
        MLabel *label = screen.header->label();
        const QPair<int, int> title =
            inkSpan(shot, screen.onScreen(label, label->rect()).adjusted(0, 1, 0, -1));
        MImageWidget *arrow = screen.header->arrow();
        const QRect image = screen.onScreen(arrow, arrow->contentsRect());
        QVERIFY(title.first >= 0);
        const int gap = rtl ? title.first - image.right() : image.left() - title.second;
        QVERIFY2(gap >= 10, qPrintable(QString::number(gap)));
    }

    void shouldLineHeaderTextUpWithRows()
    {
        Screen screen;
        QVERIFY(QTest::qWaitForWindowExposed(&screen.window));
        const QImage shot = screen.shot(QStringLiteral("header-text"));
        const QRect header = screen.onScreen(screen.header, screen.header->rect());
        const QPair<int, int> ink = inkSpan(shot, header.adjusted(1, 1, -1, -1));
        // Rows and group titles start 20 px in; glyphs may start a pixel or two inside.
        QVERIFY2(ink.first >= 20 && ink.first <= 23, qPrintable(QString::number(ink.first)));
    }

    void shouldShowPromptReadably()
    {
        Screen screen;
        QVERIFY(QTest::qWaitForWindowExposed(&screen.window));
        MTextEdit *edit = screen.search->editor();
        const QImage shot = screen.shot(QStringLiteral("search-prompt"));
        const QRect area = screen.onScreen(edit, edit->contentsRect());
        // The brightest prompt pixel against the field (WCAG contrast of relative luminances).
        auto luminance = [](const QColor &c) {
            auto channel = [](int v) {
                const double s = v / 255.0;
                return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
            };
            return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) +
                   0.0722 * channel(c.blue());
        };
        const double bg = luminance(shot.pixelColor(area.topLeft()));
        double text = bg;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x)
                text = qMax(text, luminance(shot.pixelColor(x, y)));
        }
        const double contrast = (text + 0.05) / (bg + 0.05);
        QVERIFY2(contrast >= 4.5, qPrintable(QString::number(contrast)));
    }

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
