#include "callhistoryfilterproxymodel.h"
#include "callhistorygroupedmodel.h"
#include "callhistorylocale.h"
#include "callmodel.h"
#include "eventstore.h"
#include "mapplication.h"
#include "testeventmodel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using CommHistory::Event;

namespace {

QDateTime at(int month, int day, int h = 12, int m = 0, int s = 0)
{
    return QDateTime(QDate(2026, month, day), QTime(h, m, s));
}

// A call history model whose deletions are refused, or carried out only when told: the
// removal of a store that failed, or that works in its own thread.
class DeferringCallModel : public CommHistory::CallModel
{
public:
    bool refuse = false;
    QList<int> requested;

    bool deleteEvent(int id) override
    {
        if (refuse)
            return false;
        requested << id;
        return true;
    }
    void carryOut()
    {
        for (int id : qAsConst(requested))
            CommHistory::CallModel::deleteEvent(id);
        requested.clear();
    }
};

// Stores calls that ended at `ends` (oldest first) in a new database at `path`.
bool storeCalls(const QString &path, const QList<QDateTime> &ends)
{
    CommHistory::EventStore store(path);
    if (!store.open())
        return false;
    QList<Event> calls;
    for (const QDateTime &end : ends)
        calls << TestEventModel::call(-1, end, QString("+3584000%1").arg(calls.size()));
    return store.addEvents(calls);
}

bool load(CommHistory::CallModel *calls, const QString &path)
{
    calls->setDatabasePath(path);
    QSignalSpy ready(calls, &CommHistory::CallModel::modelReady);
    return calls->getEvents() && ready.wait(10000) && ready.last().at(0).toBool();
}

int storedCount(const QString &path)
{
    CommHistory::EventStore store(path);
    int stored = -1;
    if (!store.open() || !store.count(CommHistory::EventFilter(), &stored))
        return -1;
    return stored;
}

} // namespace

// Day groups of the call history: which call goes under which header, on every day of the week
// and with either first day of the week, and how the groups follow changes of the rows, of the
// day and of the settings, announcing each change so that views and persistent indexes follow.
class TestCallHistoryGroupedModel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void shouldGroupByDayOfWeek_data();
    void shouldGroupByDayOfWeek();
    void shouldPutBoundaryTimesInTheNewerGroup_data();
    void shouldPutBoundaryTimesInTheNewerGroup();
    void shouldKeepCallsWithoutEndTimeWithTheirNeighbours_data();
    void shouldKeepCallsWithoutEndTimeWithTheirNeighbours();
    void shouldShowNoHeadersForAnEmptySource();
    void shouldGroupStoredCallsAsReadingEveryRowDoes_data();
    void shouldGroupStoredCallsAsReadingEveryRowDoes();
    void shouldCountInsertedCallsInPlace_data();
    void shouldCountInsertedCallsInPlace();
    void shouldRemoveRowsAndEmptiedHeaders_data();
    void shouldRemoveRowsAndEmptiedHeaders();
    void shouldRegroupOnDayBreakAndSettingChanges_data();
    void shouldRegroupOnDayBreakAndSettingChanges();
    void shouldRegroupWhenTheNewestCallChangesGroup_data();
    void shouldRegroupWhenTheNewestCallChangesGroup();
    void shouldAnswerEveryRoleOfAHeaderWithItsTitle_data();
    void shouldAnswerEveryRoleOfAHeaderWithItsTitle();
    void shouldAnswerGroupedQueries();
    void shouldFollowASearchOfTheFilterModel();
    void shouldAnimateTheRemovalOfADeletedEvent();
    void shouldAnnounceOnlyTheRemovalThatTheStoreCarriesOut();

private:
    std::unique_ptr<CallHistoryGroupedModel> groupedModel(QAbstractItemModel *source);
    void setEvents(const QVector<Event> &events);
    QString groups(const CallHistoryGroupedModel &model) const;
    void verifyMapping(const CallHistoryGroupedModel &model, const QAbstractItemModel &source);
    void record(CallHistoryGroupedModel &model);
    static QString shortTitle(const QString &title);

    QDateTime m_now;
    std::unique_ptr<CallHistoryLocale> m_locale;
    std::unique_ptr<TestEventModel> m_source;
    std::unique_ptr<QAbstractItemModelTester> m_sourceTester;
    QList<std::shared_ptr<QAbstractItemModelTester>> m_testers;
    QStringList m_signals;
};

