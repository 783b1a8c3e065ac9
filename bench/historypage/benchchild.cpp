#include "benchchild.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

namespace BenchChild {

void figure(const QByteArray &name, double value)
{
    std::printf("figure %s %.3f\n", name.constData(), value);
    std::fflush(stdout);
}

int fail(const QString &why)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()),
                 qPrintable(why));
    return 1;
}

bool spinUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

void settle(int ms)
{
    spinUntil([] { return false; }, ms);
}

double spawnMs()
{
    return qEnvironmentVariable("BENCH_SPAWN_MS").toDouble();
}

QString busProblem()
{
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    if (!bus)
        return QStringLiteral("no session bus (run through scripts/bench)");
    if (bus->isServiceRegistered(QStringLiteral("com.velto.telephony.callhistory")))
        return QStringLiteral("the call history runs on this session bus already; "
                              "run through scripts/bench, which makes a private one");
    return QString();
}

} // namespace BenchChild
