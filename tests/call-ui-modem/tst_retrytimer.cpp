#include "retrytimer.h"

#include <QtTest>

// The retry of writes that failed: it waits longer after each failure, never spins, and starts
// again from the first delay after a success.
class TestRetryTimer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shouldWaitLongerAfterEachFailure_data()
    {
        QTest::addColumn<int>("failures");
        QTest::addColumn<QString>("delays");
        QTest::newRow("first attempt succeeds") << 0 << "2";
        QTest::newRow("doubles up to the longest") << 5 << "2 4 8 16 16 16";
    }
    void shouldWaitLongerAfterEachFailure()
    {
        QFETCH(int, failures);
        QFETCH(QString, delays);
        QStringList seen;
        int attempts = 0;
        RetryTimer *timer = nullptr;
        RetryTimer retry([&] {
            seen << QString::number(timer->delay());
            return ++attempts > failures;
        });
        timer = &retry;
        retry.setDelays(2, 16);
        // Many failures in a row make one attempt.
        retry.failed();
        retry.failed();
        QVERIFY(retry.isPending());
        QTRY_VERIFY(!retry.isPending());
        QCOMPARE(seen.join(QLatin1Char(' ')), delays);
        QCOMPARE(retry.delay(), 2);
        // A later failure starts again from the first delay.
        seen.clear();
        attempts = failures;
        retry.failed();
        QTRY_VERIFY(!retry.isPending());
        QCOMPARE(seen.join(QLatin1Char(' ')), QStringLiteral("2"));
    }
};

QTEST_GUILESS_MAIN(TestRetryTimer)
#include "tst_retrytimer.moc"
