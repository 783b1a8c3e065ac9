#include "buslimits.h"
#include "emergencynumbers.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QMutex>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

// A modem service as oFono offers it, on the test's session bus in a thread of its own. Its
// modems can hold their answers back until the test lets them go.
struct ModemEntry
{
    QDBusObjectPath path;
    QVariantMap properties;
};
Q_DECLARE_METATYPE(ModemEntry)
Q_DECLARE_METATYPE(QList<ModemEntry>)

QDBusArgument &operator<<(QDBusArgument &arg, const ModemEntry &e)
{
    arg.beginStructure();
    arg << e.path << e.properties;
    arg.endStructure();
    return arg;
}

const QDBusArgument &operator>>(const QDBusArgument &arg, ModemEntry &e)
{
    arg.beginStructure();
    arg >> e.path >> e.properties;
    arg.endStructure();
    return arg;
}

class FakeManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.ofono.Manager")
public:
    QStringList modems;
public Q_SLOTS:
    QList<ModemEntry> GetModems()
    {
        QList<ModemEntry> list;
        for (const QString &m : qAsConst(modems))
            list << ModemEntry{QDBusObjectPath(m), {}};
        return list;
    }
};

class FakeVoiceCallManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.ofono.VoiceCallManager")
public:
    FakeVoiceCallManager(const QDBusConnection &bus, const QString &path) : bus(bus), path(path) {}
    QDBusConnection bus;
    QString path;
    QStringList numbers;
    // The modem's PropertyChanged signal.
    void announce(const QStringList &newNumbers)
    {
        numbers = newNumbers;
        QDBusMessage signal = QDBusMessage::createSignal(
            path, QStringLiteral("org.ofono.VoiceCallManager"), QStringLiteral("PropertyChanged"));
        signal << QStringLiteral("EmergencyNumbers") << QVariant::fromValue(QDBusVariant(numbers));
        bus.send(signal);
    }
    bool holdAnswers = false;
    // Sends the answers held back so far; called from the test's thread.
    void answerHeld()
    {
        QMutexLocker lock(&mutex);
        for (const QDBusMessage &call : qAsConst(held))
            bus.send(call.createReply(QVariant::fromValue(properties())));
        held.clear();
    }
    int heldCount()
    {
        QMutexLocker lock(&mutex);
        return held.size();
    }
public Q_SLOTS:
    QVariantMap GetProperties(const QDBusMessage &call)
    {
        if (holdAnswers) {
            call.setDelayedReply(true);
            QMutexLocker lock(&mutex);
            held << call;
            return {};
        }
        return properties();
    }

private:
    QVariantMap properties() const { return {{QStringLiteral("EmergencyNumbers"), numbers}}; }
    QMutex mutex;
    QList<QDBusMessage> held;
};

class FakeOfono
{
public:
    explicit FakeOfono(const QMap<QString, QStringList> &modems, bool holdAnswers = false)
        : m_name(QStringLiteral("ofono%1").arg(++s_count)),
          m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, m_name))
    {
        m_thread.start();
        m_manager->modems = modems.keys();
        m_manager->moveToThread(&m_thread);
        m_bus.registerObject(QStringLiteral("/"), m_manager, QDBusConnection::ExportAllSlots);
        for (auto it = modems.cbegin(); it != modems.cend(); ++it) {
            auto *vcm = new FakeVoiceCallManager(m_bus, it.key());
            vcm->numbers = it.value();
            vcm->holdAnswers = holdAnswers;
            vcm->moveToThread(&m_thread);
            m_bus.registerObject(it.key(), vcm, QDBusConnection::ExportAllSlots);
            m_voiceCallManagers.insert(it.key(), vcm);
        }
        m_bus.registerService(QStringLiteral("org.ofono"));
    }
    ~FakeOfono()
    {
        m_bus.unregisterService(QStringLiteral("org.ofono"));
        m_bus.unregisterObject(QStringLiteral("/"));
        for (const QString &path : m_voiceCallManagers.keys())
            m_bus.unregisterObject(path);
        m_thread.quit();
        m_thread.wait();
        m_bus = QDBusConnection(QString());
        QDBusConnection::disconnectFromBus(m_name);
        qDeleteAll(m_voiceCallManagers);
        delete m_manager;
    }
    void announce(const QString &modem, const QStringList &numbers)
    {
        m_voiceCallManagers.value(modem)->announce(numbers);
    }
    FakeVoiceCallManager *modem(const QString &path) { return m_voiceCallManagers.value(path); }

private:
    static int s_count;
    QString m_name;
    QDBusConnection m_bus;
    QThread m_thread;
    FakeManager *m_manager = new FakeManager;
    QMap<QString, FakeVoiceCallManager *> m_voiceCallManagers;
};

int FakeOfono::s_count = 0;

class TestEmergencyNumbers : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void shouldUseBuiltInListWithoutModem();
    void shouldUseBuiltInListWithoutBus();
    void shouldUseListsOfEveryModem_data();
    void shouldUseListsOfEveryModem();
    void shouldFollowModemChanges();
    void shouldServeBuiltInListUntilTheModemAnswers();
    void shouldFollowModemServiceComingAndGoing();
    void shouldKeepOnlyModemsAtPathsWithinTheBound_data();
    void shouldKeepOnlyModemsAtPathsWithinTheBound();
};

void TestEmergencyNumbers::initTestCase()
{
    qDBusRegisterMetaType<ModemEntry>();
    qDBusRegisterMetaType<QList<ModemEntry>>();
    if (!QDBusConnection::sessionBus().isConnected())
        QSKIP("needs a session bus to stand in for the system bus");
}

