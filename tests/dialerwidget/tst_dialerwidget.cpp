#include "dialeraccountbutton.h"
#include "dialeraccountselector.h"
#include "dialerkey.h"
#include "dialernumberfield.h"
#include "dialerwidget.h"
#include "mapplication.h"
#include "mapplicationpage.h"
#include "mapplicationwindow.h"
#include "mbanner.h"
#include "mpannableviewport.h"
#include "mscenemanager.h"
#include "mtheme.h"
#include "testsupport.h"

#include <QClipboard>
#include <QGraphicsLinearLayout>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// The keypad's side of an account chooser: announces what the test tells it, counts list
// requests.
class ScriptedSelector : public Dialer::DialerAccountSelector
{
public:
    int listRequests = 0;
    bool isCellularSelected() override { return true; }
    void showAccountList() override { ++listRequests; }
};

// The parts of a widget repainted since the watch began.
class PaintWatch : public QObject
{
public:
    QRegion painted;
    explicit PaintWatch(QWidget *w) { w->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent *>(event)->region();
        return false;
    }
};

// The pixels that differ from the background colour, and where they are.
struct Ink
{
    QRect box;
    int count = 0;
};
Ink inkOf(const QImage &image, QColor background)
{
    Ink ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (qAbs(c.red() - background.red()) + qAbs(c.green() - background.green()) +
                    qAbs(c.blue() - background.blue()) >
                120) {
                ink.box |= QRect(x, y, 1, 1);
                ++ink.count;
            }
        }
    }
    return ink;
}
// A container that paints itself in a colour of its own.
class Tinted : public QGraphicsWidget
{
public:
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *) override
    {
        painter->fillRect(rect(), QColor(0x80, 0x20, 0x60));
    }
};

// A square image of one colour, as an account's logo file.
QImage solid(QColor colour)
{
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QString joined(const QSignalSpy &spy)
{
    return TestSupport::joinedFirstArguments(spy);
}
} // namespace

// The keypad driven with real presses in a window.
class TestDialerWidget : public QObject
{
    Q_OBJECT
private:
    MApplicationWindow *m_window = nullptr;
    MApplicationPage *m_page = nullptr;
    ScriptedSelector *m_selector = nullptr;
    Dialer::DialerWidget *m_dialer = nullptr;

    QPoint onScreen(QGraphicsWidget *w) const
    {
        return m_window->mapFromScene(w->mapToScene(w->rect().center()));
    }
    void tap(QGraphicsWidget *w)
    {
        QTest::mouseClick(m_window->viewport(), Qt::LeftButton, {}, onScreen(w));
    }
    // Holds the finger on `w` until `done` holds (the long press fired), then lets go.
    template <typename Done> bool hold(QGraphicsWidget *w, Done done)
    {
        QTest::mousePress(m_window->viewport(), Qt::LeftButton, {}, onScreen(w));
        const bool fired = QTest::qWaitFor(done, 5000);
        QTest::mouseRelease(m_window->viewport(), Qt::LeftButton, {}, onScreen(w));
        return fired;
    }
    void type(const QString &keys)
    {
        for (const QChar c : keys)
            tap(m_dialer->key(c));
    }

    // Which pure colour the account button shows most of: "red", "green", "blue" or "none".
    QString logoColour()
    {
        QWidget *viewport = m_window->viewport();
        Dialer::DialerAccountButton *button = m_dialer->accountButton();
        const QRect area =
            m_window->mapFromScene(button->sceneBoundingRect()).boundingRect() & viewport->rect();
        const QImage image = viewport->grab(area).toImage();
        const QColor colours[] = {Qt::red, Qt::green, Qt::blue};
        const char *const names[] = {"red", "green", "blue"};
        QString best = QStringLiteral("none");
        int most = 20;
        for (int i = 0; i < 3; ++i) {
            int count = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    const QColor c = image.pixelColor(x, y);
                    count += qAbs(c.red() - colours[i].red()) +
                                 qAbs(c.green() - colours[i].green()) +
                                 qAbs(c.blue() - colours[i].blue()) <
                             60;
                }
            if (count > most) {
                most = count;
                best = QLatin1String(names[i]);
            }
        }
        return best;
    }

