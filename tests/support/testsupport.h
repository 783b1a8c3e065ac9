#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

class MApplicationWindow;
class QSignalSpy;
class QWidget;

// Small helpers shared by the tests: bus names, child processes, windows, screenshots.
namespace TestSupport {
// Waits until name has an owner on the session bus (or timeout ms pass).
bool waitForBusName(const QString &name, int timeout = 5000);
// Waits until name has no owner on the session bus.
bool waitForBusNameGone(const QString &name, int timeout = 5000);
// Path of a program built by the project, e.g. "app/call-history".
QString builtProgram(const QString &relativePath);
// Saves a picture of widget under <build>/screenshots/<name>.png and returns the path.
QString saveScreenshot(QWidget *widget, const QString &name);
// A portrait application window of the program's size (480 x 854), shown; null when it was not
// exposed within the usual wait.
MApplicationWindow *shownWindow();
// The first argument of each signal a spy caught, as text, "|"-separated ("()" for none).
QString joinedFirstArguments(const QSignalSpy &spy);
} // namespace TestSupport

// main() for tests that need the touch layer's application object.
#define CH_TOUCH_TEST_MAIN(TestObject)                                                             \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        MApplication app(argc, argv, QStringLiteral("call-history-tests"));                        \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject tc;                                                                             \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
