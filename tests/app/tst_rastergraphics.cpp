#include "mapplication.h"
#include "rastergraphics.h"

#include <QGraphicsView>
#include <QtTest>

namespace {
const char NoDecorations[] = "QT_WAYLAND_DISABLE_WINDOWDECORATION";
}

// The program's choice of raster-only drawing: made before the application object, and taken
// back from the environment once the platform plugin has read it, so that the programs it
// starts are not affected; a user's own choice stands.
class TestRasterGraphics : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shouldMakeWidgetWindowsRasterOnly()
    {
        // prepare() ran in main(), before the application object.
        QVERIFY(QCoreApplication::testAttribute(Qt::AA_ForceRasterWidgets));
    }

    void shouldLeaveTheUsersOwnChoice_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("decorations wanted") << QByteArray("0");
        QTest::newRow("decorations refused") << QByteArray("1");
    }
    void shouldLeaveTheUsersOwnChoice()
    {
        QFETCH(QByteArray, value);
        qputenv(NoDecorations, value);
        RasterGraphics::prepare();
        QGraphicsView view;
        RasterGraphics::forgetAfterShown(&view);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTest::qWait(50);
        QCOMPARE(qgetenv(NoDecorations), value);
        RasterGraphics::forget();
        QCOMPARE(qgetenv(NoDecorations), value);
        qunsetenv(NoDecorations);
    }

    void shouldTakeItsChoiceBackOnceTheWindowIsShown()
    {
        qunsetenv(NoDecorations);
        RasterGraphics::prepare();
        QCOMPARE(qgetenv(NoDecorations), QByteArray("1"));
        QGraphicsView view;
        RasterGraphics::forgetAfterShown(&view);
        QTest::qWait(50);
        // Not shown yet: the plugin has not read it.
        QVERIFY(qEnvironmentVariableIsSet(NoDecorations));
        view.show();
        QTRY_VERIFY(!qEnvironmentVariableIsSet(NoDecorations));
    }
};

int main(int argc, char *argv[])
{
    RasterGraphics::prepare();
    MApplication app(argc, argv, QStringLiteral("call-history-tests"));
    // The cases below prepare again, each with the environment it needs.
    RasterGraphics::forget();
    TestRasterGraphics tc;
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_rastergraphics.moc"