private Q_SLOTS:
    void init()
    {
        m_window = new MApplicationWindow;
        m_window->resize(480, 854);
        m_page = new MApplicationPage;
        m_page->setPannable(false);
        m_selector = new ScriptedSelector;
        m_dialer = new Dialer::DialerWidget(0, m_selector);
        m_page->setCentralWidget(m_dialer);
        m_window->sceneManager()->appearSceneWindowNow(m_page);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }
    void cleanup()
    {
        delete m_page;
        delete m_window;
        delete m_selector;
    }

    void shouldTypeWhatTheKeysShow()
    {
        QCOMPARE(m_dialer->key('7')->letters(), QStringLiteral("PQRS"));
        QCOMPARE(m_dialer->key('0')->letters(), QStringLiteral("+"));
        type(QStringLiteral("0401234567*#"));
        QCOMPARE(m_dialer->text(), QStringLiteral("0401234567*#"));
        tap(m_dialer->backspaceKey());
        tap(m_dialer->backspaceKey());
        QCOMPARE(m_dialer->text(), QStringLiteral("0401234567"));
        // Shown grouped; kept as typed.
        QCOMPARE(m_dialer->numberField()->displayedText(), QStringLiteral("040 123 45 67"));
        TestSupport::saveScreenshot(m_window, "dialerwidget-typed");
    }

    void shouldShowPressedStateWhileFingerIsDown()
    {
        Dialer::DialerKey *five = m_dialer->key('5');
        QTest::mousePress(m_window->viewport(), Qt::LeftButton, {}, onScreen(five));
        QVERIFY(five->isDown());
        QCOMPARE(five->styleMode(), QStringLiteral("pressed"));
        QCOMPARE(m_dialer->text(), QString());
        QTest::mouseRelease(m_window->viewport(), Qt::LeftButton, {}, onScreen(five));
        QVERIFY(!five->isDown());
        QCOMPARE(five->styleMode(), QString());
        QCOMPARE(m_dialer->text(), QStringLiteral("5"));
    }

    // Each key keeps a picture of each look: what the window shows must follow the key's state
    // and faces all the same.
    QImage shown(QGraphicsWidget *w)
    {
        QCoreApplication::processEvents();
        const QRect area = m_window->mapFromScene(w->mapToScene(w->rect()).boundingRect())
                               .boundingRect()
                               .adjusted(1, 1, -1, -1);
        return m_window->viewport()->grab(area).toImage();
    }
    void shouldShowTheLookOfTheKeysState_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("held down") << "held";
        QTest::newRow("tapped at once") << "tapped";
        QTest::newRow("letters changed") << "letters";
        QTest::newRow("held after letters changed") << "letters held";
    }
    void shouldShowTheLookOfTheKeysState()
    {
        QFETCH(QString, change);
        Dialer::DialerKey *one = m_dialer->key('1');
        const QImage plain = shown(one);
        if (change.startsWith("letters")) {
            m_dialer->setVoicemailNumber(QStringLiteral("+358401110000"));
            const QImage marked = shown(one);
            QVERIFY(marked != plain);
            m_dialer->setVoicemailNumber(QString());
            QCOMPARE(shown(one), plain);
        }
        const QRect area =
            m_window->mapFromScene(one->mapToScene(one->rect()).boundingRect()).boundingRect();
        PaintWatch watch(m_window->viewport());
        if (change.endsWith("held")) {
            QTest::mousePress(m_window->viewport(), Qt::LeftButton, {}, onScreen(one));
            // The pressed look reaches the screen.
            QTRY_VERIFY(watch.painted.intersects(area));
            QVERIFY(shown(one) != plain);
            QTest::mouseRelease(m_window->viewport(), Qt::LeftButton, {}, onScreen(one));
        } else if (change == "tapped") {
            // Press and release in one go: the key looks as before, only the number changes
            // (the first digit of a number may lay out the page again: the second is watched).
            tap(one);
            QTest::qWait(50);
            watch.painted = QRegion();
            tap(one);
            QTRY_COMPARE(m_dialer->numberField()->displayedText(), QStringLiteral("11"));
            QTest::qWait(50);
            QVERIFY(!watch.painted.isEmpty());
            QVERIFY(!watch.painted.intersects(area));
        }
        QCOMPARE(shown(one), plain);
    }

    void shouldDrawTheNumberAsTextIsDrawn_data()
    {
        QTest::addColumn<QString>("number");
        QTest::newRow("short") << "040123";
        QTest::newRow("grouped") << "0401234567";
        QTest::newRow("shrunk to fit") << QString(24, QLatin1Char('8'));
        QTest::newRow("on more lines") << QStringLiteral("0401234567").repeated(6);
        QTest::newRow("plus, pauses and comma") << "+35840p123w4,5";
        QTest::newRow("star and hash") << "*#31#";
        QTest::newRow("longer, then shorter again") << "shrink 0401";
    }
    void shouldDrawTheNumberAsTextIsDrawn()
    {
        QFETCH(QString, number);
        Dialer::DialerNumberField *field = m_dialer->numberField();
        if (number.startsWith(QLatin1String("shrink "))) {
            m_dialer->setText(QString(40, QLatin1Char('9')));
            shown(field);
            number = number.mid(7);
        }
        m_dialer->setText(number);
        QCOMPARE(m_dialer->text(), number);
        QCoreApplication::processEvents(); // the field may have grown
        const QImage drawn = shown(field);
        const QColor background = drawn.pixelColor(0, 0);

        // The same lines drawn as plain text in the field's font, centred alike.
        QImage expected(drawn.size(), drawn.format());
        expected.fill(background);
        {
            QPainter p(&expected);
            p.translate(-1, -1); // shown() leaves out the field's outer pixels
            const MStyle &s = MTheme::instance()->style(QStringLiteral("DialerNumberField"));
            p.setFont(field->font());
            p.setPen(s.color);
            const QFontMetricsF fm(field->font());
            const QRectF area = field->rect().marginsRemoved(QMarginsF(s.padding));
            const QStringList lines = field->displayedText().split(QLatin1Char('\n'));
            qreal y = area.center().y() - fm.lineSpacing() * lines.size() / 2;
            for (const QString &line : lines) {
                const qreal x = area.left() + (area.width() - fm.horizontalAdvance(line)) / 2;
                p.drawText(QPointF(x, y + (fm.lineSpacing() - fm.height()) / 2 + fm.ascent()),
                           line);
                y += fm.lineSpacing();
            }
        }
        const Ink got = inkOf(drawn, background);
        const Ink want = inkOf(expected, background);
        QVERIFY2(qAbs(got.box.left() - want.box.left()) <= 2 &&
                     qAbs(got.box.right() - want.box.right()) <= 2 &&
                     qAbs(got.box.top() - want.box.top()) <= 2 &&
                     qAbs(got.box.bottom() - want.box.bottom()) <= 2,
                 qPrintable(QStringLiteral("%1,%2 %3x%4 instead of %5,%6 %7x%8")
                                .arg(got.box.x())
                                .arg(got.box.y())
                                .arg(got.box.width())
                                .arg(got.box.height())
                                .arg(want.box.x())
                                .arg(want.box.y())
                                .arg(want.box.width())
                                .arg(want.box.height())));
        QVERIFY2(
            qAbs(got.count - want.count) <= want.count / 10,
            qPrintable(
                QStringLiteral("%1 pixels inked instead of %2").arg(got.count).arg(want.count)));
    }

    // A key's picture is drawn on the colour under it when that is a plain background: its
    // rounded corners must show what the page shows around the key.
    void shouldShowThePageAroundEachKey_data()
    {
        QTest::addColumn<QString>("around");
        QTest::newRow("plain page") << "page";
        QTest::newRow("page drawing no background") << "window";
        QTest::newRow("page and viewport drawing no background") << "window only";
        QTest::newRow("page drawing a divider") << "divider";
        QTest::newRow("inside a widget that paints") << "painting widget";
    }
    void shouldShowThePageAroundEachKey()
    {
        QFETCH(QString, around);
        Dialer::DialerWidget *dialer = m_dialer;
        if (around.startsWith(QLatin1String("window"))) {
            m_page->setStyleName(QStringLiteral("DialerPage"));
            if (around.endsWith(QLatin1String("only")))
                m_page->pannableViewport()->setStyleName(QStringLiteral("DialerViewport"));
        } else if (around == QLatin1String("divider")) {
            m_page->setStyleName(QStringLiteral("DialerHeader"));
        } else if (around == QLatin1String("painting widget")) {
            auto *tinted = new Tinted;
            dialer = new Dialer::DialerWidget(0, m_selector);
            (new QGraphicsLinearLayout(tinted))->addItem(dialer);
            m_page->setCentralWidget(tinted);
        }
        for (Dialer::DialerKey *key : {dialer->key('1'), dialer->callKey()}) {
            QTest::qWait(20);
            const QRect area =
                m_window->mapFromScene(key->mapToScene(key->rect()).boundingRect()).boundingRect();
            const QImage window = m_window->viewport()->grab().toImage();
            // The key's top left corner lies outside its rounded shape.
            QCOMPARE(window.pixelColor(area.topLeft() + QPoint(1, 1)),
                     window.pixelColor(area.topLeft() + QPoint(-2, 1)));
        }
    }

    void shouldActOnLongPresses_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("voicemail");
        QTest::addColumn<QChar>("held");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("calls");
        QTest::newRow("zero gives plus") << ""
                                         << "" << QChar('0') << "+"
                                         << "";
        QTest::newRow("zero after digits") << "00"
                                           << "" << QChar('0') << "00+"
                                           << "";
        QTest::newRow("one calls voicemail") << ""
                                             << "+358401111111" << QChar('1') << ""
                                             << "+358401111111";
        QTest::newRow("one without voicemail types one") << ""
                                                         << "" << QChar('1') << "1"
                                                         << "";
        QTest::newRow("backspace clears") << "0401234"
                                          << "" << QChar('<') << ""
                                          << "";
    }
    void shouldActOnLongPresses()
    {
        QFETCH(QString, typed);
        QFETCH(QString, voicemail);
        QFETCH(QChar, held);
        QFETCH(QString, number);
        QFETCH(QString, calls);
        m_dialer->setVoicemailNumber(voicemail);
        type(typed);
        QSignalSpy called(m_dialer, &Dialer::DialerWidget::callRequested);
        QSignalSpy changed(m_dialer, &Dialer::DialerWidget::textChanged);
        Dialer::DialerKey *key =
            held == QLatin1Char('<') ? m_dialer->backspaceKey() : m_dialer->key(held);
        QVERIFY(hold(key, [&] { return !called.isEmpty() || !changed.isEmpty(); }));
        QCOMPARE(m_dialer->text(), number);
        QCOMPARE(joined(called), calls);
        // The release after a long press types nothing more.
        QCOMPARE(changed.size(), calls.isEmpty() ? 1 : 0);
    }

    void shouldCancelAKeySlidOff()
    {
        Dialer::DialerKey *five = m_dialer->key('5');
        QTest::mousePress(m_window->viewport(), Qt::LeftButton, {}, onScreen(five));
        QTest::mouseMove(m_window->windowHandle(), onScreen(m_dialer->key('9')));
        QTest::mouseRelease(m_window->viewport(), Qt::LeftButton, {}, onScreen(m_dialer->key('9')));
        QCOMPARE(m_dialer->text(), QString());
        QVERIFY(!five->isDown());
    }

    void shouldPasteOnlyDialableCharacters()
    {
        type(QStringLiteral("9"));
        QGuiApplication::clipboard()->setText(QStringLiteral("+358 (40) 123-4567 ext"));
        QVERIFY(hold(m_dialer->numberField(), [&] { return m_dialer->text().size() > 1; }));
        QCOMPARE(m_dialer->text(), QStringLiteral("9+358401234567"));

        // Nothing dialable: the number stays, a banner says why.
        QGuiApplication::clipboard()->setText(QStringLiteral("see you at ten"));
        QVERIFY(hold(m_dialer->numberField(),
                     [&] { return !m_window->sceneManager()->overlays().isEmpty(); }));
        auto *banner = qobject_cast<MBanner *>(m_window->sceneManager()->overlays().last());
        QVERIFY(banner);
        QCOMPARE(banner->title(), qtTrId("qtn_call_dialer_nothing_to_paste"));
        QCOMPARE(m_dialer->text(), QStringLiteral("9+358401234567"));
    }

    void shouldAskForLastNumberOnEmptyCallKey()
    {
        QSignalSpy called(m_dialer, &Dialer::DialerWidget::callRequested);
        QSignalSpy last(m_dialer, &Dialer::DialerWidget::requestLastCalledPhoneNumber);
        QSignalSpy add(m_dialer, &Dialer::DialerWidget::requestAddOrMergeWithContact);
        tap(m_dialer->callKey());
        QCOMPARE(last.size(), 1);
        m_dialer->setText(QStringLiteral("+358401234567"));
        tap(m_dialer->callKey());
        tap(m_dialer->addContactKey());
        QCOMPARE(joined(called), QStringLiteral("+358401234567"));
        QCOMPARE(joined(add), QStringLiteral("+358401234567"));
        QCOMPARE(last.size(), 1);
    }

    void shouldIgnoreKeysWhileBlocked()
    {
        m_dialer->onPageBlocked();
        QSignalSpy last(m_dialer, &Dialer::DialerWidget::requestLastCalledPhoneNumber);
        type(QStringLiteral("12"));
        tap(m_dialer->callKey());
        QCOMPARE(m_dialer->text(), QString());
        QCOMPARE(last.size(), 0);
        m_dialer->onPageUnblocked();
        type(QStringLiteral("12"));
        QCOMPARE(m_dialer->text(), QStringLiteral("12"));
    }

    void shouldKeepOutsideTextPlainAndBounded_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("number");
        QTest::newRow("markup") << "<img src=\"file:///etc/a.png\">"
                                << "";
        QTest::newRow("markup around digits") << "<b>040</b>"
                                              << "040";
        QTest::newRow("too long") << QString(1000, QLatin1Char('5'))
                                  << QString(Dialer::DialerWidget::MaxLength, QLatin1Char('5'));
    }
    void shouldKeepOutsideTextPlainAndBounded()
    {
        QFETCH(QString, text);
        QFETCH(QString, number);
        m_dialer->setText(text);
        QCOMPARE(m_dialer->text(), number);
        // Every character is on screen: the field grows rather than hiding any.
        QCOMPARE(m_dialer->numberField()->displayedText().remove(QRegularExpression("[ \n]")),
                 number);
    }

    void shouldShowTheAnnouncedAccount()
    {
        Q_EMIT m_selector->accountChanged(false, true, QStringLiteral("Internet call"),
                                          QStringLiteral("<i>Work</i>"), QStringLiteral("€12.34"),
                                          QStringLiteral("icon-m-service-sip"),
                                          QStringLiteral("#1d6fb8"));
        Dialer::DialerAccountButton *button = m_dialer->accountButton();
        QCOMPARE(button->name(), QStringLiteral("<i>Work</i>"));
        QCOMPARE(button->credits(), QStringLiteral("€12.34"));
        QCOMPARE(button->backgroundColor(), QColor(QStringLiteral("#1d6fb8")));
        Q_EMIT m_selector->creditsChanged(QStringLiteral("€2.00"));
        QCOMPARE(button->credits(), QStringLiteral("€2.00"));
        tap(button);
        QCOMPARE(m_selector->listRequests, 1);

        // The cellular account goes by its service name; without a choice the button is inert.
        Q_EMIT m_selector->accountChanged(true, false, QStringLiteral("Mobile"), QString(),
                                          QString(), QString(), QString());
        QCOMPARE(button->name(), QStringLiteral("Mobile"));
        QVERIFY(!button->backgroundColor().isValid());
        tap(button);
        QCOMPARE(m_selector->listRequests, 1);
    }

    void shouldReadALogoFileOncePerPath()
    {
        QTemporaryDir dir;
        const QString first = dir.filePath(QStringLiteral("first.png"));
        const QString second = dir.filePath(QStringLiteral("second.png"));
        QVERIFY(solid(Qt::red).save(first));
        QVERIFY(solid(Qt::green).save(second));
        const auto announce = [this](const QString &logo) {
            Q_EMIT m_selector->accountChanged(false, false, QStringLiteral("Internet call"),
                                              QStringLiteral("Work"), QStringLiteral("€1"), logo,
                                              QStringLiteral("#ffffff"));
        };
        announce(first);
        QCOMPARE(logoColour(), QStringLiteral("red"));
        // The file changes under the same path; every repaint (here: new credits) still draws
        // what was read the first time, so no paint reads the file again.
        QVERIFY(solid(Qt::blue).save(first));
        for (const char *credits : {"€2", "€3"}) {
            Q_EMIT m_selector->creditsChanged(QString::fromUtf8(credits));
            QCOMPARE(logoColour(), QStringLiteral("red"));
        }
        // Another path is read in its turn, and the first is still known.
        announce(second);
        QCOMPARE(logoColour(), QStringLiteral("green"));
        announce(first);
        QCOMPARE(logoColour(), QStringLiteral("red"));
    }
};

CH_TOUCH_TEST_MAIN(TestDialerWidget)
#include "tst_dialerwidget.moc"