void TestCallHistoryGroupedModel::init()
{
    MLocale::setDefault(MLocale(QStringLiteral("de_DE"))); // Monday first
    m_now = at(6, 10);                                     // a Wednesday
    m_locale.reset(new CallHistoryLocale([this] { return m_now; }));
    m_source.reset(new TestEventModel);
    m_sourceTester.reset(new QAbstractItemModelTester(m_source.get()));
    m_signals.clear();
}

void TestCallHistoryGroupedModel::cleanup()
{
    m_testers.clear();
    m_sourceTester.reset();
    m_source.reset();
    m_locale.reset();
}

std::unique_ptr<CallHistoryGroupedModel>
TestCallHistoryGroupedModel::groupedModel(QAbstractItemModel *source)
{
    std::unique_ptr<CallHistoryGroupedModel> model(
        new CallHistoryGroupedModel(m_locale.get(), source));
    m_testers << std::make_shared<QAbstractItemModelTester>(model.get());
    return model;
}

void TestCallHistoryGroupedModel::setEvents(const QVector<Event> &events)
{
    m_source->setEvents(events);
}

QString TestCallHistoryGroupedModel::shortTitle(const QString &title)
{
    static const QList<QPair<const char *, const char *>> ids = {
        {"qtn_comm_time_today", "today"},
        {"qtn_comm_time_yesterday", "yesterday"},
        {"qtn_comm_time_last_week", "lastweek"},
        {"qtn_comm_older", "older"}};
    for (const auto &id : ids)
        if (title == qtTrId(id.first))
            return QString::fromLatin1(id.second);
    return title;
}

// "title:count" for every header, in order, through the grouped queries.
QString TestCallHistoryGroupedModel::groups(const CallHistoryGroupedModel &model) const
{
    QStringList parts;
    for (int g = 0; g < model.groupCount(); ++g)
        parts << shortTitle(model.groupTitle(g)) + ':' + QString::number(model.rowCountInGroup(g));
    return parts.join(' ');
}

// Every source row is shown once, in source order, and maps back to itself.
void TestCallHistoryGroupedModel::verifyMapping(const CallHistoryGroupedModel &model,
                                                const QAbstractItemModel &source)
{
    int row = 0;
    for (int g = 0; g < model.rowCount(); ++g) {
        const QModelIndex header = model.index(g, 0);
        QVERIFY(model.rowCount(header) > 0);
        for (int r = 0; r < model.rowCount(header); ++r, ++row) {
            const QModelIndex child = model.index(r, 0, header);
            QCOMPARE(model.mapToSource(child), source.index(row, 0));
            QCOMPARE(model.mapFromSource(source.index(row, 0)), child);
            QCOMPARE(child.data(Qt::UserRole).value<Event>().id(),
                     source.index(row, 0).data(Qt::UserRole).value<Event>().id());
        }
    }
    QCOMPARE(row, source.rowCount());
    QVERIFY(!model.mapFromSource(source.index(row, 0)).isValid());
}

// Structural signals of the model as short text: "remove(<parent>:<first>..<last>[ animated])"
// with the parent "root" or the header row, "insert(...)", "layout", "reset", "data(...)".
void TestCallHistoryGroupedModel::record(CallHistoryGroupedModel &model)
{
    auto where = [](const QModelIndex &parent, int first, int last) {
        return (parent.isValid() ? QString::number(parent.row()) : QStringLiteral("root")) + ':' +
               QString::number(first) + ".." + QString::number(last);
    };
    CallHistoryGroupedModel *m = &model;
    connect(m, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this, m, where](const QModelIndex &parent, int first, int last) {
                m_signals << "remove(" + where(parent, first, last) +
                                 (m->isAnimatedRemoval() ? " animated)" : ")");
            });
    connect(m, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this, where](const QModelIndex &parent, int first, int last) {
                m_signals << "insert(" + where(parent, first, last) + ')';
            });
    connect(m, &QAbstractItemModel::layoutChanged, this, [this] { m_signals << "layout"; });
    connect(m, &QAbstractItemModel::modelReset, this, [this] { m_signals << "reset"; });
    connect(m, &QAbstractItemModel::dataChanged, this,
            [this, where](const QModelIndex &first, const QModelIndex &last) {
                m_signals << "data(" + where(first.parent(), first.row(), last.row()) + ')';
            });
}

