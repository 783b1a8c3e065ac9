#include "callhistoryfilterproxymodel.h"
#include "callmodel.h"
#include "eventstore.h"
#include "mapplication.h"
#include "mcommonlabelhighlighter.h"
#include "testeventmodel.h"
#include "testsupport.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using CommHistory::Event;

// The search of the call history: which calls a typed text finds, by number or by the name of
// its single contact, and when the filter is applied again.
class TestCallHistoryFilterProxyModel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void shouldBuildSearchPatterns_data();
    void shouldBuildSearchPatterns();
    void shouldFindCallsByNumberOrSingleContactName_data();
    void shouldFindCallsByNumberOrSingleContactName();
    void shouldShowEveryCallWithoutSearch_data();
    void shouldShowEveryCallWithoutSearch();
    void shouldNeverShowOtherEvents();
    void shouldNotFilterAgainForAnEqualExpression_data();
    void shouldNotFilterAgainForAnEqualExpression();
    void shouldOwnOneHighlighterAtATime();
    void shouldSearchCallsOlderThanTheLoadedOnes();
    void shouldFindWhatAFreshSearchFindsWhateverWasTypedBefore_data();
    void shouldFindWhatAFreshSearchFindsWhateverWasTypedBefore();
    void shouldFollowRowsChangedWhileSearching_data();
    void shouldFollowRowsChangedWhileSearching();
    void shouldFindTheRightCallsAfterManyChangesWhileSearching();
    void shouldSearchAsBeforeAfterLettingGoOfRows_data();
    void shouldSearchAsBeforeAfterLettingGoOfRows();

private:
    // Calls of several parties, some sharing one, for the searches typed in a row.
    static QVector<Event> parties();
    // What a new filter on the same source shows for text.
    QString freshSearch(const QString &text);
    // A call from `remote` matched to contacts given as "name|name".
    static Event call(int id, const QString &remote, const QString &contacts = QString());
    QString shown(const QAbstractItemModel &model) const;

    TestEventModel m_source;
};

void TestCallHistoryFilterProxyModel::init()
{
    m_source.setEvents({});
}

Event TestCallHistoryFilterProxyModel::call(int id, const QString &remote, const QString &contacts)
{
    Event e =
        TestEventModel::call(id, QDateTime(QDate(2026, 6, 10), QTime(12, 0)).addSecs(-id), remote);
    QList<Event::Contact> matched;
    for (const QString &name : contacts.split('|', Qt::SkipEmptyParts))
        matched << Event::Contact(quint32(100 + matched.size()), name);
    e.setContacts(matched);
    return e;
}

// The ids of the rows shown, in order.
QString TestCallHistoryFilterProxyModel::shown(const QAbstractItemModel &model) const
{
    QStringList ids;
    for (int r = 0; r < model.rowCount(); ++r)
        ids << QString::number(model.index(r, 0).data(Qt::UserRole).value<Event>().id());
    return ids.join(' ');
}

void TestCallHistoryFilterProxyModel::shouldBuildSearchPatterns_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::newRow("digits") << "1234"
                            << "1234";
    QTest::newRow("number punctuation") << "(040) 123.4-5*#+/,"
                                        << "\\(040\\) 123\\.4-5\\*#\\+/,";
    QTest::newRow("name") << "Ann"
                          << "\\bann";
    QTest::newRow("digits and a letter") << "040a"
                                         << "\\b040a";
    QTest::newRow("accented letter")
        << QString::fromUtf8("José") << QString::fromUtf8("\\bjos[eé]");
    QTest::newRow("accented capital") << QString::fromUtf8("ÅSA") << QString::fromUtf8("\\b[aÅ]sa");
    QTest::newRow("typed mark") << QString::fromUtf8("jo\u0301e") << "\\bjoe";
    QTest::newRow("format character") << QString::fromUtf8("an\u200bn") << "\\bann";
    QTest::newRow("regexp characters") << "a.b[c]"
                                       << "\\ba\\.b\\[c\\]";
}

void TestCallHistoryFilterProxyModel::shouldBuildSearchPatterns()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QCOMPARE(CallHistoryFilterProxyModel::buildSearchPattern(text), pattern);
}

