// Measures the call history's model chain (call model -> search filter -> day groups) with
// 10,000 and 100,000 calls loaded, each figure against a baseline measured in the same run:
//  - one search keystroke (the filter applied again and the groups counted anew) against a plain
//    loop that runs the same QRegExp over the same strings (number, and the single contact's
//    name when the number does not match);
//  - a full regroup against a plain loop that reads every row's event through the filter model;
//  - one call inserted at the top, through the filter and the groups, against the same insert
//    into the bare list;
//  - mapToSource() of the last row against the source's own index() for that row.
// Medians of repeated runs; the calls are generated from a fixed seed. Numbers given on the
// command line run those sizes only.

#include "callhistoryfilterproxymodel.h"
#include "callhistorygroupedmodel.h"
#include "callhistorylocale.h"
#include "callmodel.h"
#include "contactresolver.h"
#include "eventstore.h"
#include "mapplication.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

using CommHistory::Event;

namespace {

const int Repeats = 9;

double median(QVector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v.at(v.size() / 2);
}

double timeMs(const std::function<void()> &f)
{
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e6;
}

double medianMs(const std::function<void()> &prepare, const std::function<void()> &measured)
{
    QVector<double> runs;
    for (int i = 0; i < Repeats; ++i) {
        prepare();
        runs << timeMs(measured);
    }
    return median(runs);
}

const QStringList FirstNames = {"Anna",  "Mary",  "John",   "Pekka",  "José",
                                "Ann",   "Liisa", "Omar",   "Jürgen", "Sofia",
                                "Mikko", "Chen",  "Fatima", "Joanna", "Ville"};
const QStringList LastNames = {"Virtanen", "Smith",  "Korhonen", "García", "Müller",  "Ann",
                               "Nieminen", "Haddad", "Berg",     "Lee",    "Mäkinen", "Rossi"};

// The address book of the generated history: about a third of the numbers have one contact, a
// few have two.
class GeneratedContacts : public CommHistory::ContactResolver
{
public:
    QHash<QString, QList<Event::Contact>> contacts;
    QList<Event::Contact> contactsFor(const QString &, const QString &remoteUid) override
    {
        return contacts.value(remoteUid);
    }
};

// A history of `count` calls from about count / 4 parties, one every 7 to 20 minutes back from
// now, newest first.
QList<Event> generate(int count, GeneratedContacts *book)
{
    QRandomGenerator random(20261207);
    QStringList parties;
    for (int i = 0; i < qMax(1, count / 4); ++i) {
        const QString number = QStringLiteral("+35840%1").arg(random.bounded(1000000, 9999999));
        parties << number;
        const int kind = random.bounded(100);
        auto name = [&] {
            return FirstNames.at(random.bounded(FirstNames.size())) + ' ' +
                   LastNames.at(random.bounded(LastNames.size()));
        };
        if (kind < 30)
            book->contacts.insert(number, {{quint32(i + 1), name()}});
        else if (kind < 33)
            book->contacts.insert(number,
                                  {{quint32(i + 1), name()}, {quint32(i + 100000), name()}});
    }
    QList<Event> calls;
    qint64 end = QDateTime::currentSecsSinceEpoch();
    for (int i = 0; i < count; ++i) {
        Event e;
        e.setType(Event::CallEvent);
        e.setDirection(random.bounded(2) ? Event::Inbound : Event::Outbound);
        e.setLocalUid(QStringLiteral("/org/freedesktop/Telepathy/Account/pulse/tel/pulse"));
        e.setRemoteUid(parties.at(random.bounded(parties.size())));
        e.setStartTimeT(end - random.bounded(10, 600));
        e.setEndTimeT(end);
        e.setIsRead(true);
        calls << e;
        end -= random.bounded(7 * 60, 20 * 60);
    }
    return calls;
}

// A bare list of events, for measuring an insert without the store.
class EventList : public QAbstractListModel
{
public:
    QVector<Event> events;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : events.size();
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::UserRole || index.row() >= events.size())
            return QVariant();
        return QVariant::fromValue(events.at(index.row()));
    }
    void insertAtTop(const Event &event)
    {
        beginInsertRows(QModelIndex(), 0, 0);
        events.prepend(event);
        endInsertRows();
    }
    void removeTop()
    {
        beginRemoveRows(QModelIndex(), 0, 0);
        events.removeFirst();
        endRemoveRows();
    }
};

// The plain search loop: the same expression over the number and the single contact's name.
int plainSearch(const QRegExp &expression, const QVector<QString> &numbers,
                const QVector<QString> &names)
{
    QRegExp rx(expression);
    int found = 0;
    for (int i = 0; i < numbers.size(); ++i) {
        if (rx.indexIn(numbers.at(i), 0) != -1 ||
            (!names.at(i).isNull() && rx.indexIn(names.at(i), 0) != -1))
            ++found;
    }
    return found;
}

void report(const char *what, int calls, double ms, double baselineMs, const char *baseline)
{
    std::printf("%-34s %7d calls  %9.3f ms  baseline %9.3f ms (%s)  ratio %5.2f\n", what, calls, ms,
                baselineMs, baseline, baselineMs > 0 ? ms / baselineMs : 0.0);
}