void TestCallHistoryGroupedModel::shouldGroupByDayOfWeek_data()
{
    QTest::addColumn<QString>("firstDay");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("expected");
    const QString monday = QStringLiteral("de_DE"), sunday = QStringLiteral("en_US");
    QTest::newRow("Monday first, on Monday")
        << monday << QDate(2026, 6, 8) << "today:1 lastweek:7 older:9";
    QTest::newRow("Monday first, on Tuesday")
        << monday << QDate(2026, 6, 9) << "today:1 yesterday:1 lastweek:7 older:8";
    QTest::newRow("Monday first, on Wednesday")
        << monday << QDate(2026, 6, 10) << "today:1 yesterday:1 Monday:1 lastweek:7 older:7";
    QTest::newRow("Monday first, on Thursday")
        << monday << QDate(2026, 6, 11)
        << "today:1 yesterday:1 Tuesday:1 Monday:1 lastweek:7 older:6";
    QTest::newRow("Monday first, on Friday")
        << monday << QDate(2026, 6, 12)
        << "today:1 yesterday:1 Wednesday:1 Tuesday:1 Monday:1 lastweek:7 older:5";
    QTest::newRow("Monday first, on Saturday")
        << monday << QDate(2026, 6, 13)
        << "today:1 yesterday:1 Thursday:1 Wednesday:1 Tuesday:1 Monday:1 lastweek:7 older:4";
    QTest::newRow("Monday first, on Sunday")
        << monday << QDate(2026, 6, 14)
        << "today:1 yesterday:1 Friday:1 Thursday:1 Wednesday:1 Tuesday:1 Monday:1 lastweek:7 "
           "older:3";
    QTest::newRow("Sunday first, on Sunday")
        << sunday << QDate(2026, 6, 7) << "today:1 lastweek:7 older:9";
    QTest::newRow("Sunday first, on Monday")
        << sunday << QDate(2026, 6, 8) << "today:1 yesterday:1 lastweek:7 older:8";
    QTest::newRow("Sunday first, on Tuesday")
        << sunday << QDate(2026, 6, 9) << "today:1 yesterday:1 Sunday:1 lastweek:7 older:7";
    QTest::newRow("Sunday first, on Wednesday")
        << sunday << QDate(2026, 6, 10)
        << "today:1 yesterday:1 Monday:1 Sunday:1 lastweek:7 older:6";
    QTest::newRow("Sunday first, on Thursday")
        << sunday << QDate(2026, 6, 11)
        << "today:1 yesterday:1 Tuesday:1 Monday:1 Sunday:1 lastweek:7 older:5";
    QTest::newRow("Sunday first, on Friday")
        << sunday << QDate(2026, 6, 12)
        << "today:1 yesterday:1 Wednesday:1 Tuesday:1 Monday:1 Sunday:1 lastweek:7 older:4";
    QTest::newRow("Sunday first, on Saturday")
        << sunday << QDate(2026, 6, 13)
        << "today:1 yesterday:1 Thursday:1 Wednesday:1 Tuesday:1 Monday:1 Sunday:1 lastweek:7 "
           "older:3";
}

void TestCallHistoryGroupedModel::shouldGroupByDayOfWeek()
{
    QFETCH(QString, firstDay);
    QFETCH(QDate, today);
    QFETCH(QString, expected);
    MLocale::setDefault(MLocale(firstDay));
    m_now = QDateTime(today, QTime(12, 0));
    // One call at noon on each of the 17 days up to today, newest first.
    QVector<Event> calls;
    for (int back = 0; back < 17; ++back)
        calls << TestEventModel::call(back + 1, m_now.addDays(-back));
    setEvents(calls);
    auto model = groupedModel(m_source.get());
    QCOMPARE(groups(*model), expected);
    verifyMapping(*model, *m_source);
}

