#include "mapplication.h"
#include "mapplicationwindow.h"
#include "mdialog.h"
#include "mscenemanager.h"
#include "testsupport.h"

#include <QGraphicsLinearLayout>
#include <QtTest>

// The rows of a dialog: its title above its contents however and whenever both are set, and no
// row for a title that is empty.
class TestMDialog : public QObject
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

    void shouldKeepTheTitleAboveTheContents_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<bool>("titled");
        QTest::newRow("title at construction") << "construct-titled contents" << true;
        QTest::newRow("title before contents") << "construct title contents" << true;
        QTest::newRow("title after contents") << "construct contents title" << true;
        QTest::newRow("title after the dialog shows") << "construct contents show title" << true;
        QTest::newRow("no title") << "construct contents" << false;
        QTest::newRow("title cleared") << "construct-titled contents untitle" << false;
        QTest::newRow("title set twice") << "construct-titled title contents" << true;
    }
    void shouldKeepTheTitleAboveTheContents()
    {
        QFETCH(QString, steps);
        QFETCH(bool, titled);
        MDialog *dialog = nullptr;
        auto *contents = new QGraphicsWidget;
        contents->setMinimumHeight(100);
        bool shown = false;
        for (const QString &step : steps.split(QLatin1Char(' '))) {
            if (step == QLatin1String("construct"))
                dialog = new MDialog;
            else if (step == QLatin1String("construct-titled"))
                dialog = new MDialog(QStringLiteral("Title"));
            else if (step == QLatin1String("contents"))
                dialog->setCentralWidget(contents);
            else if (step == QLatin1String("title"))
                dialog->setTitle(QStringLiteral("Title"));
            else if (step == QLatin1String("untitle"))
                dialog->setTitle(QString());
            else if (step == QLatin1String("show"))
                dialog->appear(m_window, MSceneWindow::DestroyWhenDone), shown = true;
        }
        if (!shown)
            dialog->appear(m_window, MSceneWindow::DestroyWhenDone);
        QTRY_VERIFY(dialog->isVisible());
        auto *layout = static_cast<QGraphicsLinearLayout *>(dialog->layout());
        // The title's row, when there is one, and then the contents.
        QCOMPARE(layout->itemAt(titled ? 1 : 0), static_cast<QGraphicsLayoutItem *>(contents));
        if (titled) {
            auto *title = static_cast<QGraphicsWidget *>(layout->itemAt(0)->graphicsItem());
            QVERIFY(title->isVisible());
            QTRY_VERIFY(title->geometry().bottom() <= contents->geometry().top() + 0.5);
        }
        int rows = 0;
        for (int i = 0; i < layout->count(); ++i)
            rows += layout->itemAt(i) == contents ? 0 : 1;
        QCOMPARE(rows, titled ? 1 : 0);
    }

    void cleanup()
    {
        for (MSceneWindow *overlay : m_window->sceneManager()->overlays())
            overlay->dismiss();
        QTRY_VERIFY(m_window->sceneManager()->overlays().isEmpty());
    }
};

CH_TOUCH_TEST_MAIN(TestMDialog)
#include "tst_mdialog.moc"
