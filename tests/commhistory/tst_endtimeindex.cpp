#include "endtimeindex.h"

#include <QHash>
#include <QRandomGenerator>
#include <QTest>

using CommHistory::EndTimeIndex;

// The end-time index of the event models: it answers as a plain hash would after any mix of
// insertions and removals, and its one block follows the number of entries.
class TestEndTimeIndex : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shouldAnswerAsAHashAfterAnyChanges_data();
    void shouldAnswerAsAHashAfterAnyChanges();
    void shouldGiveBackItsBlockWhenMostEntriesGo();
};

void TestEndTimeIndex::shouldAnswerAsAHashAfterAnyChanges_data()
{
    // Ids are `step` apart from `first`; `keep` in 10 of the removals are skipped.
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("keep");
    QTest::newRow("consecutive ids") << 1 << 1 << 5;
    QTest::newRow("ids in steps of a power of two") << 0 << 1024 << 5;
    QTest::newRow("negative and extreme ids") << std::numeric_limits<int>::min() << 65537 << 3;
    QTest::newRow("most entries removed") << 100 << 7 << 1;
}

void TestEndTimeIndex::shouldAnswerAsAHashAfterAnyChanges()
{
    QFETCH(int, first);
    QFETCH(int, step);
    QFETCH(int, keep);
    QRandomGenerator random(42);
    EndTimeIndex index;
    QHash<int, qint64> expected;
    const int ids = 3000;
    auto idAt = [&](int n) { return int(quint32(first) + quint32(n) * quint32(step)); };
    for (int round = 0; round < 20000; ++round) {
        const int id = idAt(int(random.bounded(ids)));
        if (random.bounded(3) > 0) {
            const qint64 end = qint64(random.generate64());
            index.insert(id, end);
            expected.insert(id, end);
        } else if (int(random.bounded(10)) >= keep) {
            index.remove(id);
            expected.remove(id);
        }
    }
    QCOMPARE(index.size(), expected.size());
    int wrong = 0;
    for (int n = 0; n < ids; ++n) {
        qint64 end = 0;
        const bool found = index.find(idAt(n), &end);
        const auto it = expected.constFind(idAt(n));
        if (found != (it != expected.constEnd()) || (found && end != *it))
            ++wrong;
    }
    QCOMPARE(wrong, 0);
}

void TestEndTimeIndex::shouldGiveBackItsBlockWhenMostEntriesGo()
{
    EndTimeIndex index;
    for (int id = 1; id <= 100000; ++id)
        index.insert(id, id * 10);
    const int full = index.capacity();
    QVERIFY(full >= 100000 && full <= 4 * 100000);
    for (int id = 201; id <= 100000; ++id)
        index.remove(id);
    QVERIFY2(index.capacity() <= 1024, qPrintable(QString::number(index.capacity())));
    qint64 end = 0;
    QVERIFY(index.find(200, &end) && end == 2000);
    QVERIFY(!index.find(201, &end));
    index.clear();
    QCOMPARE(index.capacity(), 0);
    QVERIFY(!index.find(1, &end));
}

QTEST_GUILESS_MAIN(TestEndTimeIndex)

#include "tst_endtimeindex.moc"
