// The contacts tab at scale, as ratios measured in the same run:
//  - opening the contact picker (the address book fetched, the list built and its first frame
//    painted) with 5,000 contacts against the same with 50;
//  - a filter keystroke at 5,000 contacts (the list filtered again and repainted) against a
//    plain loop that tests the same 5,000 names for the same text.
// Each address book is a database file of its own, filled once before the measures.

#include "contactpickercontroller.h"
#include "contactpickermodel.h"
#include "contactsaddressbook.h"
#include "contactsengine.h"
#include "firstframewatch.h"
#include "mapplication.h"
#include "mapplicationpage.h"
#include "mapplicationwindow.h"
#include "mscenemanager.h"
#include "ratioreporter.h"

#include <QtContacts/QContactManager>
#include <QtContacts/QContactName>
#include <QtContacts/QContactPhoneNumber>

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

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

// Runs the event loop until cond holds and the window has painted (at most 10 s).
bool waitFor(const std::function<bool()> &cond)
{
    QElapsedTimer t;
    t.start();
    while (!(cond() && g_watch->hasPainted()) && t.elapsed() < 10000)
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
        g_watch->arm();
        picker.setFilter(Keystrokes[k++ % 3]);
        if (!waitFor([] { return true; }))
            state.SkipWithError("no paint");
    }
    g_window->sceneManager()->disappearSceneWindowNow(picker.page());
}
BENCHMARK(FilterKeystroke_5000)->Unit(benchmark::kMicrosecond);

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
    reporter.ratio("filter keystroke, 5,000 contacts", "FilterKeystroke_5000",
                   "Baseline_LoopOverNames");
    delete g_window;
    delete g_small;
    delete g_large;
    return 0;
}
