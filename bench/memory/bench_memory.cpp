// Measures the memory of the program, each figure beside a minimal window measured the same way
// in the same run, under a virtual X server (Xvfb, QT_QPA_PLATFORM=xcb), under a Wayland
// compositor with no screen (weston's headless back-end) and offscreen:
//  - the program with the call history on screen, 100,000 and 1,000 stored calls: resident
//    (RSS), proportional (PSS) and private dirty memory from /proc/self/smaps_rollup once it
//    has loaded and settled, and the peak resident size; against the minimal graphics view
//    window, drawn raster-only as the program draws (and, for reference, with Qt's own
//    graphics choices, which load the OpenGL stack). Goals: at most 50 MiB and 1.3 times the
//    minimal window, flat (5 %) from 1,000 to 100,000 calls;
//  - a prestarted process waiting in the background (goal: at most 30 MiB), against the
//    minimal window made and never shown;
//  - growth with use (under X11): private dirty memory after the history was scrolled through
//    once, ten searches were made, 1,000 calls arrived and the unused contact records were
//    evicted (20 s), against where it started (goal: within 10 %); then the same use once
//    more, which tells memory kept once from memory that keeps growing;
//  - where the memory goes: the resident memory by kind of mapping (OpenGL stack, Qt, fonts,
//    ICU, other libraries, heap, window buffers).
// Each measurement is a child process (bench_memory --child MODE, or the program
// memory-minimal-window beside it; the calls that arrive are stored by one more, as by the
// call service); figures are medians of three runs. `bench_memory growth`
// measures the growth with use alone.

#include "benchchild.h"
#include "benchhistory.h"
#include "callhistorypage.h"
#include "callhistorystartup.h"
#include "callmodel.h"
#include "displayserver.h"
#include "event.h"
#include "eventstore.h"
#include "firstframewatch.h"
#include "historypagestate.h"
#include "mapplication.h"
#include "mapplicationwindow.h"
#include "mlist.h"
#include "mlistfilter.h"
#include "modelmanager.h"
#include "mpannableviewport.h"
#include "mtextedit.h"
#include "pagemanager.h"
#include "processmemory.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <malloc.h>

using namespace BenchChild;