void TestCallHistoryGroupedModel::shouldPutBoundaryTimesInTheNewerGroup_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QDateTime>("end");
    QTest::addColumn<QString>("expected");
    QTest::newRow("midnight today") << at(6, 10) << at(6, 10, 0, 0, 0) << "today:1";
    QTest::newRow("last second of yesterday") << at(6, 10) << at(6, 9, 23, 59, 59) << "yesterday:1";
    QTest::newRow("later than now") << at(6, 10) << at(6, 11, 9) << "today:1";
    QTest::newRow("start of a weekday") << at(6, 10) << at(6, 8, 0, 0, 0) << "Monday:1";
    QTest::newRow("start of last week") << at(6, 10) << at(6, 1, 0, 0, 0) << "lastweek:1";
    QTest::newRow("end of the week before") << at(6, 10) << at(5, 31, 23, 59, 59) << "older:1";
    QTest::newRow("yesterday on the first day") << at(6, 8) << at(6, 7, 23, 59, 59) << "lastweek:1";
}

void TestCallHistoryGroupedModel::shouldPutBoundaryTimesInTheNewerGroup()
{
    QFETCH(QDateTime, now);
    QFETCH(QDateTime, end);
    QFETCH(QString, expected);
    m_now = now;
    setEvents({TestEventModel::call(1, end)});
    auto model = groupedModel(m_source.get());
    QCOMPARE(groups(*model), expected);
}

void TestCallHistoryGroupedModel::shouldKeepCallsWithoutEndTimeWithTheirNeighbours_data()
{
    QTest::addColumn<QVector<Event>>("calls");
    QTest::addColumn<QString>("expected");
    const Event none = TestEventModel::call(9, QDateTime());
    QTest::newRow("alone") << QVector<Event>{none} << "today:1";
    QTest::newRow("at the top") << QVector<Event>{none, TestEventModel::call(1, at(6, 9))}
                                << "today:1 yesterday:1";
    QTest::newRow("after today's call") << QVector<Event>{TestEventModel::call(1, at(6, 10, 8)),
                                                          none, TestEventModel::call(2, at(6, 9))}
                                        << "today:2 yesterday:1";
    QTest::newRow("between last week and older")
        << QVector<Event>{TestEventModel::call(1, at(6, 2)), none,
                          TestEventModel::call(2, at(5, 2))}
        << "lastweek:2 older:1";
}

void TestCallHistoryGroupedModel::shouldKeepCallsWithoutEndTimeWithTheirNeighbours()
{
    QFETCH(QVector<Event>, calls);
    QFETCH(QString, expected);
    setEvents(calls);
    auto model = groupedModel(m_source.get());
    QCOMPARE(groups(*model), expected);
    verifyMapping(*model, *m_source);
}

void TestCallHistoryGroupedModel::shouldShowNoHeadersForAnEmptySource()
{
    auto model = groupedModel(m_source.get());
    QCOMPARE(model->rowCount(), 0);
    QCOMPARE(model->groupCount(), 0);
    QCOMPARE(model->rowCountInGroup(-1), 0);
}

void TestCallHistoryGroupedModel::shouldGroupStoredCallsAsReadingEveryRowDoes_data()
{
    // The calls stored, the search typed, the groups expected.
    QTest::addColumn<QList<QDateTime>>("ends");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("expected");
    QList<QDateTime> fortnight;
    for (int back = 20; back >= 0; --back)
        fortnight << at(6, 10, 18).addSecs(-back * 12 * 3600);
    QTest::newRow("every half day of three weeks")
        << fortnight << ""
        << "today:2 yesterday:2 Monday:2 lastweek:14 older:1";
    QTest::newRow("searching") << fortnight << "4000"
                               << "today:2 yesterday:2 Monday:2 lastweek:14 older:1";
    QTest::newRow("searching some") << fortnight << "40001"
                                    << "today:1 yesterday:2 Monday:2 lastweek:6";
    QTest::newRow("boundaries") << QList<QDateTime>{at(5, 31, 23, 59, 59), at(6, 1, 0, 0, 0),
                                                    at(6, 8, 0, 0, 0), at(6, 9, 23, 59, 59),
                                                    at(6, 10, 0, 0, 0)}
                                << ""
                                << "today:1 yesterday:1 Monday:1 lastweek:1 older:1";
    QTest::newRow("later than now") << QList<QDateTime>{at(6, 9), at(6, 12)} << ""
                                    << "today:1 yesterday:1";
    QTest::newRow("none") << QList<QDateTime>{} << ""
                          << "";
}

