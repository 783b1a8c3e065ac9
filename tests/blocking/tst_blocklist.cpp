#include "blocklist.h"
#include "mgconfitem.h"

#include <QSignalSpy>
#include <QtTest>

using Blocking::BlockList;

// The block list on real dconf (the test's own profile and bus).
class TestBlockList : public QObject
{
    Q_OBJECT
private:
    static QString matchName(BlockList::Match m)
    {
        switch (m) {
        case BlockList::BlockedNumber:
            return QStringLiteral("number");
        case BlockList::BlockedPrefix:
            return QStringLiteral("prefix");
        case BlockList::BlockedWithheld:
            return QStringLiteral("withheld");
        default:
            return QStringLiteral("allowed");
        }
    }

    static void clear()
    {
        for (int i = 0; i < BlockList::MaxEntries / BlockList::ChunkSize; ++i)
            MGConfItem(BlockList::keyPrefix() + QStringLiteral("entries%1").arg(i)).unset();
        for (const char *key : {"withheld", "notInAddressBook", "calledBackDays"})
            MGConfItem(BlockList::keyPrefix() + QLatin1String(key)).unset();
    }

private Q_SLOTS:
    void init() { clear(); }

    void shouldKeepEntriesInCanonicalForm_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("international") << "+358 40 123-4567"
                                       << "+358401234567";
        QTest::newRow("double zero") << "00358 (40) 1234567"
                                     << "+358401234567";
        QTest::newRow("national") << " 040/123.4567 "
                                  << "0401234567";
        QTest::newRow("prefix") << "+44*"
                                << "+44*";
        QTest::newRow("prefix with separators") << "0800 *"
                                                << "0800*";
        QTest::newRow("letters") << "call me"
                                 << "error: not a number";
        QTest::newRow("pause") << "12345p1"
                               << "error: not a number";
        QTest::newRow("star inside") << "+4*4"
                                     << "error: not a number";
        QTest::newRow("no digits") << "+*"
                                   << "error: a number has 1 to 20 digits";
        QTest::newRow("21 digits")
            << QString(21, QLatin1Char('1')) << "error: a number has 1 to 20 digits";
        QTest::newRow("100 kB") << QString(100 * 1024, QLatin1Char('1')) << "error: too long";
        QTest::newRow("newline") << "12345\n"
                                 << "error: holds a control character (U+000a)";
        QTest::newRow("nul") << QStringLiteral("123") + QChar(0) + "45"
                             << "error: holds a control character (U+0000)";
        QTest::newRow("direction mark")
            << QStringLiteral("\u202e12345") << "error: holds a control character (U+202e)";
    }
    void shouldKeepEntriesInCanonicalForm()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QString error;
        const QString entry = BlockList::canonicalEntry(text, &error);
        const QString got = entry.isEmpty() ? QStringLiteral("error: ") + error : entry;
        QVERIFY2(got.startsWith(expected), qPrintable(got.left(200)));
        // A refused entry is never stored.
        BlockList list;
        QCOMPARE(list.add(text, &error), !entry.isEmpty());
        QCOMPARE(list.entries(), entry.isEmpty() ? QStringList() : QStringList(entry));
    }

    void shouldMatchCallersAsTheHistoryMatchesNumbers_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("caller");
        QTest::addColumn<QString>("expected");
        QTest::newRow("same number") << "+358401234567"
                                     << "+358401234567"
                                     << "number";
        QTest::newRow("national form") << "+358 40 1234567"
                                       << "040 1234567"
                                       << "number";
        QTest::newRow("international caller") << "0401234567"
                                              << "+358401234567"
                                              << "number";
        QTest::newRow("other area") << "+358401234567"
                                    << "050 1234567"
                                    << "allowed";
        QTest::newRow("other number") << "+358401234567"
                                      << "+358401234568"
                                      << "allowed";
        QTest::newRow("short exact") << "12345"
                                     << "12345"
                                     << "number";
        QTest::newRow("short is no tail") << "2345"
                                          << "12345"
                                          << "allowed";
        QTest::newRow("prefix") << "+44*"
                                << "+441632960000"
                                << "prefix";
        QTest::newRow("prefix double zero") << "+44*"
                                            << "00441632960000"
                                            << "prefix";
        QTest::newRow("prefix elsewhere") << "+44*"
                                          << "+358441632960"
                                          << "allowed";
        QTest::newRow("national prefix") << "0800*"
                                         << "0800 123456"
                                         << "prefix";
        QTest::newRow("withheld not switched") << "+44*"
                                               << ""
                                               << "allowed";
    }
    void shouldMatchCallersAsTheHistoryMatchesNumbers()
    {
        QFETCH(QString, entry);
        QFETCH(QString, caller);
        QFETCH(QString, expected);
        BlockList list;
        QString error;
        QVERIFY2(list.add(entry, &error), qPrintable(error));
        QCOMPARE(matchName(list.match(caller)), expected);
    }

    void shouldBlockWithheldCallersWhenSwitchedOn()
    {
        BlockList list;
        QString error;
        QCOMPARE(matchName(list.match(QString())), QStringLiteral("allowed"));
        QVERIFY(list.setBlocksWithheld(true, &error));
        QCOMPARE(matchName(list.match(QString())), QStringLiteral("withheld"));
        QCOMPARE(matchName(list.match(QStringLiteral("+358401234567"))), QStringLiteral("allowed"));
    }

    void shouldKeepCalledBackDays()
    {
        BlockList list;
        QString error;
        QCOMPARE(list.calledBackDays(), 7);
        QVERIFY(list.setCalledBackDays(30, &error));
        QCOMPARE(list.calledBackDays(), 30);
        QVERIFY(!list.setCalledBackDays(-1, &error));
        QVERIFY(!list.setCalledBackDays(366, &error));
        QCOMPARE(error, QStringLiteral("the days of the called-back rule are 0 to 365"));
        QCOMPARE(list.calledBackDays(), 30);
    }

    void shouldRefuseRepeatsAndUnknownRemovals()
    {
        BlockList list;
        QString error;
        QVERIFY(list.add(QStringLiteral("+358401234567"), &error));
        QVERIFY(!list.add(QStringLiteral("00358 40 1234567"), &error));
        QCOMPARE(error, QStringLiteral("+358401234567 is blocked already"));
        QVERIFY(!list.remove(QStringLiteral("+44*"), &error));
        QCOMPARE(error, QStringLiteral("+44* is not blocked"));
        QVERIFY(list.remove(QStringLiteral("+358 40 123 4567"), &error));
        QCOMPARE(list.entries(), QStringList());
        QCOMPARE(matchName(list.match(QStringLiteral("+358401234567"))), QStringLiteral("allowed"));
    }

    // Another list (the program's, the command line's) hears of a change without a restart.
    void shouldFollowChangesMadeElsewhere()
    {
        BlockList service;
        BlockList other;
        QSignalSpy changed(&service, &BlockList::changed);
        QString error;
        QVERIFY(other.add(QStringLiteral("+44*"), &error));
        QTRY_COMPARE(service.entries(), QStringList(QStringLiteral("+44*")));
        QCOMPARE(matchName(service.match(QStringLiteral("+441632960000"))),
                 QStringLiteral("prefix"));
        QVERIFY(changed.count() >= 1);
    }

    // A full list is read, looked up and refused more, with a clear error.
    void shouldHoldAFullListAndRefuseMore()
    {
        for (int c = 0; c < BlockList::MaxEntries / BlockList::ChunkSize; ++c) {
            QStringList chunk;
            for (int i = 0; i < BlockList::ChunkSize; ++i)
                chunk << QStringLiteral("+3584%1").arg(c * BlockList::ChunkSize + i, 8, 10,
                                                       QLatin1Char('0'));
            QVERIFY(
                MGConfItem(BlockList::keyPrefix() + QStringLiteral("entries%1").arg(c)).set(chunk));
        }
        BlockList list;
        QCOMPARE(list.count(), int(BlockList::MaxEntries));
        QCOMPARE(matchName(list.match(QStringLiteral("+358400009999"))), QStringLiteral("number"));
        QCOMPARE(matchName(list.match(QStringLiteral("+358400010000"))), QStringLiteral("allowed"));
        QString error;
        QVERIFY(!list.add(QStringLiteral("+44*"), &error));
        QCOMPARE(error, QStringLiteral("the block list is full (10000 entries)"));
        QVERIFY(list.remove(QStringLiteral("+358400000005"), &error));
        QVERIFY2(list.add(QStringLiteral("+44*"), &error), qPrintable(error));
        QCOMPARE(list.count(), int(BlockList::MaxEntries));
    }

    // Values written by hand into dconf are taken as far as they are entries.
    void shouldSkipStoredValuesThatAreNoEntries()
    {
        QVERIFY(MGConfItem(BlockList::keyPrefix() + QStringLiteral("entries0"))
                    .set(QStringList{QStringLiteral("+44*"), QStringLiteral("bad\x01"),
                                     QStringLiteral("0044*"), QStringLiteral("12345")}));
        BlockList list;
        QCOMPARE(list.entries().join(QLatin1Char(' ')), QStringLiteral("+44* 12345"));
    }
};

QTEST_GUILESS_MAIN(TestBlockList)
#include "tst_blocklist.moc"