namespace {

const int Runs = 3;
// The contacts manager lets go of unused contact records after 20 s.
const int EvictionWaitMs = 23000;

typedef QMap<QString, double> Figures;

double median(QVector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v.at(v.size() / 2);
}

// ---- Children -------------------------------------------------------------------------------

void printMemory(const QByteArray &prefix)
{
    const ProcessMemory m = ProcessMemory::current();
    figure(prefix + "rss", m.rss);
    figure(prefix + "pss", m.pss);
    figure(prefix + "private_dirty", m.privateDirty);
    figure(prefix + "peak_rss", m.peakRss);
}

// The allocator's own count (main arena): live blocks against the free ones it keeps.
void printHeap(const QByteArray &prefix)
{
    const struct mallinfo2 heap = mallinfo2();
    figure(prefix + "heap_in_use", heap.uordblks / 1024.0);
    figure(prefix + "heap_free", heap.fordblks / 1024.0);
}

void printBreakdown()
{
    for (const ProcessMemory::Part &part : ProcessMemory::breakdown())
        figure("part:" + QByteArray(part.kind).replace(' ', '_'), part.rss);
}

// Scrolls the list from its top to its last row, a screen at a time, letting each screen paint
// and the model load more as the view nears the end of its rows.
bool scrollThroughHistory()
{
    CallHistoryPage *page = HistoryPageState::page();
    MPannableViewport *viewport = page->viewport();
    CommHistory::CallModel *model = ModelManager::instance()->model();
    const qreal step = viewport->size().height() > 0 ? viewport->size().height() : 700;
    qreal y = 0;
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    int rows = model->rowCount();
    while (sinceProgress.elapsed() < 30000) {
        y += step;
        viewport->setPosition(QPointF(0, y));
        QCoreApplication::processEvents();
        if (model->rowCount() != rows) {
            rows = model->rowCount();
            sinceProgress.restart();
        }
        if (viewport->position().y() < y - 1) {
            // At the end of the rows loaded so far: wait for more, or stop at the real end.
            y = viewport->position().y();
            if (!model->canFetchMore(QModelIndex()) && model->isReady())
                return true;
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
            // Held at the end of the rows loaded: pull a little, as a user does, so that the
            // view asks for more.
            viewport->setPosition(QPointF(0, y - 1));
        }
    }
    return false;
}

void search(const QString &text)
{
    MTextEdit *editor = HistoryPageState::page()->list()->filtering()->editor();
    editor->setText(text);
    settle(100);
}

// Stores `count` calls ending now and in the next seconds, in batches of 50 a little apart, as
// the call service of a busy phone would: in a process of its own, so that the program's memory
// holds only what the program itself makes of them.
int childAddCalls(int count)
{
    CommHistory::EventStore store;
    if (!store.open())
        return fail(QStringLiteral("addcalls: cannot open the store"));
    const QDateTime now = QDateTime::currentDateTime();
    for (int i = 0; i < count; i += 50) {
        QList<CommHistory::Event> calls;
        for (int j = i; j < qMin(count, i + 50); ++j) {
            CommHistory::Event call;
            call.setType(CommHistory::Event::CallEvent);
            call.setDirection(j % 3 ? CommHistory::Event::Inbound : CommHistory::Event::Outbound);
            call.setRemoteUid(QStringLiteral("+35840%1").arg(1000000 + j * 7919 % 900000));
            call.setStartTime(now.addSecs(-60 + j));
            call.setEndTime(now.addSecs(j));
            calls << call;
        }
        if (!store.addEvents(calls))
            return fail(QStringLiteral("addcalls: %1").arg(store.errorString()));
        QThread::msleep(20);
    }
    return 0;
}

// Has a child process add the calls while this one goes on running.
bool addCalls(int count)
{
    QProcess writer;
    writer.setProcessChannelMode(QProcess::ForwardedChannels);
    writer.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--child"), QStringLiteral("addcalls"), QString::number(count)});
    if (!spinUntil([&] { return writer.state() == QProcess::NotRunning; }, 120000)) {
        writer.kill();
        writer.waitForFinished(5000);
        return false;
    }
    settle(100);
    return writer.exitStatus() == QProcess::NormalExit && writer.exitCode() == 0;
}

int childProgram(bool prestarted, bool growth)
{
    static char name[] = "call-history";
    static char prestart[] = "-prestart";
    static char *args[] = {name, prestart, nullptr};
    static int count = prestarted ? 2 : 1;
    FirstFrameWatch *listFrame = nullptr;
    CallHistoryStartup startup(count, args, [&](const char *step, MApplicationWindow *w) {
        if (qstrcmp(step, "pages") == 0)
            listFrame = new FirstFrameWatch(w->viewport(), HistoryPageState::listShown, w);
    });
    if (!prestarted && !spinUntil([&] { return listFrame->hasPainted(); }, 60000))
        return fail(QStringLiteral("no frame of the list within 60 s"));
    if (!HistoryPageState::waitForLoaded(60000))
        return fail(QStringLiteral("the page did not load its rows within 60 s"));
    settle(1500);
    printMemory("");
    printBreakdown();
    if (growth) {
        printHeap("");
        // The same use twice: what the first leaves behind and what the second adds to it tell
        // memory kept for good from memory that keeps growing.
        for (const char *round : {"after_", "again_"}) {
            if (!scrollThroughHistory())
                return fail(QStringLiteral("growth: could not scroll to the end of the history "
                                           "(%1 rows loaded, at %2 of %3, more %4, ready %5)")
                                .arg(ModelManager::instance()->model()->rowCount())
                                .arg(HistoryPageState::page()->viewport()->position().y())
                                .arg(HistoryPageState::page()->viewport()->panRange().height())
                                .arg(ModelManager::instance()->model()->canFetchMore(QModelIndex()))
                                .arg(ModelManager::instance()->model()->isReady()));
            figure(QByteArray(round) + "rows_loaded",
                   ModelManager::instance()->model()->rowCount());
            HistoryPageState::page()->viewport()->setPosition(QPointF(0, 0));
            settle(300);
            const QStringList searches = {"040",      "Anna", "5",  "+358", "12",
                                          "Virtanen", "9",    "ma", "0401", "x"};
            for (const QString &text : searches)
                search(text);
            search(QString());
            if (!addCalls(1000))
                return fail(QStringLiteral("growth: could not add the calls"));
            PageManager::instance()->showCallHistory(true, false);
            settle(EvictionWaitMs);
            printMemory(round);
            figure(QByteArray(round) + "rows", ModelManager::instance()->model()->rowCount());
            printHeap(round);
        }
    }
    QTimer::singleShot(0, startup.application(), &QCoreApplication::quit);
    return startup.exec();
}

// ---- The parent -----------------------------------------------------------------------------

bool runChild(const QString &program, const QStringList &args, const QProcessEnvironment &env,
              Figures *figures)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.setProcessEnvironment(env);
    child.start(program, args);
    if (!child.waitForFinished(900000)) {
        child.kill();
        child.waitForFinished(5000);
        fail(QStringLiteral("%1 %2 did not finish within 15 minutes").arg(program, args.join(' ')));
        return false;
    }
    const QByteArray out = child.readAllStandardOutput();
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
        std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
        fail(QStringLiteral("%1 %2 failed").arg(program, args.join(' ')));
        return false;
    }
    for (const QByteArray &line : out.split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 3 && parts.at(0) == "figure")
            figures->insert(QString::fromLatin1(parts.at(1)), parts.at(2).toDouble());
    }
    return true;
}

