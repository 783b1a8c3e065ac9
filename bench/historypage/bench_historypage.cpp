// Measures the call history page with 100,000 stored calls, each figure against a baseline
// measured in the same run:
//  - cold start: a new process of the program to the first frame that shows the list's rows,
//    against a new process showing a minimal graphics view window of the same size
//    (goal: at most 1.5 times the baseline);
//  - launch of a prestarted process whose page has loaded its rows in the background: the
//    launch request to the first frame of the list, against showing a minimal graphics view
//    window that was made but not shown yet;
//  - one row filled with another call and with its own call again, against reading the call
//    from the model index;
//  - a fling over 1,000 rows at 60 frames a second, once while the rows still load and once
//    over loaded rows: frame times against a repaint of the window with nothing moved, and
//    against the 16.7 ms budget of a frame.
// Each start-up is a child process of this one (bench_historypage --child MODE; the baseline is
// the program historypage-minimal-window beside it); the modes take turns, one warm-up round is
// not counted, and medians are reported. The calls come from the
// store tool's generator with a fixed seed.

#include "benchchild.h"
#include "benchhistory.h"
#include "callhistoryapplicationservice.h"
#include "callhistoryitem.h"
#include "callhistorypage.h"
#include "callhistorystartup.h"
#include "callmodel.h"
#include "firstframewatch.h"
#include "flingdriver.h"
#include "historypagestate.h"
#include "mapplication.h"
#include "mapplicationwindow.h"
#include "mcellcreator.h"
#include "mlist.h"
#include "modelmanager.h"
#include "mpannableviewport.h"
#include "mtheme.h"
#include "pagemanager.h"

#include <QAbstractItemModel>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace BenchChild;

