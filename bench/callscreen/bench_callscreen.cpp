// The call screen while a call rings, as ratios against baselines measured in the same run:
//  - a call rings (the service's callAdded) to the end of the ringing screen's first frame,
//    against a minimal window (makeMinimalView) shown from hidden to its first frame on the same
//    trigger: the screen is kept made and laid out, so a ring only shows it;
//  - the CPU the process uses while a call rings for two seconds, as a share of one core (the
//    screen draws nothing while it rings: no animation).
// The screen's caller lookup (an address book with no contacts) runs in its own thread and is
// not waited for.

#include "callscreen.h"
#include "callscreenbackend.h"
#include "firstframewatch.h"
#include "mapplication.h"
#include "minimalview.h"
#include "mlocale.h"
#include "mwindow.h"
#include "ratioreporter.h"

#include <QGraphicsView>
#include <QTest>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <ctime>

namespace {

// A call service that only plays the calls the benchmark tells it to.
class BenchBackend : public CallScreenBackend
{
public:
    void answer(const QString &) override {}
    void decline(const QString &) override {}
    void hangup(const QString &) override {}
    void sendDtmf(const QString &, const QString &) override {}
    void endAndAnswer(const QString &) override {}
    void holdAndAnswer(const QString &) override {}
    void ring(const QString &id)
    {
        Q_EMIT callAdded(id, QStringLiteral("+358401234567"), Incoming, Ringing);
    }
    void end(const QString &id) { Q_EMIT callEnded(id, Declined); }
};

BenchBackend *g_backend = nullptr;
CallScreen *g_screen = nullptr;
QGraphicsView *g_minimal = nullptr;
int g_calls = 0;

// Lets what the last frame left for later run, outside the measurement.
void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

template <typename F> void timeToFirstFrame(benchmark::State &state, QWidget *viewport, F step)
{
    FirstFrameWatch watch(viewport, [viewport] { return viewport->window()->isVisible(); });
    watch.arm();
    const double start = FirstFrameWatch::monotonicMs();
    step();
    if (!watch.waitForPaint(2000)) {
        state.SkipWithError("no frame");
        return;
    }
    state.SetIterationTime((watch.paintedAtMs() - start) / 1000.0);
}

void RingToFirstFrame(benchmark::State &state)
{
    for (auto _ : state) {
        const QString id = QStringLiteral("bench%1").arg(++g_calls);
        timeToFirstFrame(state, g_screen->window()->viewport(), [id] { g_backend->ring(id); });
        g_backend->end(id);
        settle();
    }
}
BENCHMARK(RingToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond);

void Baseline_MinimalWindowShown(benchmark::State &state)
{
    for (auto _ : state) {
        timeToFirstFrame(state, g_minimal->viewport(), [] { g_minimal->show(); });
        g_minimal->hide();
        settle();
    }
}
BENCHMARK(Baseline_MinimalWindowShown)->UseManualTime()->Unit(benchmark::kMillisecond);

double processCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// The share of one core the process used while a call rang for `ms`.
double cpuWhileRinging(int ms)
{
    const QString id = QStringLiteral("bench%1").arg(++g_calls);
    g_backend->ring(id);
    QTest::qWait(200); // the first frame and the caller lookup, outside the measurement
    const double cpu = processCpuSeconds();
    const double start = FirstFrameWatch::monotonicMs();
    QTest::qWait(ms);
    const double share =
        (processCpuSeconds() - cpu) / ((FirstFrameWatch::monotonicMs() - start) / 1000.0);
    g_backend->end(id);
    settle();
    return share;
}

} // namespace

int main(int argc, char **argv)
{
    MApplication app(argc, argv, QStringLiteral("call-ui-bench"));
    MLocale locale;
    locale.installTrCatalog(QStringLiteral("telephony"));
    MLocale::setDefault(locale);
    g_backend = new BenchBackend;
    g_screen = new CallScreen(g_backend);
    g_screen->setEndedDelay(0);
    g_minimal = makeMinimalView();
    g_minimal->resize(480, 854);
    settle();

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.ratio("a call rings to the ringing screen's first frame (goal 1.5)",
                   "RingToFirstFrame", "Baseline_MinimalWindowShown");
    std::printf("%-60s %8.3f of one core\n", "CPU while a call rings (2 s)", cpuWhileRinging(2000));
    delete g_minimal;
    delete g_screen;
    delete g_backend;
    return 0;
}