void TestCallHistoryFilterProxyModel::shouldFindCallsByNumberOrSingleContactName_data()
{
    QTest::addColumn<QString>("remote");
    QTest::addColumn<QString>("contacts");
    QTest::addColumn<QString>("search");
    QTest::addColumn<bool>("found");
    const QString number = QStringLiteral("+358401234567");
    QTest::newRow("digits in the middle of the number") << number << ""
                                                        << "1234" << true;
    QTest::newRow("digits at the end") << number << ""
                                       << "4567" << true;
    QTest::newRow("other digits") << number << ""
                                  << "999" << false;
    QTest::newRow("number search with brackets") << "(040) 1234567"
                                                 << ""
                                                 << "(040) 123" << true;
    QTest::newRow("digits inside a user name") << "user1234"
                                               << ""
                                               << "1234" << true;
    QTest::newRow("name at the start") << number << "Anna Berg"
                                       << "ann" << true;
    QTest::newRow("name at a later word") << number << "Mary Ann"
                                          << "ann" << true;
    QTest::newRow("name inside a word") << number << "Joanna"
                                        << "ann" << false;
    QTest::newRow("case ignored") << number << "mary ann"
                                  << "ANN" << true;
    QTest::newRow("accented search finds the base letter")
        << number << "Jose Ruiz" << QString::fromUtf8("José") << true;
    QTest::newRow("accented search finds the accent")
        << number << QString::fromUtf8("José Ruiz") << QString::fromUtf8("josé") << true;
    QTest::newRow("accented search ignores case")
        << number << QString::fromUtf8("JOSÉ RUIZ") << QString::fromUtf8("josé") << true;
    QTest::newRow("decomposed name")
        << number << QString::fromUtf8("Jose\u0301 Ruiz") << QString::fromUtf8("José") << true;
    QTest::newRow("typed mark ignored")
        << number << "Joe" << QString::fromUtf8("jo\u0301e") << true;
    QTest::newRow("address word") << "sip:alice.smith@example.com"
                                  << ""
                                  << "smith" << true;
    QTest::newRow("two contacts, name") << number << "Mary Ann|Ann Lee"
                                        << "ann" << false;
    QTest::newRow("two contacts, number") << number << "Mary Ann|Ann Lee"
                                          << "1234" << true;
    QTest::newRow("no contact, name") << number << ""
                                      << "ann" << false;
}

void TestCallHistoryFilterProxyModel::shouldFindCallsByNumberOrSingleContactName()
{
    QFETCH(QString, remote);
    QFETCH(QString, contacts);
    QFETCH(QString, search);
    QFETCH(bool, found);
    m_source.setEvents({call(1, remote, contacts), call(2, "+1555000", "Zed")});
    CallHistoryFilterProxyModel filter(&m_source);
    QAbstractItemModelTester tester(&filter);
    filter.setFilterText(search);
    QCOMPARE(shown(filter), QString(found ? "1" : ""));
}

void TestCallHistoryFilterProxyModel::shouldShowEveryCallWithoutSearch_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("blanks") << " \t ";
}

void TestCallHistoryFilterProxyModel::shouldShowEveryCallWithoutSearch()
{
    QFETCH(QString, text);
    m_source.setEvents({call(1, "+111"), call(2, "+222"), call(3, "+333")});
    CallHistoryFilterProxyModel filter(&m_source);
    QAbstractItemModelTester tester(&filter);
    filter.setFilterText(QStringLiteral("222"));
    QCOMPARE(shown(filter), QStringLiteral("2"));
    QSignalSpy changed(&filter, &CallHistoryFilterProxyModel::filterChanged);

    filter.setFilterText(text);

    QCOMPARE(shown(filter), QStringLiteral("1 2 3"));
    QCOMPARE(changed.count(), 1);
    QVERIFY(changed.first().at(0).value<QPointer<MCommonLabelHighlighter>>().isNull());
    QVERIFY(!filter.highlighter());
}

