#include "buslimits.h"
#include "mapplicationservice.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QSignalSpy>
#include <QtTest>

// Launch requests sent over the bus from a connection of their own, as a later process or any
// other peer would send them.
class RecordingService : public MApplicationService
{
    Q_OBJECT
public:
    using MApplicationService::MApplicationService;
    void launch(const QStringList &parameters) override { Q_EMIT launched(parameters); }

Q_SIGNALS:
    void launched(const QStringList &parameters);
};

class TestMApplicationService : public QObject
{
    Q_OBJECT
private:
    RecordingService *m_service = nullptr;
    QDBusConnection m_other{QString()};

    static QStringList repeated(int count)
    {
        QStringList list;
        for (int i = 0; i < count; ++i)
            list << QStringLiteral("x");
        return list;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_service = new RecordingService(QStringLiteral("com.velto.test.applicationservice"));
        QVERIFY(m_service->registerService());
        m_other = QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                                QStringLiteral("other-program"));
        QVERIFY(m_other.isConnected());
    }

    void cleanupTestCase() { delete m_service; }

    void shouldRefuseParametersBeyondTheirBounds_data()
    {
        const int length = BusLimits::MaxLaunchParameterLength;
        const int count = BusLimits::MaxLaunchParameters;
        QTest::addColumn<QStringList>("parameters");
        QTest::addColumn<QString>("reply");
        QTest::newRow("parameter at the bound")
            << QStringList{QStringLiteral("dialer"), QString(length, QLatin1Char('7'))} << "taken";
        QTest::newRow("parameter one too long")
            << QStringList{QStringLiteral("dialer"), QString(length + 1, QLatin1Char('7'))}
            << "org.freedesktop.DBus.Error.InvalidArgs";
        QTest::newRow("30 MB parameter") << QStringList{QString(30 * 1024 * 1024, QLatin1Char('7'))}
                                         << "org.freedesktop.DBus.Error.InvalidArgs";
        QTest::newRow("parameters at the bound") << repeated(count) << "taken";
        QTest::newRow("one parameter too many")
            << repeated(count + 1) << "org.freedesktop.DBus.Error.InvalidArgs";
    }
    void shouldRefuseParametersBeyondTheirBounds()
    {
        QFETCH(QStringList, parameters);
        QFETCH(QString, reply);
        QSignalSpy launched(m_service, &RecordingService::launched);
        QDBusMessage msg = QDBusMessage::createMethodCall(
            m_service->serviceName(), MApplicationService::objectPath,
            MApplicationService::interfaceName, QStringLiteral("launch"));
        msg << parameters;
        // The service answers from this thread's event loop, which the wait runs.
        const QDBusMessage answer = m_other.call(msg, QDBus::BlockWithGui, 15000);
        QCOMPARE(answer.type() == QDBusMessage::ErrorMessage ? answer.errorName()
                                                             : QStringLiteral("taken"),
                 reply);
        if (reply == QLatin1String("taken")) {
            // Carried out on a later turn of the event loop.
            QTRY_COMPARE(launched.size(), 1);
            QCOMPARE(launched.first().first().toStringList(), parameters);
        } else {
            // Refused before it was queued: nothing is left to run.
            QCoreApplication::processEvents();
            QCOMPARE(launched.size(), 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestMApplicationService)
#include "tst_mapplicationservice.moc"
