#include "testsupport.h"

#include "mapplicationwindow.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QScreen>
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

QImage onScreen(QWidget *window)
{
    // The repaints that pending changes asked for are done first, as the screen would.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QScreen *screen = window->screen();
    if (!screen)
        return QImage();
    return screen->grabWindow(window->winId()).toImage().convertToFormat(QImage::Format_RGB32);
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

bool setSystemLanguage(const QString &language)
{
    QProcess dconf;
    const QString key = QStringLiteral("/system/locale/language");
    if (language.isEmpty())
        dconf.start(QStringLiteral("dconf"), {QStringLiteral("reset"), key});
    else
        dconf.start(QStringLiteral("dconf"), {QStringLiteral("write"), key,
                                              QLatin1Char('\'') + language + QLatin1Char('\'')});
    return dconf.waitForFinished(10000) && dconf.exitStatus() == QProcess::NormalExit &&
           dconf.exitCode() == 0;
}

QRect differingArea(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return a.rect().united(b.rect());
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    QRect area;
    for (int row = 0; row < x.height(); ++row) {
        const auto *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const auto *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            if (p[col] != q[col])
                area |= QRect(col, row, 1, 1);
        }
    }
    return area;
}

QString joinedFirstArguments(const QSignalSpy &spy)
{
    QStringList out;
    for (const QList<QVariant> &args : spy)
        out << (args.isEmpty() ? QStringLiteral("()") : args.first().toString());
    return out.join(QLatin1Char('|'));
}

} // namespace TestSupport