namespace {

const int StoredCalls = 100000;
const int Rounds = 11;
const int FlingRows = 1000;
const double FlingMs = 2000;

double g_mainStartMs = 0;

// Points of the start-up, in monotonic ms, in the order passed.
QVector<QPair<QByteArray, double>> g_marks;
void mark(const char *name)
{
    g_marks.append({QByteArray(name), FirstFrameWatch::monotonicMs()});
}

double median(QVector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v.at(v.size() / 2);
}

// With BENCH_SHOTS set to a folder, saves what the window shows there (to check that the frames
// measured are the ones meant).
void saveShot(QWidget *window, const char *name)
{
    const QString dir = qEnvironmentVariable("BENCH_SHOTS");
    if (!dir.isEmpty())
        window->grab().save(dir + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
}

// ---- The program, started as app/main.cpp does ----------------------------------------------

struct Program
{
    CallHistoryStartup *startup = nullptr;
    CallHistoryApplicationService *service = nullptr;
    MApplication *app = nullptr;
    MApplicationWindow *window = nullptr;
    FirstFrameWatch *listFrame = nullptr;
};

// The start-up of app/main.cpp up to its event loop. The only addition is the watch of the
// window's paints, set before the window is shown.
Program startProgram(bool prestarted)
{
    // MApplication keeps a reference to the argument count: both live as long as the process.
    static char name[] = "call-history";
    static char prestart[] = "-prestart";
    static char *args[] = {name, prestart, nullptr};
    static int count = prestarted ? 2 : 1;

    Program p;
    p.startup = new CallHistoryStartup(count, args, [&p](const char *step, MApplicationWindow *w) {
        mark(step);
        if (qstrcmp(step, "pages") == 0)
            p.listFrame = new FirstFrameWatch(w->viewport(), HistoryPageState::listShown, w);
    });
    p.service = p.startup->service();
    p.app = p.startup->application();
    p.window = p.startup->window();
    return p;
}

// The end of app/main.cpp after its event loop.
void stopProgram(Program &p)
{
    // Through the event loop, so that everything watching aboutToQuit() takes the program down.
    QTimer::singleShot(0, p.app, &QCoreApplication::quit);
    p.startup->exec();
    delete p.startup;
}

int childCold()
{
    // Besides the figure, where the time goes: the steps of the start-up, the first paint of
    // any kind and the first rows of the model.
    Program p = startProgram(false);
    FirstFrameWatch anyFrame(p.window->viewport(), [] { return true; });
    double rowsAt = -1;
    QObject::connect(ModelManager::instance()->model(), &QAbstractItemModel::rowsInserted, p.app,
                     [&] {
                         if (rowsAt < 0)
                             rowsAt = FirstFrameWatch::monotonicMs();
                     });
    if (!spinUntil([&] { return p.listFrame->hasPainted(); }, 60000))
        return fail(QStringLiteral("cold start: no frame of the list within 60 s (view state %1)")
                        .arg(HistoryPageState::page()->viewState()));
    figure("cold_main", p.listFrame->paintedAtMs() - g_mainStartMs);
    if (spawnMs() > 0)
        figure("cold_spawn", p.listFrame->paintedAtMs() - spawnMs());
    figure("cold_rows", ModelManager::instance()->model()->rowCount());
    figure("cold_paints_before", p.listFrame->earlierPaints());
    for (const auto &m : qAsConst(g_marks))
        figure("step_" + m.first, m.second - g_mainStartMs);
    if (anyFrame.hasPainted())
        figure("step_first-paint", anyFrame.paintedAtMs() - g_mainStartMs);
    if (rowsAt >= 0)
        figure("step_first-rows", rowsAt - g_mainStartMs);
    figure("step_list-frame", p.listFrame->paintedAtMs() - g_mainStartMs);
    saveShot(p.window, "cold-first-list-frame");
    stopProgram(p);
    return 0;
}

// The launch request and the event loop up to the first frame of the list, in a function of
// its own so that its instructions can be counted alone
// (valgrind --tool=callgrind --collect-atstart=no --toggle-collect='*measuredLaunch*').
Q_NEVER_INLINE bool measuredLaunch(Program &p, double *returnedAt)
{
    p.service->launch({QStringLiteral("callhistory")});
    *returnedAt = FirstFrameWatch::monotonicMs();
    return spinUntil([&] { return p.listFrame->hasPainted(); }, 30000);
}

int childPrestart()
{
    Program p = startProgram(true);
    if (!MApplication::isPrestarted() || p.window->isVisible())
        return fail(QStringLiteral("the prestarted program showed its window"));
    if (!HistoryPageState::waitForLoaded(60000))
        return fail(QStringLiteral("prestarted: the page did not load its rows within 60 s "
                                   "(view state %1, %2 rows, ready %3)")
                        .arg(HistoryPageState::page()->viewState())
                        .arg(ModelManager::instance()->model()->rowCount())
                        .arg(ModelManager::instance()->model()->isReady()));
    // Whatever the start left to do in the background is done before the launch.
    settle(300);
    p.listFrame->arm();
    const double launchAt = FirstFrameWatch::monotonicMs();
    double returnedAt = 0;
    if (!measuredLaunch(p, &returnedAt))
        return fail(QStringLiteral("prestarted: no frame of the list within 30 s of the launch"));
    figure("prestart_launch", p.listFrame->paintedAtMs() - launchAt);
    figure("prestart_call", returnedAt - launchAt);
    saveShot(p.window, "prestart-first-list-frame");
    stopProgram(p);
    return 0;
}

// ---- Rows: refill and fling ------------------------------------------------------------------

template <typename F> double perCallUs(int calls, F f)
{
    QVector<double> runs;
    for (int r = 0; r < 9; ++r) {
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < calls; ++i)
            f(i);
        runs << t.nsecsElapsed() / 1e3 / calls;
    }
    return median(runs);
}

int measureRefill(CallHistoryPage *page)
{
    MList *list = page->list();
    list->flush();
    const QList<MWidget *> cells = list->visibleCells();
    auto *row = cells.isEmpty() ? nullptr : qobject_cast<CallHistoryItem *>(cells.first());
    if (!row)
        return fail(QStringLiteral("refill: the list has no call rows"));
    const QModelIndex own = list->indexForCell(row);
    // Another row of another party, so that every part of the row changes.
    QModelIndex other;
    for (MWidget *cell : cells) {
        auto *item = qobject_cast<CallHistoryItem *>(cell);
        if (item && item->remoteUid() != row->remoteUid() && item->title() != row->title() &&
            item->directionCode() != row->directionCode()) {
            other = list->indexForCell(item);
            break;
        }
    }
    for (int i = 1; !other.isValid() && i < cells.size(); ++i) {
        auto *item = qobject_cast<CallHistoryItem *>(cells.at(i));
        if (item && item->remoteUid() != row->remoteUid())
            other = list->indexForCell(item);
    }
    if (!own.isValid() || !other.isValid())
        return fail(QStringLiteral("refill: no two rows of different calls"));

    const int calls = 2000;
    const QModelIndex both[] = {own, other};
    qint64 sink = 0;
    const double read = perCallUs(calls, [&](int i) {
        sink += both[i & 1].data(Qt::UserRole).value<CommHistory::Event>().id();
    });
    int redraws = row->redrawCount();
    const double another = perCallUs(calls, [&](int i) { row->fill(both[i & 1]); });
    const double anotherRedraws = double(row->redrawCount() - redraws) / (9 * calls);
    row->fill(own);
    redraws = row->redrawCount();
    const double same = perCallUs(calls, [&](int) { row->fill(own); });
    const double sameRedraws = double(row->redrawCount() - redraws) / (9 * calls);
    if (sink == 42)
        std::printf(" ");
    std::printf("row refill, another call    %8.2f us per fill (%.1f part redraws)  "
                "baseline %6.2f us (read the call from the index)  ratio %6.2f\n",
                another, anotherRedraws, read, another / read);
    std::printf("row refill, the same call   %8.2f us per fill (%.1f part redraws)  "
                "baseline %6.2f us (read the call from the index)  ratio %6.2f\n",
                same, sameRedraws, read, same / read);
    return 0;
}

// Where the list row `flatRow` (counted over the day groups) starts, in the list's coordinates;
// estimated from the rows loaded so far when the model does not have it yet.
qreal rowTop(CallHistoryPage *page, int flatRow)
{
    MList *list = page->list();
    QAbstractItemModel *groups = list->itemModel();
    const qreal cell = list->cellCreator()->cellSize().height() > 0
                           ? list->cellCreator()->cellSize().height()
                           : 84;
    const int style = MTheme::instance()->style(QStringLiteral("CommonGroupHeader")).height;
    const qreal header = style > 0 ? style : 40;
    qreal y = 0;
    int rows = 0;
    const int groupCount = groups->rowCount();
    for (int g = 0; g < groupCount; ++g) {
        const int n = groups->rowCount(groups->index(g, 0));
        if (rows + n > flatRow)
            return y + header + (flatRow - rows) * cell;
        y += header + n * cell;
        rows += n;
    }
    const qreal perRow = rows > 0 ? y / rows : cell + header;
    return y + (flatRow - rows) * perRow;
}

int measureFling(Program &p)
{
    CallHistoryPage *page = HistoryPageState::page();
    FirstFrameWatch paints(p.window->viewport(), [] { return true; });
    // The baseline: the same window painted again with nothing moved.
    QVector<double> still;
    for (int i = 0; i < 30; ++i) {
        paints.arm();
        const double at = FirstFrameWatch::monotonicMs();
        p.window->viewport()->update();
        if (!paints.waitForPaint(200))
            return fail(QStringLiteral("fling: the window does not paint"));
        still << FirstFrameWatch::monotonicMs() - at;
    }
    const double baseline = median(still);
    CommHistory::CallModel *model = ModelManager::instance()->model();
    MPannableViewport *viewport = page->list()->viewport();
    const qreal listTop = page->list()->mapToItem(viewport->widget(), QPointF(0, 0)).y();
    FlingDriver driver(
        &paints, [viewport] { return viewport->position().y(); },
        [viewport](double y) { viewport->setPosition(QPointF(0, y)); });
    const char *names[] = {"fling, rows loading", "fling, rows loaded"};
    for (const char *name : names) {
        const int rowsBefore = model->rowCount();
        viewport->setPosition(QPointF(0, 0));
        settle(200);
        // Where row FlingRows is, asked again each frame: it moves while rows load.
        const FlingDriver::Result r =
            driver.run([page, listTop] { return listTop + rowTop(page, FlingRows); }, FlingMs);
        if (!r.reached)
            return fail(QStringLiteral("%1: did not reach row %2 within %3 ms (%4 rows loaded)")
                            .arg(name)
                            .arg(FlingRows)
                            .arg(r.wallMs)
                            .arg(model->rowCount()));
        saveShot(p.window, name == names[0] ? "fling-end-loading" : "fling-end-loaded");
        const double med = median(r.frames);
        std::printf("%-22s %d rows in %.0f ms, %d frames (%d held at the end of the loaded rows; "
                    "model rows %d -> %d)\n",
                    name, FlingRows, r.wallMs, r.frames.size(), r.stalled, rowsBefore,
                    model->rowCount());
        std::printf("%-22s frame median %6.2f ms, 95%% %6.2f ms, max %6.2f ms, over 16.7 ms: %d  "
                    "baseline %5.2f ms (repaint, nothing moved)  ratio %5.2f; median %.0f%% of "
                    "the frame budget\n",
                    "", med, FlingDriver::percentile(r.frames, 0.95),
                    *std::max_element(r.frames.begin(), r.frames.end()),
                    FlingDriver::overBudget(r.frames), baseline,
                    baseline > 0 ? med / baseline : 0.0, 100 * med / FlingDriver::FrameMs);
    }
    std::fflush(stdout);
    return 0;
}

int childRows()
{
    Program p = startProgram(false);
    if (!spinUntil([&] { return p.listFrame->hasPainted(); }, 60000))
        return fail(QStringLiteral("rows: no frame of the list within 60 s"));
    if (!HistoryPageState::waitForLoaded(60000))
        return fail(QStringLiteral("rows: the page did not load its rows within 60 s"));
    settle(300);
    int result = measureRefill(HistoryPageState::page());
    if (result == 0)
        result = measureFling(p);
    stopProgram(p);
    return result;
}

// ---- The parent: data, children, report -----------------------------------------------------

typedef QMap<QString, double> Figures;

bool runChild(const QString &mode, const QProcessEnvironment &env, Figures *figures,
              QByteArray *otherOutput = nullptr)
{
    QProcess child;
    QProcessEnvironment e = env;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    e.insert(QStringLiteral("BENCH_SPAWN_MS"),
             QString::number(FirstFrameWatch::monotonicMs(), 'f', 3));
    child.setProcessEnvironment(e);
    // The baseline is a program of its own, linked against Qt Widgets only.
    if (mode == QLatin1String("baseline"))
        child.start(QCoreApplication::applicationDirPath() +
                        QStringLiteral("/historypage-minimal-window"),
                    QStringList());
    else
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), mode});
    if (!child.waitForFinished(300000)) {
        child.kill();
        child.waitForFinished(5000);
        fail(QStringLiteral("the %1 child did not finish within 300 s").arg(mode));
        return false;
    }
    const QByteArray out = child.readAllStandardOutput();
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
        std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
        fail(QStringLiteral("the %1 child failed (%2, exit code %3)")
                 .arg(mode, child.exitStatus() == QProcess::NormalExit ? QStringLiteral("exited")
                                                                       : QStringLiteral("crashed"))
                 .arg(child.exitCode()));
        return false;
    }
    for (const QByteArray &line : out.split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 3 && parts.at(0) == "figure")
            figures->insert(QString::fromLatin1(parts.at(1)), parts.at(2).toDouble());
        else if (otherOutput && !line.isEmpty())
            *otherOutput += line + '\n';
    }
    return true;
}