void TestCallHistoryGroupedModel::shouldGroupStoredCallsAsReadingEveryRowDoes()
{
    QFETCH(QList<QDateTime>, ends);
    QFETCH(QString, search);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath("history.db");
    QVERIFY(storeCalls(path, ends));
    CommHistory::CallModel calls;
    QVERIFY(load(&calls, path));
    CallHistoryFilterProxyModel filter(&calls);
    QAbstractItemModelTester filterTester(&filter);
    auto model = groupedModel(&filter);
    filter.setFilterText(search);

    // The same rows in a plain list, grouped by reading each one.
    QVector<Event> shown;
    for (int r = 0; r < filter.rowCount(); ++r)
        shown << filter.index(r, 0).data(Qt::UserRole).value<Event>();
    setEvents(shown);
    auto reading = groupedModel(m_source.get());

    QCOMPARE(groups(*model), expected);
    QCOMPARE(groups(*reading), expected);
    verifyMapping(*model, filter);
}

void TestCallHistoryGroupedModel::shouldCountInsertedCallsInPlace_data()
{
    QTest::addColumn<QVector<Event>>("before");
    QTest::addColumn<int>("row");
    QTest::addColumn<QVector<Event>>("inserted");
    QTest::addColumn<QString>("expected");
    auto call = [](int id, const QDateTime &end) { return TestEventModel::call(id, end); };
    const QVector<Event> yesterday{call(1, at(6, 9, 10)), call(2, at(6, 9, 9))};
    QTest::newRow("new call creates today's header")
        << yesterday << 0 << QVector<Event>{call(10, at(6, 10, 11))} << "today:1 yesterday:2";
    QTest::newRow("new call joins today")
        << (QVector<Event>{call(1, at(6, 10, 9))} + yesterday) << 0
        << QVector<Event>{call(10, at(6, 10, 11))} << "today:2 yesterday:2";
    QTest::newRow("older chunk appended across groups")
        << yesterday << 2
        << QVector<Event>{call(10, at(6, 8)), call(11, at(6, 3)), call(12, at(6, 1)),
                          call(13, at(5, 20))}
        << "yesterday:2 Monday:1 lastweek:2 older:1";
    QTest::newRow("call inside a group")
        << yesterday << 1 << QVector<Event>{call(10, at(6, 9, 9, 30))} << "yesterday:3";
    QTest::newRow("call without end time at the top")
        << yesterday << 0 << QVector<Event>{call(10, QDateTime())} << "today:1 yesterday:2";
    QTest::newRow("call without end time inside a group")
        << yesterday << 1 << QVector<Event>{call(10, QDateTime())} << "yesterday:3";
    QTest::newRow("newer call out of order inside a group")
        << yesterday << 1 << QVector<Event>{call(10, at(6, 10, 11))} << "yesterday:3";
    QTest::newRow("newer call out of order between groups")
        << QVector<Event>{call(1, at(6, 9)), call(2, at(5, 1))} << 1
        << QVector<Event>{call(10, at(6, 10, 11))} << "yesterday:2 older:1";
    QTest::newRow("call between groups opens the group between")
        << QVector<Event>{call(1, at(6, 10, 9)), call(2, at(5, 1))} << 1
        << QVector<Event>{call(10, at(6, 2))} << "today:1 lastweek:1 older:1";
}

