// The contacts tab at scale, as ratios measured in the same run:
//  - opening the contact picker (the address book fetched, the list built and its first frame
//    painted) with 5,000 contacts against the same with 50;
//  - opening the merge picker (the sheet that adds a number to an existing contact, on the same
//    list) with 5,000 contacts against the same with 50;
//  - a filter keystroke at 5,000 contacts (the list filtered again and repainted) against a
//    plain loop that tests the same 5,000 names for the same text;
//  - a fling over 1,000 of the 5,000 contacts at 60 frames a second, as the call history's is
//    measured (bench/historypage): frame times against a repaint of the window with nothing
//    moved, and against the 16.7 ms budget of a frame.
// Each address book is a database file of its own, filled once before the measures. Pickers
// share the address book's sorted names (ContactNameIndex), read once per book and process, so
// the opening figures are those of a process that has read its book; the first opening of each
// book (its read and sort included) is printed as well, against the same for 50 contacts.

#include "contactmergepicker.h"
#include "contactpickercontroller.h"
#include "contactpickermodel.h"
#include "contactsaddressbook.h"
#include "contactsengine.h"
#include "firstframewatch.h"
#include "flingdriver.h"
#include "mapplication.h"
#include "mapplicationpage.h"
#include "mapplicationwindow.h"
#include "mlist.h"
#include "mpannableviewport.h"
#include "mscenemanager.h"
#include "ratioreporter.h"

#include <QtContacts/QContactManager>
#include <QtContacts/QContactName>
#include <QtContacts/QContactPhoneNumber>

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>

using namespace QtContacts;