void TestCallHistoryFilterProxyModel::shouldNeverShowOtherEvents()
{
    Event message = call(2, "+222");
    message.setType(Event::SMSEvent);
    Event unread = call(3, "+223");
    unread.setId(-1); // not a stored event
    m_source.setEvents({call(1, "+221"), message, unread, call(4, "+224")});
    CallHistoryFilterProxyModel filter(&m_source);
    QAbstractItemModelTester tester(&filter);
    QCOMPARE(shown(filter), QStringLiteral("1 4"));
    filter.setFilterText(QStringLiteral("22"));
    QCOMPARE(shown(filter), QStringLiteral("1 4"));
}

void TestCallHistoryFilterProxyModel::shouldNotFilterAgainForAnEqualExpression_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<int>("changes");
    QTest::newRow("trailing space") << "ann"
                                    << "ann " << 0;
    QTest::newRow("leading space") << "ann"
                                   << " ann" << 0;
    QTest::newRow("typed mark") << "ann" << QString::fromUtf8("ann\u0301") << 0;
    QTest::newRow("another letter") << "ann"
                                    << "anna" << 1;
    QTest::newRow("other case") << "ann"
                                << "Ann" << 0;
}

void TestCallHistoryFilterProxyModel::shouldNotFilterAgainForAnEqualExpression()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(int, changes);
    m_source.setEvents({call(1, "+111", "Anna"), call(2, "+222", "Bob")});
    CallHistoryFilterProxyModel filter(&m_source);
    QAbstractItemModelTester tester(&filter);
    filter.setFilterText(first);
    const QPointer<MCommonLabelHighlighter> highlighter = filter.highlighter();
    QSignalSpy changed(&filter, &CallHistoryFilterProxyModel::filterChanged);
    QSignalSpy reset(&filter, &QAbstractItemModel::modelReset);

    filter.setFilterText(second);

    QCOMPARE(changed.count(), changes);
    QCOMPARE(reset.count(), changes);
    QCOMPARE(filter.highlighter() == highlighter, changes == 0);
    QCOMPARE(shown(filter), QStringLiteral("1"));
}

void TestCallHistoryFilterProxyModel::shouldOwnOneHighlighterAtATime()
{
    m_source.setEvents({call(1, "+111", "Anna")});
    std::unique_ptr<CallHistoryFilterProxyModel> filter(new CallHistoryFilterProxyModel(&m_source));
    QSignalSpy changed(filter.get(), &CallHistoryFilterProxyModel::filterChanged);
    filter->setFilterText(QStringLiteral("an"));
    const QPointer<MCommonLabelHighlighter> first = filter->highlighter();
    QVERIFY(first);
    QCOMPARE(changed.last().at(0).value<QPointer<MCommonLabelHighlighter>>(), first);
    QCOMPARE(first->highlights(QStringLiteral("Mary Anna")), (QList<QPair<int, int>>{{5, 2}}));

    filter->setFilterText(QStringLiteral("ann"));
    QVERIFY(!first); // replaced and deleted
    const QPointer<MCommonLabelHighlighter> second = filter->highlighter();
    QCOMPARE(changed.last().at(0).value<QPointer<MCommonLabelHighlighter>>(), second);

    filter.reset();
    QVERIFY(!second);
}

void TestCallHistoryFilterProxyModel::shouldSearchCallsOlderThanTheLoadedOnes()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("history.db");
    {
        CommHistory::EventStore store(path);
        QVERIFY(store.open());
        QList<Event> calls;
        for (int i = 0; i < 60; ++i) {
            Event e =
                TestEventModel::call(-1, QDateTime(QDate(2026, 6, 1), QTime(8, 0)).addSecs(60 * i),
                                     QString("+35840%1").arg(1000 + i));
            calls << e;
        }
        QVERIFY(store.addEvents(calls));
    }
    CommHistory::CallModel calls;
    calls.setDatabasePath(path);
    calls.setLoadLimit(20);
    calls.setFirstChunkSize(10);
    calls.setChunkSize(10);
    QVERIFY(calls.getEvents());
    QTRY_COMPARE(calls.rowCount(), 20);
    QTest::qWait(200);
    QCOMPARE(calls.rowCount(), 20); // the model stops there by itself
    CallHistoryFilterProxyModel filter(&calls);
    QAbstractItemModelTester tester(&filter);

    filter.setFilterText(QStringLiteral("401003")); // the fourth oldest call

    QTRY_COMPARE(filter.rowCount(), 1);
    QCOMPARE(filter.index(0, 0).data(Qt::UserRole).value<Event>().remoteUid(),
             QStringLiteral("+358401003"));
    QCOMPARE(calls.rowCount(), 60);
}