// Medians over Runs runs of one child.
bool measure(const QString &program, const QStringList &args, const QProcessEnvironment &env,
             Figures *result, int runs = Runs)
{
    QMap<QString, QVector<double>> all;
    for (int r = 0; r < runs; ++r) {
        Figures f;
        if (!runChild(program, args, env, &f))
            return false;
        for (auto it = f.constBegin(); it != f.constEnd(); ++it)
            all[it.key()] << it.value();
    }
    for (auto it = all.constBegin(); it != all.constEnd(); ++it)
        result->insert(it.key(), median(it.value()));
    return true;
}

double mib(double kib)
{
    return kib / 1024;
}

void printRow(const char *what, const Figures &f, const Figures &baseline)
{
    std::printf("  %-34s RSS %6.1f MiB  PSS %6.1f  private dirty %5.1f  peak RSS %6.1f", what,
                mib(f.value("rss")), mib(f.value("pss")), mib(f.value("private_dirty")),
                mib(f.value("peak_rss")));
    if (!baseline.isEmpty() && baseline.value("peak_rss") > 0)
        std::printf("  peak %4.2f x, PSS %4.2f x", f.value("peak_rss") / baseline.value("peak_rss"),
                    f.value("pss") / baseline.value("pss"));
    std::printf("\n");
}

void printBreakdownRow(const char *what, const Figures &f)
{
    std::printf("    %-32s", what);
    for (auto it = f.constBegin(); it != f.constEnd(); ++it) {
        if (it.key().startsWith(QLatin1String("part:")) && it.value() >= 512)
            std::printf(" %s %.1f;", qPrintable(it.key().mid(5).replace('_', ' ')),
                        mib(it.value()));
    }
    std::printf(" (RSS, MiB)\n");
}

// Growth with use, in one run of the program on the 100,000 calls.
int measureGrowth(QProcessEnvironment env, const QString &db100k)
{
    const QString self = QCoreApplication::applicationFilePath();
    Figures g;
    env.insert(QStringLiteral("CALL_HISTORY_DB"), db100k);
    if (!measure(self, {QStringLiteral("--child"), QStringLiteral("growth")}, env, &g, 1))
        return 1;
    const double start = g.value("private_dirty"), end = g.value("after_private_dirty");
    std::printf("  growth with use (%d rows scrolled through, ten searches, 1,000 calls "
                "arrived, contacts evicted): private dirty %.1f -> %.1f MiB (%+.1f %%, goal "
                "within 10 %%); RSS %.1f -> %.1f MiB, peak RSS %.1f MiB; then %d rows "
                "loaded, main heap in use %.2f -> %.2f MiB, %.1f MiB free\n",
                int(g.value("after_rows_loaded")), mib(start), mib(end), 100 * (end / start - 1),
                mib(g.value("rss")), mib(g.value("after_rss")), mib(g.value("after_peak_rss")),
                int(g.value("after_rows")), mib(g.value("heap_in_use")),
                mib(g.value("after_heap_in_use")), mib(g.value("after_heap_free")));
    const double again = g.value("again_private_dirty");
    std::printf("  the same use once more: private dirty %.1f -> %.1f MiB (%+.1f %% on the first "
                "use), main heap in use %.2f MiB, %.1f MiB free\n",
                mib(end), mib(again), 100 * (again / end - 1), mib(g.value("again_heap_in_use")),
                mib(g.value("again_heap_free")));
    std::fflush(stdout);
    return 0;
}

