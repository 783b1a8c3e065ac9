#include "callhistorydialogmanager.h"
#include "mapplication.h"
#include "mapplicationwindow.h"
#include "mbanner.h"
#include "mdialog.h"
#include "mscenemanager.h"
#include "testsupport.h"

#include <QPointer>
#include <QSignalSpy>
#include <QtTest>

class TestDialogManager : public QObject
{
    Q_OBJECT
private:
    MApplicationWindow *m_window = nullptr;
    CallHistoryDialogManager *dm() { return CallHistoryDialogManager::instance(); }

    MDialog *openDialog()
    {
        auto *d = new MDialog(QStringLiteral("Dialog"));
        dm()->addDialog(d);
        d->appear(m_window, MSceneWindow::DestroyWhenDone);
        return d;
    }

private Q_SLOTS:
    void init()
    {
        m_window = new MApplicationWindow;
        m_window->show();
    }
    void cleanup()
    {
        dm()->dismissAll();
        delete m_window;
    }

    void shouldForgetDialogWhenItEnds_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("accepted") << "accept";
        QTest::newRow("rejected") << "reject";
        QTest::newRow("dismissed") << "dismiss";
        QTest::newRow("tapped outside") << "outside";
    }
    void shouldForgetDialogWhenItEnds()
    {
        QFETCH(QString, how);
        QPointer<MDialog> d = openDialog();
        QVERIFY(dm()->hasDialogs());
        if (how == QLatin1String("accept"))
            d->accept();
        else if (how == QLatin1String("reject"))
            d->reject();
        else if (how == QLatin1String("dismiss"))
            d->dismiss();
        else
            QTest::mouseClick(m_window->viewport(), Qt::LeftButton, {}, QPoint(240, 820 - 72));
        // Gone from the list at once, and deleted by the framework afterwards.
        QVERIFY(!dm()->hasDialogs());
        QTRY_VERIFY(d.isNull());
    }

    void shouldKeepTwoEntriesForDoubleRegistrationAndDropBoth()
    {
        MDialog *d = openDialog();
        dm()->addDialog(d);
        QCOMPARE(dm()->dialogs().size(), 2);
        d->accept();
        QCOMPARE(dm()->dialogs().size(), 0);
    }

    void shouldDismissEveryDialogAtOnce()
    {
        QPointer<MDialog> a = openDialog();
        QPointer<MDialog> b = openDialog();
        auto *banner = new MBanner;
        dm()->addDialog(banner);
        banner->appear(m_window, MSceneWindow::DestroyWhenDone);
        QCOMPARE(dm()->dialogs().size(), 3);
        dm()->dismissAll();
        QCOMPARE(dm()->dialogs().size(), 0);
        QTRY_VERIFY(a.isNull() && b.isNull());
    }

    void shouldForgetDialogDeletedWithoutDisappearing()
    {
        auto *d = new MDialog;
        dm()->addDialog(d);
        delete d;
        QVERIFY(!dm()->hasDialogs());
        dm()->dismissAll();
    }

    void shouldIgnoreRemovalFromOtherObjects_data()
    {
        QTest::addColumn<bool>("popup");
        QTest::newRow("plain object") << false;
        QTest::newRow("pop-up never registered") << true;
    }
    void shouldIgnoreRemovalFromOtherObjects()
    {
        QFETCH(bool, popup);
        MDialog *d = openDialog();
        QScopedPointer<QObject> other(popup ? new MDialog : new QObject);
        connect(other.data(), SIGNAL(objectNameChanged(QString)), dm(), SLOT(removeDialog()));
        QSignalSpy sent(other.data(), SIGNAL(objectNameChanged(QString)));
        other->setObjectName(QStringLiteral("removal"));
        QCOMPARE(sent.count(), 1);
        QCOMPARE(dm()->dialogs(), QList<MSceneWindow *>{d});
    }

    void shouldSaveScreenshotOfDialogOverPage()
    {
        MDialog *d = openDialog();
        d->setTitle(QStringLiteral("Delete all calls?"));
        d->addButton(MDialog::Yes);
        d->addButton(MDialog::No);
        QTRY_VERIFY(m_window->sceneManager()->overlays().value(0) == d &&
                    d->geometry().right() <= m_window->width());
        QVERIFY(QFile::exists(TestSupport::saveScreenshot(m_window, "touch-dialog")));
    }
};

CH_TOUCH_TEST_MAIN(TestDialogManager)
#include "tst_callhistorydialogmanager.moc"
