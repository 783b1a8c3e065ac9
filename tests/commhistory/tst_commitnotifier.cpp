#include "buslimits.h"
#include "commitnotifier.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QSignalSpy>
#include <QTest>

using CommHistory::CommitNotifier;

Q_DECLARE_METATYPE(QVariantList)

// Announcements that other peers of the session bus send, well-formed or not.
class TestCommitNotifier : public QObject
{
    Q_OBJECT

private:
    QDBusConnection m_peer = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "peer");

    bool emitFromPeer(const QVariantList &args)
    {
        QDBusMessage signal =
            QDBusMessage::createSignal("/CommHistory", "com.velto.CommHistory", "EventsCommitted");
        signal.setArguments(args);
        return m_peer.send(signal);
    }

    static QVariant intArray(const QList<int> &ids) { return QVariant::fromValue(ids); }

    static QString describe(const QSignalSpy &spy)
    {
        QStringList out;
        for (const QList<QVariant> &args : spy) {
            QStringList ids;
            for (int id : args.at(2).value<QList<int>>())
                ids << QString::number(id);
            out << args.at(0).toString() + ' ' + QString::number(args.at(1).toInt()) + ':' +
                       ids.join(',');
        }
        return out.join(' ');
    }

private Q_SLOTS:
    void initTestCase()
    {
        qRegisterMetaType<QList<int>>();
        QVERIFY(m_peer.isConnected());
        QSignalSpy spy(CommitNotifier::instance(), &CommitNotifier::committed);
        // The subscription is in place once a first announcement gets through.
        for (int i = 0; i < 50 && spy.isEmpty(); ++i) {
            QVERIFY(emitFromPeer({"/db", 0, intArray({1})}));
            spy.wait(200);
        }
        QVERIFY(!spy.isEmpty());
    }

    void shouldIgnoreMalformedAnnouncements_data()
    {
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<QString>("expected");
        QDBusArgument int64Ids;
        int64Ids.beginArray(qMetaTypeId<qlonglong>());
        int64Ids << qlonglong(1);
        int64Ids.endArray();
        QList<int> many;
        for (int i = 0; i < CommitNotifier::MaxIds + 1; ++i)
            many << i;

        QTest::newRow("ids as variants")
            << QVariantList{"/db", 0, QVariantList{QVariant::fromValue(QDBusVariant(1))}} << "";
        QTest::newRow("ids as a string") << QVariantList{"/db", 0, "1"} << "";
        QTest::newRow("ids as 64-bit numbers")
            << QVariantList{"/db", 0, QVariant::fromValue(int64Ids)} << "";
        QTest::newRow("no ids") << QVariantList{"/db", 0} << "";
        QTest::newRow("an extra argument") << QVariantList{"/db", 0, intArray({1}), "x"} << "";
        QTest::newRow("operation as a string") << QVariantList{"/db", "0", intArray({1})} << "";
        QTest::newRow("unknown operation") << QVariantList{"/db", 7, intArray({1})} << "";
        QTest::newRow("more ids than a sender may list")
            << QVariantList{"/db", 1, intArray(many)} << "/db 3:";
        QTest::newRow("well-formed") << QVariantList{"/db", 2, intArray({4, 5})} << "/db 2:4,5";
        const QString longest(BusLimits::MaxFilePathLength, QLatin1Char('p'));
        QTest::newRow("database path at the bound")
            << QVariantList{longest, 0, intArray({1})} << longest + " 0:1";
        QTest::newRow("database path too long")
            << QVariantList{longest + 'p', 0, intArray({1})} << "";
        QTest::newRow("30 MB database path")
            << QVariantList{QString(30 * 1024 * 1024, QLatin1Char('p')), 0, intArray({1})} << "";
    }

    void shouldIgnoreMalformedAnnouncements()
    {
        QFETCH(QVariantList, args);
        QFETCH(QString, expected);
        QSignalSpy spy(CommitNotifier::instance(), &CommitNotifier::committed);
        QVERIFY(emitFromPeer(args));
        // A well-formed announcement sent after it marks the end of what the first one caused.
        QVERIFY(emitFromPeer({"/end", 1, intArray({9})}));
        QTRY_VERIFY(describe(spy).endsWith("/end 1:9"));
        QCOMPARE(describe(spy), (expected + " /end 1:9").trimmed());
    }
};

QTEST_GUILESS_MAIN(TestCommitNotifier)
#include "tst_commitnotifier.moc"