int measurePlatform(const QString &name, QProcessEnvironment env, const QString &db100k,
                    const QString &db1k, bool growth)
{
    const QString self = QCoreApplication::applicationFilePath();
    const QString minimal =
        QCoreApplication::applicationDirPath() + QStringLiteral("/memory-minimal-window");
    Figures base, baseQt, baseHidden, big, small, pre;
    env.insert(QStringLiteral("CALL_HISTORY_DB"), db100k);
    if (!measure(minimal, {}, env, &base) ||
        !measure(minimal, {QStringLiteral("--qt-default-graphics")}, env, &baseQt) ||
        !measure(minimal, {QStringLiteral("--hidden")}, env, &baseHidden) ||
        !measure(self, {QStringLiteral("--child"), QStringLiteral("program")}, env, &big) ||
        !measure(self, {QStringLiteral("--child"), QStringLiteral("prestart")}, env, &pre))
        return 1;
    env.insert(QStringLiteral("CALL_HISTORY_DB"), db1k);
    if (!measure(self, {QStringLiteral("--child"), QStringLiteral("program")}, env, &small))
        return 1;
    std::printf("%s (medians of %d runs)\n", qPrintable(name), Runs);
    printRow("minimal window, raster only", base, Figures());
    printRow("minimal window, Qt's default", baseQt, base);
    printRow("program, 100,000 calls, history", big, base);
    printRow("program, 1,000 calls, history", small, base);
    std::printf(
        "  %-34s peak RSS %+.1f %%, PSS %+.1f %%, private dirty %+.1f %% (goal: within 5 %%)\n",
        "100,000 against 1,000 calls", 100 * (big.value("peak_rss") / small.value("peak_rss") - 1),
        100 * (big.value("pss") / small.value("pss") - 1),
        100 * (big.value("private_dirty") / small.value("private_dirty") - 1));
    printRow("minimal window, made, never shown", baseHidden, Figures());
    printRow("program, prestarted in background", pre, baseHidden);
    std::printf("  goals: history on screen peak RSS <= 50 MiB: %s, <= 1.3 x minimal: %s; "
                "prestarted <= 30 MiB: %s\n",
                mib(big.value("peak_rss")) <= 50 ? "met" : "NOT met",
                big.value("peak_rss") <= 1.3 * base.value("peak_rss") ? "met" : "NOT met",
                mib(pre.value("peak_rss")) <= 30 ? "met" : "NOT met");
    std::printf("  where the memory goes:\n");
    printBreakdownRow("minimal window, raster only", base);
    printBreakdownRow("minimal window, Qt's default", baseQt);
    printBreakdownRow("program, 100,000 calls", big);
    printBreakdownRow("program, prestarted", pre);
    std::fflush(stdout);
    return growth ? measureGrowth(env, db100k) : 0;
}

int runParent(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // "growth": the growth with use alone.
    const bool growthOnly = argc >= 2 && qstrcmp(argv[1], "growth") == 0;
    const QString busProblem = BenchChild::busProblem();
    if (!busProblem.isEmpty())
        return fail(busProblem);
    QTemporaryDir dir;
    if (!dir.isValid())
        return fail(QStringLiteral("no temporary folder"));
    const QString db100k = BenchHistory::generate(dir, 100000);
    const QString db1k = BenchHistory::generate(dir, 1000);
    if (db100k.isEmpty() || db1k.isEmpty())
        return fail(QStringLiteral("cannot generate the history"));
    BenchHistory history;
    if (!history.openOnCallHistory())
        return fail(QStringLiteral("cannot set the default page (no session bus or dconf)"));

    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    int result = 0;
    DisplayServer x11(DisplayServer::X11);
    if (growthOnly) {
        if (!x11.start())
            return fail(QStringLiteral("X11: %1").arg(x11.why()));
        QProcessEnvironment e = env;
        x11.addTo(&e);
        std::printf("X11 (Xvfb, QT_QPA_PLATFORM=xcb)\n");
        return measureGrowth(e, db100k);
    }
    if (x11.start()) {
        QProcessEnvironment e = env;
        x11.addTo(&e);
        result |= measurePlatform(QStringLiteral("X11 (Xvfb, QT_QPA_PLATFORM=xcb)"), e, db100k,
                                  db1k, true);
    } else {
        std::printf("X11: not measured (%s)\n", qPrintable(x11.why()));
    }
    DisplayServer wayland(DisplayServer::Wayland);
    if (wayland.start()) {
        QProcessEnvironment e = env;
        wayland.addTo(&e);
        result |= measurePlatform(
            QStringLiteral("Wayland (weston, headless back-end, QT_QPA_PLATFORM=wayland)"), e,
            db100k, db1k, false);
    } else {
        std::printf("Wayland: not measured (%s)\n", qPrintable(wayland.why()));
    }
    QProcessEnvironment e = env;
    e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    result |= measurePlatform(QStringLiteral("offscreen"), e, db100k, db1k, false);
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 3 && qstrcmp(argv[1], "--child") == 0) {
        const QByteArray mode = argv[2];
        if (mode == "program")
            return childProgram(false, false);
        if (mode == "prestart")
            return childProgram(true, false);
        if (mode == "growth")
            return childProgram(false, true);
        if (mode == "addcalls" && argc >= 4) {
            QCoreApplication app(argc, argv);
            return childAddCalls(QByteArray(argv[3]).toInt());
        }
        return fail(QStringLiteral("unknown child mode %1").arg(QString::fromLatin1(mode)));
    }
    return runParent(argc, argv);
}
