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

private:
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

CH_TOUCH_TEST_MAIN(TestCallHistoryFilterProxyModel)

#include "tst_callhistoryfilterproxymodel.moc"
