#include "commitnotifier.h"
#include "eventfilter.h"
#include "eventstore.h"
#include "historyfixture.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <sqlite3.h>

using CommHistory::CommitNotifier;
using CommHistory::Event;
using CommHistory::EventFilter;
using CommHistory::EventStore;

class TestEventStore : public QObject
{
    Q_OBJECT

private:
    static QVariant rawValue(const QString &path, const char *sql)
    {
        sqlite3 *db = nullptr;
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt *st = nullptr;
        QVariant v;
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            v = sqlite3_column_type(st, 0) == SQLITE_INTEGER
                    ? QVariant(sqlite3_column_int64(st, 0))
                    : QVariant(QString::fromUtf8(
                          reinterpret_cast<const char *>(sqlite3_column_text(st, 0))));
        sqlite3_finalize(st);
        sqlite3_close(db);
        return v;
    }

    static QString ids(const QList<Event> &events)
    {
        QStringList out;
        for (const Event &e : events)
            out << QString::number(e.id());
        return out.join(',');
    }

private Q_SLOTS:
    void shouldCreateVersionedSchemaInWalMode()
    {
        HistoryFixture f;
        const QString path = f.dir() + "/sub/folder/history.db";
        EventStore store(path);
        QVERIFY2(store.open(), qPrintable(store.errorString()));
        QCOMPARE(rawValue(path, "PRAGMA user_version").toInt(), int(EventStore::SchemaVersion));
        QCOMPARE(rawValue(path, "PRAGMA journal_mode").toString(), QString("wal"));
    }

    void shouldTakeItsPathFromTheEnvironment()
    {
        HistoryFixture f;
        qputenv("CALL_HISTORY_DB", f.path().toUtf8());
        QCOMPARE(EventStore().path(), f.path());
        qunsetenv("CALL_HISTORY_DB");
        QVERIFY(EventStore().path().endsWith("/call-history/history.db"));
    }

