#include "testsupport.h"

#include "mapplicationwindow.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

namespace TestSupport {

static bool hasOwner(const QString &name)
{
    QDBusConnectionInterface *iface = QDBusConnection::sessionBus().interface();
    return iface && iface->isServiceRegistered(name).value();
}

bool waitForBusName(const QString &name, int timeout)
{
    return QTest::qWaitFor([&]() { return hasOwner(name); }, timeout);
}

bool waitForBusNameGone(const QString &name, int timeout)
{
    return QTest::qWaitFor([&]() { return !hasOwner(name); }, timeout);
}

QString builtProgram(const QString &relativePath)
{
    return QStringLiteral(CH_BINARY_DIR) + QLatin1Char('/') + relativePath;
}

QString saveScreenshot(QWidget *widget, const QString &name)
{
    const QString dir = QStringLiteral(CH_BINARY_DIR) + QStringLiteral("/screenshots");
    QDir().mkpath(dir);
    const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    // Pending layout requests first, so the picture shows what a person would see.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    widget->grab().save(path);
    return path;
}

MApplicationWindow *shownWindow()
{
    auto *window = new MApplicationWindow;
    window->resize(480, 854);
    window->show();
    if (QTest::qWaitForWindowExposed(window))
        return window;
    delete window;
    return nullptr;
}

QString joinedFirstArguments(const QSignalSpy &spy)
{
    QStringList out;
    for (const QList<QVariant> &args : spy)
        out << (args.isEmpty() ? QStringLiteral("()") : args.first().toString());
    return out.join(QLatin1Char('|'));
}

} // namespace TestSupport