void TestCallHistoryGroupedModel::shouldCountInsertedCallsInPlace()
{
    QFETCH(QVector<Event>, before);
    QFETCH(int, row);
    QFETCH(QVector<Event>, inserted);
    QFETCH(QString, expected);
    setEvents(before);
    auto model = groupedModel(m_source.get());
    // Persistent indexes of every shown call, which must still show the same calls afterwards.
    QList<QPersistentModelIndex> kept;
    for (int g = 0; g < model->rowCount(); ++g)
        for (int r = 0; r < model->rowCount(model->index(g, 0)); ++r)
            kept << QPersistentModelIndex(model->index(r, 0, model->index(g, 0)));
    record(*model);

    m_source->insertEvents(row, inserted);

    QCOMPARE(groups(*model), expected);
    QCOMPARE(m_signals.join(' '), QStringLiteral("layout"));
    verifyMapping(*model, *m_source);
    for (int i = 0; i < kept.size(); ++i) {
        QVERIFY(kept.at(i).isValid());
        QCOMPARE(kept.at(i).data(Qt::UserRole).value<Event>().id(), before.at(i).id());
    }
}

void TestCallHistoryGroupedModel::shouldRemoveRowsAndEmptiedHeaders_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("signalled");
    // today:1 yesterday:2 Monday:1 older:2
    QTest::newRow("the only call of a group") << 0 << 1 << "yesterday:2 Monday:1 older:2"
                                              << "remove(0:0..0) remove(root:0..0)";
    QTest::newRow("one call of two") << 2 << 1 << "today:1 yesterday:1 Monday:1 older:2"
                                     << "remove(1:1..1)";
    QTest::newRow("a whole group in the middle") << 1 << 2 << "today:1 Monday:1 older:2"
                                                 << "remove(1:0..1) remove(root:1..1)";
    QTest::newRow("rows of several groups") << 2 << 3 << "today:1 yesterday:1 older:1"
                                            << "layout";
    QTest::newRow("everything") << 0 << 6 << ""
                                << "layout";
}

void TestCallHistoryGroupedModel::shouldRemoveRowsAndEmptiedHeaders()
{
    QFETCH(int, row);
    QFETCH(int, count);
    QFETCH(QString, expected);
    QFETCH(QString, signalled);
    setEvents({TestEventModel::call(1, at(6, 10, 9)), TestEventModel::call(2, at(6, 9, 20)),
               TestEventModel::call(3, at(6, 9, 8)), TestEventModel::call(4, at(6, 8, 8)),
               TestEventModel::call(5, at(5, 8)), TestEventModel::call(6, at(4, 8))});
    auto model = groupedModel(m_source.get());
    const QPersistentModelIndex last = model->index(1, 0, model->index(3, 0)); // call 6
    record(*model);

    m_source->removeEvents(row, count);

    QCOMPARE(groups(*model), expected);
    QCOMPARE(m_signals.join(' '), signalled);
    verifyMapping(*model, *m_source);
    if (row + count < 6)
        QCOMPARE(last.data(Qt::UserRole).value<Event>().id(), 6);
    else
        QVERIFY(!last.isValid());
}

void TestCallHistoryGroupedModel::shouldRegroupOnDayBreakAndSettingChanges_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("expected");
    QTest::newRow("day break") << "dayBreakOccured"
                               << "yesterday:1 Tuesday:1 Monday:1 lastweek:1";
    QTest::newRow("clock or time zone set") << "timeSettingsChanged"
                                            << "yesterday:1 Tuesday:1 Monday:1 lastweek:1";
    QTest::newRow("first day of the week") << "settingsChanged"
                                           << "today:1 yesterday:1 Monday:1 Sunday:1";
}

void TestCallHistoryGroupedModel::shouldRegroupOnDayBreakAndSettingChanges()
{
    QFETCH(QString, change);
    QFETCH(QString, expected);
    // Wednesday: today, yesterday, Monday, last week (the Sunday call).
    setEvents({TestEventModel::call(1, at(6, 10, 9)), TestEventModel::call(2, at(6, 9, 9)),
               TestEventModel::call(3, at(6, 8, 9)), TestEventModel::call(4, at(6, 7, 9))});
    auto model = groupedModel(m_source.get());
    QCOMPARE(groups(*model), QStringLiteral("today:1 yesterday:1 Monday:1 lastweek:1"));
    const QPersistentModelIndex todayHeader = model->index(0, 0);
    const QPersistentModelIndex sundayCall = model->index(0, 0, model->index(3, 0));
    record(*model);

    if (change == "settingsChanged") {
        MLocale::setDefault(MLocale(QStringLiteral("en_US")));
        Q_EMIT m_locale->locale()->settingsChanged();
    } else {
        m_now = at(6, 11, 0, 0, 59);
        if (change == "dayBreakOccured")
            QVERIFY(QMetaObject::invokeMethod(m_locale.get(), "onDayBreakOccured"));
        else
            Q_EMIT m_locale->timeSettingsChanged();
    }

    QCOMPARE(groups(*model), expected);
    // A locale change arrives twice (from the locale and as a time settings change).
    m_signals.removeDuplicates();
    QCOMPARE(m_signals.join(' '), QStringLiteral("layout"));
    verifyMapping(*model, *m_source);
    // The header of the same day stays under the persistent index, whatever its title now.
    QCOMPARE(todayHeader.row(), 0);
    QCOMPARE(sundayCall.data(Qt::UserRole).value<Event>().id(), 4);
}