namespace {

MApplicationWindow *g_window = nullptr;
FirstFrameWatch *g_watch = nullptr;
QContactManager *g_small = nullptr;
QContactManager *g_large = nullptr;

const char *const FirstNames[] = {"Aino",  "Bertil",  "Cecilia", "Dawit", "Elif",  "Farid",
                                  "Greta", "Hiroshi", "Ilona",   "Jonas", "Kaija", "Leila"};
const char *const LastNames[] = {"Nieminen", "Berg",  "Okafor", "Virtanen", "Santos",
                                 "Larsen",   "Kowal", "Haddad", "Moreau",   "Tanaka"};

QString nameOf(int i)
{
    return QStringLiteral("%1 %2 %3")
        .arg(QLatin1String(FirstNames[i % 12]), QLatin1String(LastNames[(i / 12) % 10]))
        .arg(i);
}

QContactManager *book(const QString &file, int count)
{
    auto *manager =
        new QContactManager(ContactsEngine::ensureRegistered(),
                            {{QString::fromLatin1(ContactsEngine::databaseParameter), file}});
    QList<QContact> contacts;
    for (int i = 0; i < count; ++i) {
        QContact c;
        QContactName name;
        name.setFirstName(nameOf(i).section(' ', 0, 0));
        name.setLastName(nameOf(i).section(' ', 1));
        c.saveDetail(&name);
        QContactPhoneNumber number;
        number.setNumber(QStringLiteral("+35840%1").arg(i, 7, 10, QLatin1Char('0')));
        c.saveDetail(&number);
        contacts << c;
    }
    manager->saveContacts(&contacts);
    return manager;
}

// Runs the event loop until cond holds and the window has painted (at most 60 s: slow under a
// profiler).
bool waitFor(const std::function<bool()> &cond)
{
    QElapsedTimer t;
    t.start();
    while (!(cond() && g_watch->hasPainted()) && t.elapsed() < 60000)
        QCoreApplication::processEvents();
    return cond() && g_watch->hasPainted();
}

void openPicker(benchmark::State &state, QContactManager *manager)
{
    // The rows' avatars read the application's address book: the same one.
    ContactsAddressBook::setManager(manager);
    for (auto _ : state) {
        g_watch->arm();
        ContactPickerController picker(manager);
        g_window->sceneManager()->appearSceneWindowNow(picker.page());
        if (!waitFor([&picker] { return picker.isLoaded(); }))
            state.SkipWithError("the picker did not load");
        state.PauseTiming();
        g_window->sceneManager()->disappearSceneWindowNow(picker.page());
        state.ResumeTiming();
    }
}

void OpenPicker_50(benchmark::State &state)
{
    openPicker(state, g_small);
}
BENCHMARK(OpenPicker_50)->Unit(benchmark::kMillisecond);

void OpenPicker_5000(benchmark::State &state)
{
    openPicker(state, g_large);
}
BENCHMARK(OpenPicker_5000)->Unit(benchmark::kMillisecond);

void openMergePicker(benchmark::State &state, QContactManager *manager)
{
    ContactsAddressBook::setManager(manager);
    for (auto _ : state) {
        g_watch->arm();
        auto *sheet = new ContactMergePicker(QContact());
        g_window->sceneManager()->appearSceneWindowNow(sheet);
        if (!waitFor([sheet] { return sheet->isLoaded(); }))
            state.SkipWithError("the merge picker did not load");
        state.PauseTiming();
        g_window->sceneManager()->disappearSceneWindowNow(sheet);
        delete sheet;
        state.ResumeTiming();
    }
}

void OpenMergePicker_50(benchmark::State &state)
{
    openMergePicker(state, g_small);
}
BENCHMARK(OpenMergePicker_50)->Unit(benchmark::kMillisecond);

void OpenMergePicker_5000(benchmark::State &state)
{
    openMergePicker(state, g_large);
}
BENCHMARK(OpenMergePicker_5000)->Unit(benchmark::kMillisecond);

const QString Keystrokes[] = {QStringLiteral("n"), QStringLiteral("ni"), QStringLiteral("nie")};

void Baseline_LoopOverNames(benchmark::State &state)
{
    QStringList names;
    for (int i = 0; i < 5000; ++i)
        names << nameOf(i);
    int k = 0, hits = 0;
    for (auto _ : state) {
        const QString &needle = Keystrokes[k++ % 3];
        for (const QString &n : qAsConst(names))
            hits += n.contains(needle, Qt::CaseInsensitive);
    }
    benchmark::DoNotOptimize(hits);
}
BENCHMARK(Baseline_LoopOverNames)->Unit(benchmark::kMicrosecond);

// One keystroke: the filter set and the window repainted. A function of its own, so that a
// profiler can count its instructions alone (valgrind --toggle-collect='*typeInFilter*').
Q_NEVER_INLINE bool typeInFilter(ContactPickerController &picker, const QString &text)
{
    g_watch->arm();
    picker.setFilter(text);
    return waitFor([] { return true; });
}

void FilterKeystroke_5000(benchmark::State &state)
{
    ContactsAddressBook::setManager(g_large);
    ContactPickerController picker(g_large);
    g_watch->arm();
    g_window->sceneManager()->appearSceneWindowNow(picker.page());
    if (!waitFor([&picker] { return picker.isLoaded(); })) {
        state.SkipWithError("the picker did not load");
        return;
    }
    int k = 0;
    for (auto _ : state) {
        if (!typeInFilter(picker, Keystrokes[k++ % 3]))
            state.SkipWithError("no paint");
    }
    g_window->sceneManager()->disappearSceneWindowNow(picker.page());
}
BENCHMARK(FilterKeystroke_5000)->Unit(benchmark::kMicrosecond);

// ---- Opening a book for the first time in the process ---------------------------------------

// Opens a picker on a new connection to `file` (nothing read yet) and returns the ms to its
// first painted frame with the book loaded; the median of `rounds`.
double firstOpenMs(const QString &file, int rounds)
{
    QVector<double> runs;
    for (int r = 0; r < rounds; ++r) {
        QContactManager manager(ContactsEngine::ensureRegistered(),
                                {{QString::fromLatin1(ContactsEngine::databaseParameter), file}});
        ContactsAddressBook::setManager(&manager);
        QElapsedTimer t;
        t.start();
        g_watch->arm();
        {
            ContactPickerController picker(&manager);
            g_window->sceneManager()->appearSceneWindowNow(picker.page());
            if (!waitFor([&picker] { return picker.isLoaded(); }))
                return -1;
            runs << t.nsecsElapsed() / 1e6;
            g_window->sceneManager()->disappearSceneWindowNow(picker.page());
        }
        ContactsAddressBook::setManager(nullptr);
    }
    std::sort(runs.begin(), runs.end());
    return runs.at(runs.size() / 2);
}

// ---- Fling -------------------------------------------------------------------------------------

const int FlingRows = 1000;
const double FlingMs = 2000;

// Flings the list from the top over FlingRows rows in FlingMs (FlingDriver), as bench/historypage
// measures the history.
void measureFling()
{
    ContactsAddressBook::setManager(g_large);
    ContactPickerController picker(g_large);
    g_watch->arm();
    g_window->sceneManager()->appearSceneWindowNow(picker.page());
    if (!waitFor([&picker] { return picker.isLoaded(); })) {
        std::printf("fling: the picker did not load\n");
        return;
    }
    MList *list = picker.list();
    list->flush();
    MPannableViewport *viewport = list->viewport();
    QVector<double> still;
    for (int i = 0; i < 30; ++i) {
        g_watch->arm();
        const double at = FirstFrameWatch::monotonicMs();
        g_window->viewport()->update();
        g_watch->waitForPaint(200);
        still << FirstFrameWatch::monotonicMs() - at;
    }
    const double baseline = FlingDriver::percentile(still, 0.5);
    const QModelIndex target = [&] {
        // The FlingRows-th contact, counted over the groups.
        const QAbstractItemModel *m = picker.model();
        int left = FlingRows;
        for (int g = 0; g < m->rowCount(); ++g) {
            const QModelIndex group = m->index(g, 0);
            if (left < m->rowCount(group))
                return m->index(left, 0, group);
            left -= m->rowCount(group);
        }
        return QModelIndex();
    }();
    list->scrollTo(target, MList::PositionAtTop);
    const qreal end = viewport->position().y();
    viewport->setPosition(QPointF(0, 0));
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 200)
        QCoreApplication::processEvents();

