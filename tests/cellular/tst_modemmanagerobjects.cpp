#include "buslimits.h"
#include "emergencynumbers.h"
#include "fakemodemmanager.h"
#include "modemmanagerobjects.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QSignalSpy>
#include <QtTest>

using Cellular::ModemManagerObjects;

// ModemManager's modems as ModemManagerObjects and the emergency numbers see them, against a fake
// ModemManager (python-dbusmock, tests/support/fakemodemmanager.py) on the test's bus.
class TestModemManagerObjects : public QObject
{
    Q_OBJECT
private:
    FakeModemManager m_modem;

    // What happened to the modems, as "+path", "-path", "owner" and "listed".
    static void record(ModemManagerObjects *objects, QStringList *log)
    {
        connect(objects, &ModemManagerObjects::modemAdded, objects,
                [log](const QString &p) { *log << QStringLiteral("+") + p.section('/', -1); });
        connect(objects, &ModemManagerObjects::modemRemoved, objects,
                [log](const QString &p) { *log << QStringLiteral("-") + p.section('/', -1); });
        connect(objects, &ModemManagerObjects::ownerChanged, objects,
                [log](const QString &, const QString &now) {
                    *log << (now.isEmpty() ? QStringLiteral("gone") : QStringLiteral("owner"));
                });
        connect(objects, &ModemManagerObjects::listed, objects,
                [log] { *log << QStringLiteral("listed"); });
    }

private Q_SLOTS:
    void cleanup() { m_modem.stop(); }

    void shouldFollowModemsAndModemManagerRestarts()
    {
        QVERIFY(m_modem.start(1));
        QStringList log;
        ModemManagerObjects objects(QDBusConnection::sessionBus());
        record(&objects, &log);
        QTRY_VERIFY(objects.isListed());
        QCOMPARE(objects.modems(), QStringList{FakeModemManager::modemPath(0)});
        QVERIFY(objects.interfaces(FakeModemManager::modemPath(0))
                    .contains(ModemManagerObjects::voiceInterface()));
        QVERIFY(!m_modem.addModem({}).isEmpty());
        QVERIFY(m_modem.removeModem(FakeModemManager::modemPath(0)));
        QTRY_COMPARE(log.join(' '), QStringLiteral("owner +0 listed +1 -0"));
        log.clear();
        m_modem.stop();
        QTRY_COMPARE(log.join(' '), QStringLiteral("-1 gone listed"));
        QVERIFY(objects.owner().isEmpty());
        log.clear();
        QVERIFY(m_modem.start(1));
        QTRY_COMPARE(log.join(' '), QStringLiteral("owner +0 listed"));
    }

    // A change whose signals come before the listing's answer, while the answer predates it,
    // is not lost: the signals could not be applied to modems not known yet.
    void shouldNotLoseChangesSignalledWhileListing()
    {
        QVERIFY(m_modem.start(1));
        const QString modem = FakeModemManager::modemPath(0);
        QVERIFY(m_modem.ringDuringNextListing(modem, QStringLiteral("+35850111")));
        QStringList log;
        ModemManagerObjects objects(QDBusConnection::sessionBus());
        record(&objects, &log);
        QTRY_VERIFY(objects.isListed());
        const QVariant calls =
            objects.property(modem, ModemManagerObjects::voiceInterface(), QStringLiteral("Calls"));
        QCOMPARE(ModemManagerObjects::objectPaths(calls),
                 QStringList{QStringLiteral("/org/freedesktop/ModemManager1/Call/0")});
        QCOMPARE(log.join(' '), QStringLiteral("owner +0 listed"));
    }

    void shouldIgnoreModemsAnnouncedByAnotherPeer()
    {
        QVERIFY(m_modem.start(0));
        ModemManagerObjects objects(QDBusConnection::sessionBus());
        QTRY_VERIFY(objects.isListed());
        // This test's own connection is not ModemManager, whatever it says.
        QDBusMessage forged =
            QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/ModemManager1"),
                                       QStringLiteral("org.freedesktop.DBus.ObjectManager"),
                                       QStringLiteral("InterfacesAdded"));
        QDBusArgument interfaces;
        interfaces.beginMap(QVariant::String, qMetaTypeId<QVariantMap>());
        interfaces.beginMapEntry();
        interfaces << ModemManagerObjects::voiceInterface() << QVariantMap();
        interfaces.endMapEntry();
        interfaces.endMap();
        forged << QVariant::fromValue(QDBusObjectPath(FakeModemManager::modemPath(7)))
               << QVariant::fromValue(interfaces);
        QVERIFY(QDBusConnection::sessionBus().send(forged));
        // A real modem added after the forged one shows the forged one was passed over.
        QVERIFY(!m_modem.addModem({}).isEmpty());
        QTRY_COMPARE(objects.modems(), QStringList{FakeModemManager::modemPath(0)});
    }

    void shouldIgnoreModemsAtPathsBeyondTheBound_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("kept");
        QTest::newRow("path at the bound") << int(BusLimits::MaxObjectPathLength) << true;
        QTest::newRow("path too long") << BusLimits::MaxObjectPathLength + 1 << false;
    }
    void shouldIgnoreModemsAtPathsBeyondTheBound()
    {
        QFETCH(int, length);
        QFETCH(bool, kept);
        QVERIFY(m_modem.start(0));
        ModemManagerObjects objects(QDBusConnection::sessionBus());
        QTRY_VERIFY(objects.isListed());
        const QString prefix = QStringLiteral("/org/freedesktop/ModemManager1/Modem/");
        const QString path = prefix + QString(length - prefix.size(), QLatin1Char('x'));
        const QVariantMap interfaces{
            {ModemManagerObjects::voiceInterface(), QVariant::fromValue(QVariantMap())}};
        QVERIFY(m_modem.emitSignal(QStringLiteral("/org/freedesktop/ModemManager1"),
                                   QStringLiteral("org.freedesktop.DBus.ObjectManager"),
                                   QStringLiteral("InterfacesAdded"), QStringLiteral("oa{sa{sv}}"),
                                   {QVariant::fromValue(QDBusObjectPath(path)), interfaces}));
        // A real modem added after it shows that the first was handled.
        QVERIFY(!m_modem.addModem({}).isEmpty());
        QTRY_VERIFY(objects.modems().contains(FakeModemManager::modemPath(0)));
        QCOMPARE(objects.modems().contains(path), kept);
    }

    void shouldTakeEmergencyNumbersFromModemManagerSims()
    {
        QVERIFY(m_modem.start(0));
        Cellular::EmergencyNumbers numbers(QDBusConnection::sessionBus());
        QSignalSpy changed(&numbers, &Cellular::EmergencyNumbers::numbersChanged);
        QVERIFY(!m_modem.addModem({QStringLiteral("1234"), QStringLiteral(" 1234 ")}).isEmpty());
        // The SIM's numbers, and the two ModemManager says count besides them.
        QTRY_COMPARE(numbers.numbers().join(','), QStringLiteral("1234,112,911"));
        QVERIFY(numbers.fromModem());
        QVERIFY(m_modem.removeModem(FakeModemManager::modemPath(0)));
        QTRY_VERIFY(!numbers.fromModem());
        QCOMPARE(numbers.numbers(), Cellular::EmergencyNumbers::defaultNumbers());
        QCOMPARE(changed.count(), 2);
    }
};

QTEST_GUILESS_MAIN(TestModemManagerObjects)
#include "tst_modemmanagerobjects.moc"