QVector<Event> TestCallHistoryFilterProxyModel::parties()
{
    return {call(1, "+358401234567", "Anna Berg"),
            call(2, "+358409876543", "Mary Ann"),
            call(3, "+35850111222"),
            call(4, "sip:annika@example.org"),
            call(5, "+358401234567", "Anna Berg"),
            call(6, "+44123", "Ann Lee|Bob"),
            call(7, "040 123", "Joanna"),
            call(8, "+358401230000", QString::fromUtf8("José Ruiz")),
            call(9, "+358401234567", "Anna Berg")};
}

QString TestCallHistoryFilterProxyModel::freshSearch(const QString &text)
{
    CallHistoryFilterProxyModel fresh(&m_source);
    fresh.setFilterText(text);
    return shown(fresh);
}

void TestCallHistoryFilterProxyModel::shouldFindWhatAFreshSearchFindsWhateverWasTypedBefore_data()
{
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QString>("last");
    QTest::newRow("extending a name") << QStringList{"a", "an", "ann", "anna"} << "1 5 9";
    QTest::newRow("extending a number") << QStringList{"1", "12", "123", "1234"} << "1 5 9";
    QTest::newRow("shortening") << QStringList{"anna", "ann", "an", "a"} << "1 2 4 5 9";
    QTest::newRow("replacing") << QStringList{"ann", "123", "jo", QString::fromUtf8("josé"), "jos"}
                               << "8";
    QTest::newRow("a number becoming a name") << QStringList{"12", "12a", "12"} << "1 3 5 6 7 8 9";
    QTest::newRow("cleared in between") << QStringList{"ann", "", "anna", "", "an"} << "1 2 4 5 9";
    QTest::newRow("an accent typed, then removed")
        << QStringList{"jos", QString::fromUtf8("josé"), "jos", "jose"} << "";
}

void TestCallHistoryFilterProxyModel::shouldFindWhatAFreshSearchFindsWhateverWasTypedBefore()
{
    QFETCH(QStringList, typed);
    QFETCH(QString, last);
    m_source.setEvents(parties());
    CallHistoryFilterProxyModel filter(&m_source);
    QAbstractItemModelTester tester(&filter);
    for (const QString &text : typed) {
        filter.setFilterText(text);
        QCOMPARE(shown(filter), freshSearch(text));
    }
    QCOMPARE(shown(filter), last);
}

void TestCallHistoryFilterProxyModel::shouldFollowRowsChangedWhileSearching_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("found"); // by "an" after the change
    QTest::newRow("a match inserted at the top") << "insert Annette at 0"
                                                 << "10 1 2 4 5 9";
    QTest::newRow("a call inserted in the middle") << "insert Bob at 4"
                                                   << "1 2 4 5 9";
    QTest::newRow("a match removed") << "remove 1"
                                     << "1 4 5 9";
    QTest::newRow("two calls removed") << "remove 2"
                                       << "1 2 5 9";
    QTest::newRow("a contact arriving") << "contact Annette at 2"
                                        << "1 2 3 4 5 9";
    QTest::newRow("a second contact arriving") << "contact Ann Lee|Anna Berg at 0"
                                               << "2 4 5 9";
    QTest::newRow("a contact going") << "contact  at 1"
                                     << "1 4 5 9";
    QTest::newRow("a number changing") << "number sip:anders@example.org at 2"
                                       << "1 2 3 4 5 9";
    QTest::newRow("a reset") << "reset"
                             << "1 2";
}