int measure(const QProcessEnvironment &env);

int runParent(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString busProblem = BenchChild::busProblem();
    if (!busProblem.isEmpty())
        return fail(busProblem);
    QTemporaryDir dir;
    if (!dir.isValid())
        return fail(QStringLiteral("no temporary folder"));
    const QString db = BenchHistory::generate(dir, StoredCalls);
    if (db.isEmpty())
        return fail(QStringLiteral("cannot generate the history"));
    BenchHistory history;
    if (!history.openOnCallHistory())
        return fail(QStringLiteral("cannot set the default page (no session bus or dconf)"));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CALL_HISTORY_DB"), db);
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return measure(env);
}

// Runs the children and prints the figures.
int measure(const QProcessEnvironment &env)
{
    const QStringList modes = {QStringLiteral("baseline"), QStringLiteral("cold"),
                               QStringLiteral("prestart")};
    QMap<QString, QVector<double>> runs;
    int rows = 0;
    for (int round = 0; round <= Rounds; ++round) {
        for (const QString &mode : modes) {
            Figures f;
            if (!runChild(mode, env, &f))
                return 1;
            // Round 0 warms the file cache and the bus; it is not counted.
            if (round == 0)
                continue;
            for (auto it = f.constBegin(); it != f.constEnd(); ++it)
                runs[it.key()] << it.value();
        }
    }
    for (const char *key : {"baseline_main", "cold_main", "baseline_show", "prestart_launch"}) {
        if (runs.value(QLatin1String(key)).size() != Rounds)
            return fail(QStringLiteral("a child did not report %1").arg(QLatin1String(key)));
    }
    rows = int(median(runs.value(QStringLiteral("cold_rows"))));
    auto m = [&](const char *key) { return median(runs.value(QLatin1String(key))); };

    std::printf("%d stored calls; medians of %d runs of each (after a warm-up run), "
                "QT_QPA_PLATFORM=%s\n",
                StoredCalls, Rounds, qPrintable(env.value(QStringLiteral("QT_QPA_PLATFORM"))));
    std::printf("cold start to the first frame of the list (%d rows loaded then, %d frames "
                "painted before it)\n",
                rows, int(m("cold_paints_before")));
    std::printf("  from main():  %7.1f ms  baseline %7.1f ms (minimal graphics view window)  "
                "ratio %5.2f  (goal <= 1.50)\n",
                m("cold_main"), m("baseline_main"), m("cold_main") / m("baseline_main"));
    if (runs.contains(QStringLiteral("cold_spawn")) &&
        runs.contains(QStringLiteral("baseline_spawn")))
        std::printf("  from spawn:   %7.1f ms  baseline %7.1f ms  ratio %5.2f  (with exec, dynamic "
                    "linking and static initialisers)\n",
                    m("cold_spawn"), m("baseline_spawn"), m("cold_spawn") / m("baseline_spawn"));
    // The steps in the order they happened.
    QVector<QPair<double, QString>> steps;
    for (auto it = runs.constBegin(); it != runs.constEnd(); ++it) {
        if (it.key().startsWith(QLatin1String("step_")))
            steps.append({median(it.value()), it.key().mid(5)});
    }
    std::sort(steps.begin(), steps.end());
    std::printf("  cold start, steps from main() (medians):");
    for (const auto &step : qAsConst(steps))
        std::printf(" %s %.1f", qPrintable(step.second), step.first);
    std::printf("\n");
    std::printf("prestarted process, launch request to the first frame of the list\n");
    std::printf("  %7.2f ms (launch() itself %.2f ms)  baseline %7.2f ms (show a hidden minimal "
                "window)  ratio %5.2f\n",
                m("prestart_launch"), m("prestart_call"), m("baseline_show"),
                m("prestart_launch") / m("baseline_show"));
    std::fflush(stdout);

    Figures none;
    QByteArray rowsOutput;
    if (!runChild(QStringLiteral("rows"), env, &none, &rowsOutput))
        return 1;
    std::fwrite(rowsOutput.constData(), 1, size_t(rowsOutput.size()), stdout);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    g_mainStartMs = FirstFrameWatch::monotonicMs();
    if (argc >= 3 && qstrcmp(argv[1], "--child") == 0) {
        const QByteArray mode = argv[2];
        if (mode == "cold")
            return childCold();
        if (mode == "prestart")
            return childPrestart();
        if (mode == "rows")
            return childRows();
        return fail(QStringLiteral("unknown child mode %1").arg(QString::fromLatin1(mode)));
    }
    return runParent(argc, argv);
}