    void shouldStoreTextsByteForByte_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("number") << QString("+358 (40) 123-4567");
        QTest::newRow("sip address") << QString("sip:anna@voip.example.org;transport=tcp");
        QTest::newRow("sql and quotes") << QString("x'); DROP TABLE events; --\"%_\\");
        QTest::newRow("bidi controls") << QString::fromUtf16(u"\u202e1234\u200f\u202c");
        QTest::newRow("embedded nul") << QString::fromUtf16(u"12\u000034", 5);
        QTest::newRow("emoji and accents") << QString::fromUtf16(u"Jos\u00e9 \U0001F4DE");
        QTest::newRow("lone surrogate") << QString::fromUtf16(u"a\xd800z", 3);
        QTest::newRow("empty") << QString();
        QTest::newRow("long") << QString(Event::MaxRemoteUidLength, QChar('7'));
    }

    void shouldStoreTextsByteForByte()
    {
        QFETCH(QString, text);
        HistoryFixture f;
        Event e = HistoryFixture::call(text, 'r', 100, text + "/account");
        EventStore store(f.path());
        QVERIFY(store.open() && store.addEvent(e));
        EventStore reader(f.path());
        const Event back = reader.event(e.id());
        QCOMPARE(back.remoteUid(), text);
        QCOMPARE(back.remoteUid().size(), text.size());
        QCOMPARE(back.localUid(), text + "/account");
    }

    void shouldStoreTimesAsUtcAndShowThemInLocalTime()
    {
        HistoryFixture f;
        Event e = HistoryFixture::call("1", 'd', 0);
        const QDateTime start(QDate(2026, 6, 1), QTime(12, 0), Qt::OffsetFromUTC, 5 * 3600);
        e.setStartTime(start);
        e.setEndTime(start.addSecs(90));
        EventStore store(f.path());
        QVERIFY(store.open() && store.addEvent(e));
        QCOMPARE(rawValue(f.path(), "SELECT start_time FROM events").toLongLong(),
                 QDateTime(QDate(2026, 6, 1), QTime(7, 0), Qt::UTC).toSecsSinceEpoch());
        const Event back = store.event(e.id());
        QCOMPARE(back.startTime(), start);
        QCOMPARE(back.startTime().timeSpec(), Qt::LocalTime);
        QCOMPARE(back.startTime().secsTo(back.endTime()), qint64(90));
    }

    void shouldPageNewestFirstByEndTimeThenId()
    {
        HistoryFixture f;
        // Two calls end at the same second: the later id comes first.
        f.add({HistoryFixture::call("a", 'r', 10), HistoryFixture::call("b", 'r', 30),
               HistoryFixture::call("c", 'r', 30), HistoryFixture::call("d", 'r', 20),
               HistoryFixture::call("e", 'r', 5)});
        EventStore store(f.path());
        QList<Event> all, page;
        Event after;
        do {
            page.clear();
            QVERIFY(store.events(EventFilter(), after, 2, &page));
            all += page;
            if (!page.isEmpty())
                after = page.constLast();
        } while (page.size() == 2);
        QCOMPARE(ids(all), QString("3,2,4,1,5"));
    }

    void shouldFilterByCallType_data()
    {
        QTest::addColumn<int>("callType");
        QTest::addColumn<int>("sinceSecs");
        QTest::addColumn<QString>("expected");
        QTest::newRow("all") << 0 << -1 << "u,r,m,d";
        QTest::newRow("dialled") << 1 << -1 << "d";
        QTest::newRow("missed") << 2 << -1 << "m";
        QTest::newRow("received, with unknown direction") << 3 << -1 << "u,r";
        QTest::newRow("unknown type number means all") << 9 << -1 << "u,r,m,d";
        QTest::newRow("since an end time") << 0 << 30 << "u,r,m";
    }

    void shouldFilterByCallType()
    {
        QFETCH(int, callType);
        QFETCH(int, sinceSecs);
        QFETCH(QString, expected);
        HistoryFixture f;
        f.add({HistoryFixture::call("d", 'd', 20), HistoryFixture::call("m", 'm', 30),
               HistoryFixture::call("r", 'r', 40), HistoryFixture::call("u", 'u', 50)});
        const QDateTime since = sinceSecs < 0
                                    ? QDateTime()
                                    : QDateTime::fromSecsSinceEpoch(
                                          HistoryFixture::call("", 'r', sinceSecs).endTimeT());
        EventStore store(f.path());
        QList<Event> found;
        QVERIFY(store.events(EventFilter(callType, since), Event(), -1, &found));
        QStringList remotes;
        for (const Event &e : qAsConst(found))
            remotes << e.remoteUid();
        QCOMPARE(remotes.join(','), expected);
    }

    void shouldCountTheCallsNotReadYet_data()
    {
        QTest::addColumn<int>("callType");
        QTest::addColumn<int>("all");
        QTest::addColumn<int>("unread");
        QTest::newRow("missed") << 2 << 3 << 2;
        QTest::newRow("every kind") << 0 << 4 << 2;
        QTest::newRow("dialled") << 1 << 1 << 0;
    }
    void shouldCountTheCallsNotReadYet()
    {
        QFETCH(int, callType);
        QFETCH(int, all);
        QFETCH(int, unread);
        HistoryFixture f;
        QList<Event> calls{HistoryFixture::call("m1", 'm', 20), HistoryFixture::call("m2", 'm', 30),
                           HistoryFixture::call("m3", 'm', 40), HistoryFixture::call("d", 'd', 50)};
        for (Event &e : calls)
            e.setIsRead(e.remoteUid() == QLatin1String("m2") ||
                        e.remoteUid() == QLatin1String("d"));
        f.add(calls);
        EventStore store(f.path());
        int counted = -1;
        QVERIFY(store.count(EventFilter(callType, QDateTime()), &counted));
        QCOMPARE(counted, all);
        QVERIFY(store.countUnread(EventFilter(callType, QDateTime()), &counted));
        QCOMPARE(counted, unread);
    }

    void shouldMigrateFromSchemaVersion1()
    {
        HistoryFixture f;
        QVERIFY(QFile::copy(CH_TEST_DATA_DIR "/commhistory/history-v1.db", f.path()));
        QFile::setPermissions(f.path(), QFile::ReadOwner | QFile::WriteOwner);
        EventStore store(f.path());
        QVERIFY2(store.open(), qPrintable(store.errorString()));
        QCOMPARE(rawValue(f.path(), "PRAGMA user_version").toInt(), int(EventStore::SchemaVersion));
        QList<Event> all;
        QVERIFY(store.events(EventFilter(), Event(), -1, &all));
        QCOMPARE(ids(all), QString("6,4,3,2,1"));
        const Event missed = store.event(3);
        QCOMPARE(missed.remoteUid(), QString("+358401234567"));
        QCOMPARE(missed.startTime(), QDateTime(QDate(2025, 3, 3), QTime(19, 45, 10), Qt::UTC));
        QCOMPARE(missed.endTime(), QDateTime(QDate(2025, 3, 3), QTime(19, 45, 40), Qt::UTC));
        QVERIFY(missed.isMissedCall() && !missed.isRead() && !missed.isEmergencyCall());
        QVERIFY(store.event(2).isVideoCall());
        // The kind was computed: the filters find the migrated calls.
        QList<Event> missedCalls;
        QVERIFY(
            store.events(EventFilter(EventFilter::Missed, QDateTime()), Event(), -1, &missedCalls));
        QCOMPARE(ids(missedCalls), QString("4,3"));
        // The deleted id 7 is not given out again.
        Event added = HistoryFixture::call("new", 'd', 0);
        QVERIFY(store.addEvent(added));
        QCOMPARE(added.id(), 8);
    }

    // Schema 2 knew no blocked calls: its calls stay, not blocked, and blocked calls can be
    // added and changed after the migration.
    void shouldMigrateFromSchemaVersion2KeepingItsCalls()
    {
        HistoryFixture f;
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(f.path()).constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db,
                              "CREATE TABLE events (id INTEGER PRIMARY KEY AUTOINCREMENT,"
                              " type INTEGER NOT NULL, direction INTEGER NOT NULL,"
                              " kind INTEGER NOT NULL, local_uid TEXT NOT NULL,"
                              " remote_uid TEXT NOT NULL, start_time INTEGER NOT NULL,"
                              " end_time INTEGER NOT NULL, missed INTEGER NOT NULL DEFAULT 0,"
                              " video INTEGER NOT NULL DEFAULT 0,"
                              " emergency INTEGER NOT NULL DEFAULT 0,"
                              " read INTEGER NOT NULL DEFAULT 0);"
                              "INSERT INTO events (type, direction, kind, local_uid, remote_uid,"
                              " start_time, end_time, missed, read)"
                              " VALUES (1, 1, 2, '/acc/cell', '+358401234567', 100, 100, 1, 0);"
                              "PRAGMA user_version = 2;",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(db);
        EventStore store(f.path());
        QVERIFY2(store.open(), qPrintable(store.errorString()));
        QCOMPARE(rawValue(f.path(), "PRAGMA user_version").toInt(), int(EventStore::SchemaVersion));
        const Event old = store.event(1);
        QCOMPARE(old.remoteUid(), QString("+358401234567"));
        QVERIFY(old.isMissedCall() && !old.isRead() && !old.isBlocked());
        Event blocked = HistoryFixture::call("+441632960000", 'm', 200);
        blocked.setIsBlocked(true);
        QVERIFY(store.addEvent(blocked));
        QVERIFY(store.event(blocked.id()).isBlocked());
        blocked.setIsBlocked(false);
        QVERIFY(store.modifyEvents({blocked}));
        QVERIFY(!store.event(blocked.id()).isBlocked());
    }

    void shouldLeaveBadFilesUntouched_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("error");
        QTest::newRow("not a database") << "text" << int(EventStore::NotADatabase);
        QTest::newRow("another program's database") << "foreign" << int(EventStore::NotADatabase);
        QTest::newRow("newer schema") << "newer" << int(EventStore::NewerSchema);
        QTest::newRow("read-only") << "readonly" << int(EventStore::ReadOnly);
        QTest::newRow("corrupt") << "corrupt" << int(EventStore::Corrupt);
        QTest::newRow("one page zeroed") << "zeroedpage" << int(EventStore::Corrupt);
    }

    void shouldLeaveBadFilesUntouched()
    {
        QFETCH(QString, kind);
        QFETCH(int, error);
        HistoryFixture f;
        f.makeBadFile(kind);
        const QByteArray before = HistoryFixture::fileContent(f.path());
        QVERIFY(!before.isEmpty());

        EventStore store(f.path());
        QList<Event> read;
        const bool ok = store.open() && store.events(EventFilter(), Event(), -1, &read);
        QVERIFY(!ok);
        QCOMPARE(int(store.error()), error);
        QVERIFY(store.errorString().startsWith(f.path() + ": "));
        Event e = HistoryFixture::call("x", 'r', 1);
        QVERIFY(!store.addEvent(e));
        QVERIFY(!store.deleteAll());
        QCOMPARE(HistoryFixture::fileContent(f.path()), before);
    }

    void shouldRefuseEventIdsBeyondItsRange()
    {
        HistoryFixture f;
        f.makeBadFile("hugeid");
        EventStore store(f.path());
        QList<Event> read;
        QVERIFY(!store.events(EventFilter(), Event(), -1, &read));
        QCOMPARE(store.error(), EventStore::IdOutOfRange);
        QVERIFY2(store.errorString().contains("event id 2147483648"),
                 qPrintable(store.errorString()));
        // The id after it would not fit either: nothing is added.
        Event e = HistoryFixture::call("x", 'r', 1);
        QVERIFY(!store.addEvent(e));
        QCOMPARE(store.error(), EventStore::IdOutOfRange);
        QCOMPARE(f.storedCount(), 2);
        // Calls with ids in the range are still there to read.
        QCOMPARE(store.event(1).remoteUid(), QString("a"));
    }

    void shouldAnnounceEveryCommittedWrite()
    {
        HistoryFixture f;
        EventStore store(f.path());
        QVERIFY(store.open());
        QSignalSpy spy(CommitNotifier::instance(), &CommitNotifier::committed);
        QList<Event> events{HistoryFixture::call("a", 'r', 1), HistoryFixture::call("b", 'm', 2)};
        QVERIFY(store.addEvents(events));
        events[1].setIsRead(true);
        QVERIFY(store.modifyEvents({events[1]}));
        QVERIFY(store.deleteEvents({events[0].id(), 999}));
        Event missing = events[0]; // deleted: modifying it changes nothing
        QVERIFY(store.modifyEvents({missing}));
        QVERIFY(store.deleteAll());
        QStringList seen;
        for (const QList<QVariant> &args : qAsConst(spy)) {
            QCOMPARE(args.at(0).toString(), f.path());
            QStringList idList;
            for (int id : args.at(2).value<QList<int>>())
                idList << QString::number(id);
            seen << QString::number(args.at(1).toInt()) + ':' + idList.join(',');
        }
        QCOMPARE(seen.join(' '), QString("0:1,2 1:2 2:1 3:"));
    }

    void shouldRefuseInvalidEventsAndRollBackTheBatch_data()
    {
        QTest::addColumn<int>("broken");
        QTest::newRow("not a call") << 0;
        QTest::newRow("no start time") << 1;
    }

    void shouldRefuseInvalidEventsAndRollBackTheBatch()
    {
        QFETCH(int, broken);
        HistoryFixture f;
        QList<Event> events{HistoryFixture::call("a", 'r', 1), HistoryFixture::call("b", 'r', 2)};
        if (broken == 0)
            events[1].setType(Event::SMSEvent);
        else
            events[1].setStartTime(QDateTime());
        EventStore store(f.path());
        QVERIFY(!store.addEvents(events));
        QCOMPARE(store.error(), EventStore::InvalidEvent);
        QCOMPARE(f.storedCount(), 0);
        QCOMPARE(events[0].id(), -1);
    }

    void shouldTakeAMissingEndTimeAsTheStart()
    {
        HistoryFixture f;
        Event e = HistoryFixture::call("a", 'm', 100);
        e.setEndTime(QDateTime());
        EventStore store(f.path());
        QVERIFY(store.addEvent(e));
        QCOMPARE(store.event(e.id()).endTime(), e.startTime());
    }

    void shouldStopWaitingForALockWhenInterrupted()
    {
        HistoryFixture f;
        EventStore holder(f.path());
        QVERIFY(holder.open());
        sqlite3 *db = nullptr;
        sqlite3_open(QFile::encodeName(f.path()).constData(), &db);
        QCOMPARE(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        EventStore blocked(f.path());
        QVERIFY(blocked.open());
        blocked.interrupt();
        Event e = HistoryFixture::call("a", 'r', 1);
        QVERIFY(!blocked.addEvent(e));
        QVERIFY(blocked.error() == EventStore::Interrupted || blocked.error() == EventStore::Busy);
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        blocked.clearInterrupt();
        QVERIFY2(blocked.addEvent(e), qPrintable(blocked.errorString()));
    }
};

QTEST_GUILESS_MAIN(TestEventStore)
#include "tst_eventstore.moc"