void TestEmergencyNumbers::shouldUseBuiltInListWithoutModem()
{
    Cellular::EmergencyNumbers numbers(QDBusConnection::sessionBus());
    QVERIFY(!numbers.fromModem());
    QCOMPARE(numbers.numbers(), Cellular::EmergencyNumbers::defaultNumbers());
    QVERIFY(numbers.numbers().contains(QStringLiteral("112")));
    QVERIFY(numbers.numbers().contains(QStringLiteral("911")));
}

void TestEmergencyNumbers::shouldUseBuiltInListWithoutBus()
{
    Cellular::EmergencyNumbers numbers(
        QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent"), "none"));
    QCOMPARE(numbers.numbers(), Cellular::EmergencyNumbers::defaultNumbers());
}

void TestEmergencyNumbers::shouldUseListsOfEveryModem_data()
{
    QTest::addColumn<QStringList>("first");
    QTest::addColumn<QStringList>("second");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("union in order")
        << QStringList{"112", "911", "1234"} << QStringList{"999", "112"}
        << QStringList{"112", "911", "1234", "999"};
    QTest::newRow("blanks dropped")
        << QStringList{"112", "", " 911 "} << QStringList{} << QStringList{"112", "911"};
    QTest::newRow("no numbers means built-in")
        << QStringList{} << QStringList{} << Cellular::EmergencyNumbers::defaultNumbers();
}

void TestEmergencyNumbers::shouldUseListsOfEveryModem()
{
    QFETCH(QStringList, first);
    QFETCH(QStringList, second);
    QFETCH(QStringList, expected);
    FakeOfono ofono({{QStringLiteral("/modem0"), first}, {QStringLiteral("/modem1"), second}});
    Cellular::EmergencyNumbers numbers(QDBusConnection::sessionBus());
    QTRY_COMPARE(numbers.numbers(), expected);
}

void TestEmergencyNumbers::shouldFollowModemChanges()
{
    FakeOfono ofono({{QStringLiteral("/modem0"), {"112", "1234"}}});
    Cellular::EmergencyNumbers numbers(QDBusConnection::sessionBus());
    QTRY_COMPARE(numbers.numbers(), (QStringList{"112", "1234"}));
    QSignalSpy spy(&numbers, &Cellular::EmergencyNumbers::numbersChanged);
    ofono.announce(QStringLiteral("/modem0"), {"112", "5555"});
    QVERIFY(spy.wait(5000));
    QCOMPARE(numbers.numbers(), (QStringList{"112", "5555"}));
}

void TestEmergencyNumbers::shouldServeBuiltInListUntilTheModemAnswers()
{
    FakeOfono ofono({{QStringLiteral("/modem0"), {"112", "1234"}}}, true);
    Cellular::EmergencyNumbers numbers(QDBusConnection::sessionBus());
    QSignalSpy spy(&numbers, &Cellular::EmergencyNumbers::numbersChanged);
    QCOMPARE(numbers.numbers(), Cellular::EmergencyNumbers::defaultNumbers());
    // The modem has the question; the object went on without its answer.
    QTRY_COMPARE(ofono.modem(QStringLiteral("/modem0"))->heldCount(), 1);
    QCOMPARE(numbers.numbers(), Cellular::EmergencyNumbers::defaultNumbers());
    QVERIFY(!numbers.fromModem());
    ofono.modem(QStringLiteral("/modem0"))->answerHeld();
    QTRY_COMPARE(numbers.numbers(), (QStringList{"112", "1234"}));
    QCOMPARE(spy.count(), 1);
    QVERIFY(numbers.fromModem());
}

void TestEmergencyNumbers::shouldFollowModemServiceComingAndGoing()
{
    Cellular::EmergencyNumbers numbers(QDBusConnection::sessionBus());
    QSignalSpy spy(&numbers, &Cellular::EmergencyNumbers::numbersChanged);
    {
        FakeOfono ofono({{QStringLiteral("/modem0"), {"112", "1234"}}});
        QVERIFY(spy.wait(5000));
        QCOMPARE(numbers.numbers(), (QStringList{"112", "1234"}));
    }
    QVERIFY(spy.wait(5000));
    QCOMPARE(numbers.numbers(), Cellular::EmergencyNumbers::defaultNumbers());
}

void TestEmergencyNumbers::shouldKeepOnlyModemsAtPathsWithinTheBound_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("path at the bound")
        << int(BusLimits::MaxObjectPathLength) << QStringList{"1234", "112"};
    QTest::newRow("path too long") << BusLimits::MaxObjectPathLength + 1 << QStringList{"112"};
}

void TestEmergencyNumbers::shouldKeepOnlyModemsAtPathsWithinTheBound()
{
    QFETCH(int, length);
    QFETCH(QStringList, expected);
    // Modems are asked in the order of their paths, and answer in that order: the one at "/z"
    // answers last.
    const QString path = QStringLiteral("/m") + QString(length - 2, QLatin1Char('x'));
    FakeOfono ofono({{path, {"1234"}}, {QStringLiteral("/z"), {"112"}}});
    Cellular::EmergencyNumbers numbers(QDBusConnection::sessionBus());
    QTRY_VERIFY(numbers.numbers().endsWith(QStringLiteral("112")) && numbers.fromModem());
    QCOMPARE(numbers.numbers(), expected);
}

QTEST_GUILESS_MAIN(TestEmergencyNumbers)
#include "tst_emergencynumbers.moc"