void TestCallHistoryFilterProxyModel::shouldFollowRowsChangedWhileSearching()
{
    QFETCH(QString, change);
    QFETCH(QString, found);
    m_source.setEvents(parties());
    CallHistoryFilterProxyModel filter(&m_source);
    QAbstractItemModelTester tester(&filter);
    filter.setFilterText(QStringLiteral("ann"));
    filter.setFilterText(QStringLiteral("an"));

    const QStringList words = change.split(' ');
    const int row = words.last().toInt();
    if (words.first() == "insert") {
        m_source.insertEvents(row, {call(10, "+1999", words.at(1))});
    } else if (words.first() == "remove") {
        m_source.removeEvents(words.at(1).toInt(), words.at(1) == "1" ? 1 : 2);
    } else if (words.first() == "contact") {
        const Event e = m_source.eventAt(row);
        const QString names = change.section(' ', 1).section(" at ", 0, 0);
        m_source.replaceEvent(row, call(e.id(), e.remoteUid(), names));
    } else if (words.first() == "number") {
        Event e = m_source.eventAt(row);
        e.setRemoteUid(words.at(1));
        m_source.replaceEvent(row, e);
    } else {
        m_source.setEvents({call(1, "+3584", "Ann"), call(2, "+3585", "Anna"), call(3, "+3586")});
    }

    QCOMPARE(shown(filter), found);
    // The prepared keys still belong to their rows: narrower, wider and other searches find
    // what a new filter finds.
    for (const char *text : {"ann", "anna", "an", "a", "358", "an"}) {
        filter.setFilterText(QString::fromLatin1(text));
        QCOMPARE(shown(filter), freshSearch(QString::fromLatin1(text)));
    }
}

void TestCallHistoryFilterProxyModel::shouldFindTheRightCallsAfterManyChangesWhileSearching()
{
    // One call's number changes again and again while the others stay.
    m_source.setEvents(parties());
    CallHistoryFilterProxyModel filter(&m_source);
    QAbstractItemModelTester tester(&filter);
    filter.setFilterText(QStringLiteral("12"));
    for (int i = 0; i < 1500; ++i) {
        Event e = m_source.eventAt(2);
        e.setRemoteUid(QStringLiteral("+3584%1").arg(i));
        m_source.replaceEvent(2, e);
    }
    QCOMPARE(shown(filter), freshSearch(QStringLiteral("12")));
    for (const char *text : {"1499", "149", "40123", "ann", "4"}) {
        filter.setFilterText(QString::fromLatin1(text));
        QCOMPARE(shown(filter), freshSearch(QString::fromLatin1(text)));
    }
    QCOMPARE(shown(filter), QStringLiteral("1 2 3 5 6 7 8 9"));
}

void TestCallHistoryFilterProxyModel::shouldSearchAsBeforeAfterLettingGoOfRows_data()
{
    // The search text when the rows go and the filter lets go of its memory, what it shows then,
    // and the rows that come back afterwards.
    QTest::addColumn<QString>("searching");
    QTest::addColumn<QString>("shownAfter");
    QTest::newRow("no search since the last one") << ""
                                                  << "1 2 3 4";
    QTest::newRow("while searching") << "an"
                                     << "1 2 4";
    QTest::newRow("while searching a number") << "1234"
                                              << "1";
}

void TestCallHistoryFilterProxyModel::shouldSearchAsBeforeAfterLettingGoOfRows()
{
    QFETCH(QString, searching);
    QFETCH(QString, shownAfter);
    const QVector<Event> all = parties();
    m_source.setEvents(all);
    CallHistoryFilterProxyModel filter(&m_source);
    QAbstractItemModelTester tester(&filter);
    // Every row's keys prepared, and answers kept for a narrower search.
    filter.setFilterText(QStringLiteral("a"));
    filter.setFilterText(searching);
    m_source.removeEvents(4, all.size() - 4);
    QSignalSpy resets(&filter, &QAbstractItemModel::modelReset);
    filter.releaseUnusedMemory();
    QCOMPARE(resets.count(), 1);
    QCOMPARE(shown(filter), shownAfter);

    // The rows read again later are searched like any others.
    m_source.insertEvents(4, all.mid(4));
    QCOMPARE(shown(filter), freshSearch(searching));
    for (const char *text : {"ann", "anna", "an", "", "1234", "12", "jo", "ann"}) {
        filter.setFilterText(QString::fromLatin1(text));
        QCOMPARE(shown(filter), freshSearch(QString::fromLatin1(text)));
    }
}

CH_TOUCH_TEST_MAIN(TestCallHistoryFilterProxyModel)

#include "tst_callhistoryfilterproxymodel.moc"
