// bench_block: how fast the modem call service ends a blocked incoming call, on ModemManager
// itself with a simulated modem. Measured on the modem's clock: from its RING to the hang-up
// command it receives (ATH or AT+CHUP) for a blocked caller, against a baseline measured in the
// same run: from RING to the service's CallIncoming for an allowed caller (the moment a call
// would start ringing). Both ends are CLOCK_MONOTONIC. Printed as the ratio of the medians;
// below 1 means a blocked call is gone before an allowed one would even ring.
//
// Usage: bench_block [ROUNDS] (default 8; each round one allowed and one blocked call).

#include "blocklist.h"
#include "realmodemmanager.h"
#include "simulatedmodem.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {
double monotonicSeconds()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

// Processes events until ready() holds, up to 20 s.
bool waitFor(const std::function<bool()> &ready)
{
    QElapsedTimer waited;
    waited.start();
    while (!ready()) {
        if (waited.elapsed() > 20000)
            return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

int fail(const char *what)
{
    std::fprintf(stderr, "bench_block: %s\n", what);
    return 1;
}
} // namespace

// When the service announced an incoming call.
class IncomingClock : public QObject
{
    Q_OBJECT
public:
    double last = 0;
public Q_SLOTS:
    void onIncoming(const QString &, const QString &) { last = monotonicSeconds(); }
};

// The time of the modem's last RING and of the first hang-up command after it (0: none yet).
static bool ringAndHangUp(SimulatedModem &modem, double *ring, double *hangUp)
{
    QString answer;
    if (!modem.control({QStringLiteral("timeline")}, &answer))
        return false;
    *ring = 0;
    *hangUp = 0;
    for (const QJsonValue &v : QJsonDocument::fromJson(answer.toUtf8()).array()) {
        const QString text = v.toArray().at(1).toString();
        const double t = v.toArray().at(0).toDouble();
        if (text == QLatin1String("RING")) {
            *ring = t;
            *hangUp = 0;
        } else if (*ring > 0 && *hangUp == 0 &&
                   (text == QLatin1String("ATH") || text == QLatin1String("AT+CHUP"))) {
            *hangUp = t;
        }
    }
    return true;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? qBound(1, atoi(argv[1]), 100) : 8;
    SimulatedModem modem;
    RealModemManager modemManager;
    if (!RealModemManager::isInstalled())
        return fail("ModemManager is not installed (scripts/setup)");
    if (!modem.start() || !modemManager.start())
        return fail("the simulated modem or ModemManager did not start");
    const QString modemPath = modemManager.plug(modem);
    if (modemPath.isEmpty())
        return fail(qPrintable(modemManager.errorString()));

    Blocking::BlockList list;
    QString error;
    if (!list.add(QStringLiteral("+44*"), &error))
        return fail(qPrintable(error));

    QTemporaryDir dir;
    QProcess service;
    service.setProcessChannelMode(QProcess::ForwardedChannels);
    service.start(TestSupport::builtProgram("services/call-ui-modem/call-ui-modem-service"),
                  {QStringLiteral("--modem-bus"), QStringLiteral("session"),
                   QStringLiteral("--journal"), dir.filePath(QStringLiteral("journal.json"))});
    if (!service.waitForStarted() ||
        !TestSupport::waitForBusName(QStringLiteral("com.velto.CallUi"), 15000))
        return fail("the modem call service did not start");
    IncomingClock incoming;
    QDBusConnection::sessionBus().connect(
        QStringLiteral("com.velto.CallUi"), QStringLiteral("/com/velto/CallUi"),
        QStringLiteral("com.velto.CallUi.Modem"), QStringLiteral("CallIncoming"), &incoming,
        SLOT(onIncoming(QString, QString)));

    QVector<double> allowed, blocked;
    for (int i = 0; i < rounds; ++i) {
        double ring = 0, hangUp = 0;
        incoming.last = 0;
        if (!modem.ring(QStringLiteral("+358501234567")) ||
            !waitFor([&] { return incoming.last > 0; }) || !ringAndHangUp(modem, &ring, &hangUp))
            return fail("the allowed call was not announced");
        allowed << incoming.last - ring;
        if (!modem.hangUp() || !modemManager.waitForNoCalls(modemPath))
            return fail("the allowed call did not end");

        if (!modem.ring(QStringLiteral("+441632960000")) ||
            !waitFor([&] { return ringAndHangUp(modem, &ring, &hangUp) && hangUp > 0; }))
            return fail("the blocked call was not hung up");
        blocked << hangUp - ring;
        if (!modemManager.waitForNoCalls(modemPath))
            return fail("the blocked call was not taken off the modem");
        if (incoming.last > 0 && incoming.last > ring)
            return fail("the blocked call was announced");
    }
    service.terminate();
    service.waitForFinished();
    std::printf("%d rounds; medians on this machine: RING to hang-up of a blocked call, RING to "
                "CallIncoming of an allowed call\n",
                rounds);
    std::printf("blocked hang-up / allowed announcement: %.2f\n",
                median(blocked) / qMax(1e-9, median(allowed)));
    return 0;
}

#include "bench_block.moc"