void TestCallHistoryGroupedModel::shouldRegroupWhenTheNewestCallChangesGroup_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QDateTime>("end");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("signalled");
    QTest::newRow("newest call moves to yesterday") << 0 << at(6, 9, 22) << "yesterday:2"
                                                    << "layout data(0:0..0)";
    QTest::newRow("newest call stays today") << 0 << at(6, 10, 1) << "today:1 yesterday:1"
                                             << "data(0:0..0)";
    QTest::newRow("other call") << 1 << at(6, 9, 2) << "today:1 yesterday:1"
                                << "data(1:0..0)";
}

void TestCallHistoryGroupedModel::shouldRegroupWhenTheNewestCallChangesGroup()
{
    QFETCH(int, row);
    QFETCH(QDateTime, end);
    QFETCH(QString, expected);
    QFETCH(QString, signalled);
    setEvents({TestEventModel::call(1, at(6, 10, 9)), TestEventModel::call(2, at(6, 9, 9))});
    auto model = groupedModel(m_source.get());
    record(*model);

    m_source->replaceEvent(row, TestEventModel::call(row + 1, end));

    QCOMPARE(groups(*model), expected);
    QCOMPARE(m_signals.join(' '), signalled);
    verifyMapping(*model, *m_source);
}

void TestCallHistoryGroupedModel::shouldAnswerEveryRoleOfAHeaderWithItsTitle_data()
{
    QTest::addColumn<int>("role");
    QTest::newRow("display") << int(Qt::DisplayRole);
    QTest::newRow("decoration") << int(Qt::DecorationRole);
    QTest::newRow("tool tip") << int(Qt::ToolTipRole);
    QTest::newRow("user") << int(Qt::UserRole);
    QTest::newRow("user + 5") << int(Qt::UserRole + 5);
}

void TestCallHistoryGroupedModel::shouldAnswerEveryRoleOfAHeaderWithItsTitle()
{
    QFETCH(int, role);
    setEvents({TestEventModel::call(1, at(6, 10, 9))});
    auto model = groupedModel(m_source.get());
    QCOMPARE(model->index(0, 0).data(role), QVariant(qtTrId("qtn_comm_time_today")));
}

void TestCallHistoryGroupedModel::shouldAnswerGroupedQueries()
{
    setEvents({TestEventModel::call(1, at(6, 10, 9), "a"), TestEventModel::call(2, at(6, 2), "b"),
               TestEventModel::call(3, at(5, 2), "c"), TestEventModel::call(4, at(5, 1), "d")});
    auto model = groupedModel(m_source.get());
    QCOMPARE(model->groupCount(), 3);
    QCOMPARE(model->rowCountInGroup(-1), 4);
    QCOMPARE(model->rowCountInGroup(2), 2);
    QCOMPARE(model->rowCountInGroup(3), 0);
    QCOMPARE(model->groupTitle(1), qtTrId("qtn_comm_time_last_week"));
    QCOMPARE(model->groupTitle(3), QString());
    QCOMPARE(model->itemData(1, 2).toString(), QStringLiteral("d"));
    QCOMPARE(model->itemData(0, 1, Qt::UserRole).value<Event>().id(), 2);
    QVERIFY(!model->itemData(2, 2).isValid());
    // The last row maps to the last source row and back.
    const QModelIndex lastRow = model->index(1, 0, model->index(2, 0));
    QCOMPARE(model->mapToSource(lastRow), m_source->index(3, 0));
    QVERIFY(!model->mapToSource(model->index(2, 0)).isValid());
}