void run(int count)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("history.db");
    auto book = std::make_shared<GeneratedContacts>();
    QList<Event> calls = generate(count, book.get());
    {
        CommHistory::EventStore store(path);
        if (!store.open() || !store.addEvents(calls)) {
            std::fprintf(stderr, "cannot store the calls: %s\n", qPrintable(store.errorString()));
            return;
        }
    }

    QThread thread;
    thread.start();
    CommHistory::CallModel model;
    model.setDatabasePath(path);
    model.setBackgroundThread(&thread);
    model.setContactResolver(book);
    model.setFilter(CommHistory::CallModel::SortByTime, CommHistory::CallModel::AllCalls);
    model.setFirstChunkSize(1000);
    model.setChunkSize(5000);
    bool ready = false;
    QObject::connect(&model, &CommHistory::CallModel::modelReady, [&] { ready = true; });
    model.getEvents();
    while (!ready || model.rowCount() < count)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);

    CallHistoryFilterProxyModel filter(&model);
    filter.setDynamicSortFilter(true);
    CallHistoryGroupedModel grouped(&filter);

    // The strings the search reads, in the same order, for the plain loop.
    QVector<QString> numbers, names;
    for (int r = 0; r < model.rowCount(); ++r) {
        const Event e = model.event(model.index(r, 0));
        numbers << e.remoteUid();
        names << (e.contacts().size() == 1 ? e.contacts().first().second : QString());
    }

    struct Keystroke
    {
        const char *what, *before, *after;
    };
    const Keystroke keystrokes[] = {{"keystroke, number (12 -> 123)", "12", "123"},
                                    {"keystroke, name (an -> ann)", "an", "ann"},
                                    {"keystroke, first (none -> 4)", "", "4"}};
    for (const Keystroke &k : keystrokes) {
        const QRegExp expression(
            CallHistoryFilterProxyModel::buildSearchPattern(QString::fromUtf8(k.after)),
            Qt::CaseInsensitive, QRegExp::RegExp);
        int found = 0;
        const double baseline =
            medianMs([] {}, [&] { found = plainSearch(expression, numbers, names); });
        const double ms = medianMs([&] { filter.setFilterText(QString::fromUtf8(k.before)); },
                                   [&] { filter.setFilterText(QString::fromUtf8(k.after)); });
        if (filter.rowCount() != found)
            std::fprintf(stderr, "%s: the filter shows %d calls, the plain loop found %d\n", k.what,
                         filter.rowCount(), found);
        report(k.what, count, ms, baseline, "plain QRegExp loop");
    }
    filter.setFilterText(QString());

    const double readBaseline =
        medianMs([] {},
                 [&] {
                     qint64 sum = 0;
                     for (int r = 0; r < filter.rowCount(); ++r)
                         sum += filter.index(r, 0).data(Qt::UserRole).value<Event>().endTimeT();
                     if (sum == 42)
                         std::printf(" ");
                 });
    const double regroup = medianMs([] {}, [&] { grouped.resetHeaders(); });
    report("full regroup", count, regroup, readBaseline, "read every event");

    // mapToSource of the last row, per call.
    const int loops = 100000;
    const QModelIndex lastHeader = grouped.index(grouped.rowCount() - 1, 0);
    const QModelIndex last = grouped.index(grouped.rowCount(lastHeader) - 1, 0, lastHeader);
    const int lastSourceRow = filter.rowCount() - 1;
    const double indexBaseline = medianMs([] {},
                                          [&] {
                                              int sink = 0;
                                              for (int i = 0; i < loops; ++i)
                                                  sink += filter.index(lastSourceRow, 0).row();
                                              if (sink == 42)
                                                  std::printf(" ");
                                          });
    const double map = medianMs([] {},
                                [&] {
                                    int sink = 0;
                                    for (int i = 0; i < loops; ++i)
                                        sink += grouped.mapToSource(last).row();
                                    if (sink == 42)
                                        std::printf(" ");
                                });
    report("mapToSource, last row (x100000)", count, map, indexBaseline, "source index()");

    // One call at the top of a bare list, alone and with the filter and the groups on it.
    EventList list;
    list.events = calls.toVector();
    Event newest = calls.first();
    newest.setId(count + 1);
    newest.setEndTimeT(calls.first().endTimeT() + 60);
    auto takeBack = [&] {
        if (list.events.first().id() == newest.id())
            list.removeTop();
    };
    const double bareInsert = medianMs(takeBack, [&] { list.insertAtTop(newest); });
    CallHistoryFilterProxyModel listFilter(&list);
    listFilter.setDynamicSortFilter(true);
    CallHistoryGroupedModel listGroups(&listFilter);
    const double chainInsert = medianMs(takeBack, [&] { list.insertAtTop(newest); });
    report("insert at the top", count, chainInsert, bareInsert, "bare list");

    thread.quit();
    thread.wait();
}

} // namespace

int main(int argc, char **argv)
{
    MApplication app(argc, argv, QStringLiteral("bench-historymodels"));
    // Given counts run alone (for an instruction count of one size).
    QVector<int> counts;
    for (int i = 1; i < argc; ++i)
        if (const int count = QByteArray(argv[i]).toInt(); count > 0)
            counts << count;
    if (counts.isEmpty())
        counts = {10000, 100000};
    for (int count : qAsConst(counts))
        run(count);
    return 0;
}
