#include "mapplication.h"
#include "mapplicationpage.h"
#include "mapplicationwindow.h"
#include "mdialog.h"
#include "mdirectpressrouter.h"
#include "mpannableviewport.h"
#include "mscenemanager.h"
#include "testsupport.h"

#include <QGraphicsSceneMouseEvent>
#include <QtTest>

namespace {

// Writes down every mouse event it gets, with the position in its own coordinates.
class Recorder : public QGraphicsWidget
{
public:
    Recorder(const QString &name, QStringList *log, QGraphicsItem *parent)
        : QGraphicsWidget(parent), m_name(name), m_log(log)
    {
        setAcceptedMouseButtons(Qt::LeftButton);
    }
    bool hidesOnPress = false;

protected:
    // Where the press went down is left out of a press's own line: the scene hands a press the
    // place of an earlier one when its grabber changed in between.
    void note(const char *what, QGraphicsSceneMouseEvent *event, bool withDown = true)
    {
        QString line = QStringLiteral("%1 %2 %3,%4")
                           .arg(m_name, QLatin1String(what))
                           .arg(event->pos().x())
                           .arg(event->pos().y());
        if (withDown)
            line += QStringLiteral(" down %1,%2")
                        .arg(event->buttonDownPos(Qt::LeftButton).x())
                        .arg(event->buttonDownPos(Qt::LeftButton).y());
        m_log->append(line);
    }
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override
    {
        note("press", event, false);
        event->accept();
        if (hidesOnPress)
            hide();
    }
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override { note("move", event); }
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override { note("release", event); }
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event) override { note("double", event); }
    void ungrabMouseEvent(QEvent *) override { m_log->append(m_name + QLatin1String(" ungrab")); }

private:
    QString m_name;
    QStringList *m_log;
};

} // namespace

// Presses on a page's direct press targets skip the scene's search, and must still end where
// the scene would have sent them, in the same order and with the same positions: each row runs
// once with the targets registered and once without, and the two logs must match.
class TestDirectPress : public QObject
{
    Q_OBJECT
private:
    MApplicationWindow *m_window = nullptr;

private Q_SLOTS:
    void initTestCase()
    {
        m_window = TestSupport::shownWindow();
        QVERIFY(m_window);
    }

    void cleanupTestCase() { delete m_window; }

    void shouldDeliverAsTheSceneDoes_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<bool>("routed");
        QTest::newRow("tap on a key") << ""
                                      << "press release" << true;
        QTest::newRow("finger slides off the key") << ""
                                                   << "press move-off release" << true;
        QTest::newRow("second tap seen as a double click")
            << ""
            << "press release press double release" << true;
        QTest::newRow("dialog over the page") << "dialog"
                                              << "press release" << false;
        QTest::newRow("hidden key leaves the press to what is under") << "hide-key"
                                                                      << "press release" << false;
        QTest::newRow("key that takes focus on a click") << "focusable-key"
                                                         << "press release" << false;
        QTest::newRow("another field had the focus") << "focused-field"
                                                     << "press release" << true;
        QTest::newRow("key hidden by its own press") << "key-hides"
                                                     << "press release" << true;
        QTest::newRow("viewport pans away from the key")
            << "pannable"
            << "press move-far mark move-far release" << true;
        QTest::newRow("key hidden while the finger is on it") << ""
                                                              << "press hide mark release" << true;
        QTest::newRow("key disabled while the finger is on it")
            << ""
            << "press disable mark release" << true;
        QTest::newRow("no targets on the page") << "unregistered"
                                                << "press release" << false;
    }
    void shouldDeliverAsTheSceneDoes()
    {
        QFETCH(QString, setup);
        QFETCH(QString, gesture);
        QFETCH(bool, routed);
        QStringList direct;
        bool routedSeen = false;
        runGesture(setup, gesture, true, &direct, &routedSeen);
        QStringList viaScene;
        runGesture(setup, gesture, false, &viaScene, nullptr);
        QCOMPARE(direct.join(QLatin1String("; ")), viaScene.join(QLatin1String("; ")));
        QVERIFY(!direct.isEmpty());
        QCOMPARE(routedSeen, routed);
    }

private:
    void runGesture(const QString &setup, const QString &gesture, bool registered, QStringList *log,
                    bool *routedSeen)
    {
        auto *page = new MApplicationPage;
        page->setPannable(setup == QLatin1String("pannable"));
        auto *content = new Recorder(QStringLiteral("pad"), log, nullptr);
        content->setMinimumSize(480, setup == QLatin1String("pannable") ? 2000 : 700);
        content->setPreferredSize(content->minimumSize());
        page->setCentralWidget(content);
        auto *key = new Recorder(QStringLiteral("key"), log, content);
        key->setGeometry(100, 100, 80, 60);
        auto *field = new QGraphicsWidget(content);
        field->setGeometry(0, 0, 40, 40);
        field->setFocusPolicy(Qt::StrongFocus);
        if (registered && setup != QLatin1String("unregistered"))
            page->addDirectPressTarget(key);
        if (setup == QLatin1String("focusable-key"))
            key->setFocusPolicy(Qt::ClickFocus);
        key->hidesOnPress = setup == QLatin1String("key-hides");
        m_window->sceneManager()->appearSceneWindowNow(page);
        QTRY_VERIFY(key->isVisible());
        if (setup == QLatin1String("hide-key"))
            key->hide();
        if (setup == QLatin1String("focused-field"))
            field->setFocus();
        MDialog *dialog = nullptr;
        if (setup == QLatin1String("dialog")) {
            dialog = new MDialog(QStringLiteral("Over the page"));
            auto *dialogContent = new Recorder(QStringLiteral("dialog"), log, nullptr);
            dialogContent->setMinimumSize(400, 600);
            dialog->setCentralWidget(dialogContent);
            dialog->appear(m_window, MSceneWindow::DestroyWhenDone);
            QTRY_VERIFY(dialog->isVisible());
        }

        QWidget *viewport = m_window->viewport();
        const int routedBefore = m_window->pressRouter()->routedPresses();
        const QPoint at = m_window->mapFromScene(key->mapToScene(QPointF(10, 10)));
        QPoint now = at;
        const auto send = [&](QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons) {
            QMouseEvent event(type, now, viewport->mapToGlobal(now), button, buttons, {});
            QApplication::sendEvent(viewport, &event);
        };
        for (const QString &step : gesture.split(QLatin1Char(' '))) {
            if (step == QLatin1String("press"))
                send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
            else if (step == QLatin1String("double"))
                send(QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton);
            else if (step == QLatin1String("release"))
                send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton);
            else if (step == QLatin1String("move-off"))
                now += QPoint(100, 0), send(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton);
            else if (step == QLatin1String("hide"))
                key->hide();
            else if (step == QLatin1String("disable"))
                key->setEnabled(false);
            else if (step == QLatin1String("mark"))
                log->append(QStringLiteral("mark"));
            else if (step == QLatin1String("move-far"))
                now += QPoint(0, -60), send(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton);
        }
        log->append(QStringLiteral("focus %1")
                        .arg(m_window->scene()->focusItem() == field ? QStringLiteral("field")
                             : m_window->scene()->focusItem()        ? QStringLiteral("other")
                                                                     : QStringLiteral("none")));
        QVERIFY(!m_window->pressRouter()->target());
        if (routedSeen)
            *routedSeen = m_window->pressRouter()->routedPresses() > routedBefore;
        if (dialog)
            dialog->disappear();
        m_window->sceneManager()->disappearSceneWindowNow(page);
        delete page;
    }
};

CH_TOUCH_TEST_MAIN(TestDirectPress)
#include "tst_directpress.moc"