void TestCallHistoryGroupedModel::shouldFollowASearchOfTheFilterModel()
{
    setEvents({TestEventModel::call(1, at(6, 10, 9), "+35840111"),
               TestEventModel::call(2, at(6, 9, 9), "+35840222"),
               TestEventModel::call(3, at(6, 9, 8), "+35840111"),
               TestEventModel::call(4, at(5, 9, 8), "+35840222")});
    CallHistoryFilterProxyModel filter(m_source.get());
    QAbstractItemModelTester filterTester(&filter);
    auto model = groupedModel(&filter);
    record(*model);

    filter.setFilterText(QStringLiteral("222"));
    QCOMPARE(groups(*model), QStringLiteral("yesterday:1 older:1"));
    verifyMapping(*model, filter);
    filter.setFilterText(QString());
    QCOMPARE(groups(*model), QStringLiteral("today:1 yesterday:2 older:1"));
    verifyMapping(*model, filter);
    QCOMPARE(m_signals.join(' '), QStringLiteral("reset reset"));
}

void TestCallHistoryGroupedModel::shouldAnimateTheRemovalOfADeletedEvent()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("history.db");
    QVERIFY(storeCalls(path, {at(6, 9, 8), at(6, 9, 9), at(6, 10, 9)}));
    CommHistory::CallModel calls;
    QVERIFY(load(&calls, path));
    CallHistoryFilterProxyModel filter(&calls);
    QAbstractItemModelTester filterTester(&filter);
    auto model = groupedModel(&filter);
    QCOMPARE(groups(*model), QStringLiteral("today:1 yesterday:2"));
    record(*model);
    QSignalSpy committed(&calls, &CommHistory::CallModel::eventsCommitted);

    model->removeEvent(
        model->index(0, 0, model->index(0, 0)).data(Qt::UserRole).value<Event>().id());

    QCOMPARE(m_signals.join(' '), QStringLiteral("remove(0:0..0 animated) remove(root:0..0)"));
    QCOMPARE(groups(*model), QStringLiteral("yesterday:2"));
    verifyMapping(*model, filter);
    QVERIFY(committed.wait(10000));
    QCOMPARE(committed.last().at(1).toBool(), true);
    QCOMPARE(storedCount(path), 2);
    QCOMPARE(groups(*model), QStringLiteral("yesterday:2"));
}

void TestCallHistoryGroupedModel::shouldAnnounceOnlyTheRemovalThatTheStoreCarriesOut()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("history.db");
    QVERIFY(storeCalls(path, {at(6, 9, 8), at(6, 9, 9), at(6, 10, 9)}));
    DeferringCallModel calls;
    QVERIFY(load(&calls, path));
    CallHistoryFilterProxyModel filter(&calls);
    auto model = groupedModel(&filter);
    record(*model);
    const int newestOfYesterday =
        model->index(0, 0, model->index(1, 0)).data(Qt::UserRole).value<Event>().id();

    calls.refuse = true;
    model->removeEvent(newestOfYesterday);
    QCOMPARE(m_signals.join(' '), QString());
    QCOMPARE(groups(*model), QStringLiteral("today:1 yesterday:2"));

    calls.refuse = false;
    model->removeEvent(newestOfYesterday);
    QCOMPARE(m_signals.join(' '), QString());
    QCOMPARE(groups(*model), QStringLiteral("today:1 yesterday:2"));

    calls.carryOut();
    QCOMPARE(m_signals.join(' '), QStringLiteral("remove(1:0..0)"));
    QCOMPARE(groups(*model), QStringLiteral("today:1 yesterday:1"));
    verifyMapping(*model, filter);
    QTRY_COMPARE(storedCount(path), 2);
}

int main(int argc, char *argv[])
{
    qputenv("LC_ALL", "C");
    qputenv("TZ", "Europe/Helsinki");
    MApplication app(argc, argv, QStringLiteral("call-history-tests"));
    TestCallHistoryGroupedModel test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_callhistorygroupedmodel.moc"