    FlingDriver driver(
        g_watch, [viewport] { return viewport->position().y(); },
        [viewport](double y) { viewport->setPosition(QPointF(0, y)); });
    const FlingDriver::Result r = driver.run([end] { return end; }, FlingMs);
    g_window->sceneManager()->disappearSceneWindowNow(picker.page());
    if (!r.reached || r.frames.isEmpty()) {
        std::printf("fling: did not reach contact %d\n", FlingRows);
        return;
    }
    const double med = FlingDriver::percentile(r.frames, 0.5);
    std::printf("fling, 5,000 contacts: %d rows in %.0f ms, %d frames; frame median %.2f ms, "
                "95%% %.2f ms, max %.2f ms, over 16.7 ms: %d (goal 0); baseline %.2f ms "
                "(repaint, nothing moved), ratio %.2f\n",
                FlingRows, r.wallMs, r.frames.size(), med, FlingDriver::percentile(r.frames, 0.95),
                *std::max_element(r.frames.begin(), r.frames.end()),
                FlingDriver::overBudget(r.frames), baseline, baseline > 0 ? med / baseline : 0.0);
}

} // namespace

int main(int argc, char **argv)
{
    MApplication app(argc, argv, QStringLiteral("call-history"));
    QTemporaryDir dir;
    g_small = book(dir.filePath(QStringLiteral("small.db")), 50);
    g_large = book(dir.filePath(QStringLiteral("large.db")), 5000);
    g_window = new MApplicationWindow;
    g_window->resize(480, 854);
    g_window->show();
    g_watch = new FirstFrameWatch(
        g_window->viewport(), [] { return true; }, g_window);

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.ratio("open the contacts tab, 5,000 contacts", "OpenPicker_5000", "OpenPicker_50");
    reporter.ratio("open the merge picker, 5,000 contacts", "OpenMergePicker_5000",
                   "OpenMergePicker_50");
    reporter.ratio("filter keystroke, 5,000 contacts", "FilterKeystroke_5000",
                   "Baseline_LoopOverNames");
    const double first50 = firstOpenMs(dir.filePath(QStringLiteral("small.db")), 5);
    const double first5000 = firstOpenMs(dir.filePath(QStringLiteral("large.db")), 5);
    if (first50 > 0 && first5000 > 0)
        std::printf("first opening in the process (book read and sorted), 5,000 contacts "
                    "%.1f ms against 50 contacts %.1f ms: %.2f x\n",
                    first5000, first50, first5000 / first50);
    measureFling();
    std::fflush(stdout);
    delete g_window;
    delete g_small;
    delete g_large;
    return 0;
}
