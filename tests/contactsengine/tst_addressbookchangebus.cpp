#include "addressbookchangebus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QtTest>

using ContactsEngine::AddressBookChangeBus;

// A change as "added/changed/removed" counts.
static QString counts(const QList<uint> &added, const QList<uint> &changed,
                      const QList<uint> &removed)
{
    return QStringLiteral("%1/%2/%3").arg(added.size()).arg(changed.size()).arg(removed.size());
}

// What a listener is told of the change signals on the test's bus.
class RecordingListener : public QObject, public AddressBookChangeBus::Listener
{
    Q_OBJECT
public:
    QStringList heard;
    QObject *listenerObject() override { return this; }
    void externalChange(const QList<QContactLocalId> &added, const QList<QContactLocalId> &changed,
                        const QList<QContactLocalId> &removed) override
    {
        heard << counts(added, changed, removed);
    }
public Q_SLOTS:
    void onBusChanged(const QString &file, const QString &origin, const QList<uint> &added,
                      const QList<uint> &changed, const QList<uint> &removed)
    {
        AddressBookChangeBus::deliverFromBus(this, file, origin, added, changed, removed);
    }
};

// The same signals as a peer on the bus sees them, one entry per signal.
class BusWatcher : public QObject
{
    Q_OBJECT
public:
    QStringList seen;
public Q_SLOTS:
    void onChanged(const QString &, const QString &, const QList<uint> &added,
                   const QList<uint> &changed, const QList<uint> &removed)
    {
        seen << counts(added, changed, removed);
    }
};

class TestAddressBookChangeBus : public QObject
{
    Q_OBJECT
private:
    const QString m_file = QStringLiteral("/tmp/changebus-test.db");
    QDBusConnection m_peer{QString()};
    RecordingListener m_listener;

    static QList<uint> ids(int count)
    {
        QList<uint> list;
        for (int i = 0; i < count; ++i)
            list << uint(i + 1);
        return list;
    }

    void sendFromPeer(const QString &file, const QList<uint> &added, const QList<uint> &removed)
    {
        QDBusMessage signal =
            QDBusMessage::createSignal(QString::fromLatin1(AddressBookChangeBus::objectPath),
                                       QString::fromLatin1(AddressBookChangeBus::interfaceName),
                                       QString::fromLatin1(AddressBookChangeBus::signalName));
        signal << file << QStringLiteral("peer") << QVariant::fromValue(added)
               << QVariant::fromValue(QList<uint>()) << QVariant::fromValue(removed);
        QVERIFY(m_peer.send(signal));
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_peer = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("peer"));
        QVERIFY(m_peer.isConnected());
        AddressBookChangeBus::subscribe(&m_listener, m_file);
        // The bus has the subscription once it has answered a later call.
        AddressBookChangeBus::flush();
    }

    void cleanupTestCase() { AddressBookChangeBus::unsubscribe(&m_listener); }

    void shouldIgnoreSignalsListingMoreIdsThanAnyEngineSends_data()
    {
        const int most = AddressBookChangeBus::MaxIds;
        QTest::addColumn<int>("added");
        QTest::addColumn<int>("removed");
        QTest::addColumn<QString>("heard");
        QTest::newRow("ids at the bound") << most / 2 << most - most / 2 << "5000/0/5000";
        QTest::newRow("one id too many") << most / 2 << most - most / 2 + 1 << "";
        QTest::newRow("30 MB of ids") << 30 * 1024 * 1024 / 4 << 0 << "";
    }
    void shouldIgnoreSignalsListingMoreIdsThanAnyEngineSends()
    {
        QFETCH(int, added);
        QFETCH(int, removed);
        QFETCH(QString, heard);
        m_listener.heard.clear();
        sendFromPeer(m_file, ids(added), ids(removed));
        // Signals arrive in the order they were sent: the marker comes after the one tested.
        sendFromPeer(m_file, {}, {7});
        QTRY_VERIFY(m_listener.heard.contains(QStringLiteral("0/0/1")));
        m_listener.heard.removeAll(QStringLiteral("0/0/1"));
        QCOMPARE(m_listener.heard.join(QLatin1Char(' ')), heard);
    }

    void shouldAnnounceLargeChangesInParts()
    {
        BusWatcher watcher;
        QVERIFY(m_peer.connect(
            QString(), QString::fromLatin1(AddressBookChangeBus::objectPath),
            QString::fromLatin1(AddressBookChangeBus::interfaceName),
            QString::fromLatin1(AddressBookChangeBus::signalName), &watcher,
            SLOT(onChanged(QString, QString, QList<uint>, QList<uint>, QList<uint>))));
        m_peer.call(QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId")));
        const int most = AddressBookChangeBus::MaxIds;
        AddressBookChangeBus::publish(nullptr, m_file, ids(most + 1), ids(3), ids(2 * most));
        QTRY_COMPARE(watcher.seen.size(), 5);
        QCOMPARE(watcher.seen.join(QLatin1Char(' ')),
                 QStringLiteral("10000/0/0 1/0/0 0/3/0 0/0/10000 0/0/10000"));
        m_peer.disconnect(QString(), QString::fromLatin1(AddressBookChangeBus::objectPath),
                          QString::fromLatin1(AddressBookChangeBus::interfaceName),
                          QString::fromLatin1(AddressBookChangeBus::signalName), &watcher,
                          SLOT(onChanged(QString, QString, QList<uint>, QList<uint>, QList<uint>)));
    }
};

QTEST_GUILESS_MAIN(TestAddressBookChangeBus)
#include "tst_addressbookchangebus.moc"
