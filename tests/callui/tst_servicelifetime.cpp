// The call-UI services end with the session bus they were started on, instead of lingering
// after the session.
#include "calluiservicenames.h"
#include "testsupport.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestServiceLifetime : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shouldEndWhenItsBusGoesAway_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("development service")
            << "services/call-ui-dev/call-ui-dev-service" << QStringList();
        QTest::newRow("modem service")
            << "services/call-ui-modem/call-ui-modem-service"
            << QStringList{QStringLiteral("--modem-bus"), QStringLiteral("session"),
                           QStringLiteral("--journal")};
    }

    void shouldEndWhenItsBusGoesAway()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QTemporaryDir dir;
        // A bus of the test's own, which it can end.
        QProcess daemon;
        daemon.setStandardErrorFile(QProcess::nullDevice());
        daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--session"), QStringLiteral("--nofork"),
                      QStringLiteral("--print-address=1")});
        QVERIFY(daemon.waitForStarted());
        QTRY_VERIFY(daemon.canReadLine());
        const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
        QVERIFY(!address.isEmpty());

        QProcess service;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
        service.setProcessEnvironment(env);
        service.setProcessChannelMode(QProcess::ForwardedChannels);
        if (!arguments.isEmpty() && arguments.last() == QLatin1String("--journal"))
            arguments << dir.filePath(QStringLiteral("calls.json"));
        service.start(TestSupport::builtProgram(program), arguments);
        QVERIFY(service.waitForStarted());
        {
            QDBusConnection watch = QDBusConnection::connectToBus(address, QStringLiteral("w"));
            QTRY_VERIFY_WITH_TIMEOUT(
                watch.interface()->isServiceRegistered(CallUi::serviceName()).value(), 15000);
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("w"));

        daemon.terminate();
        QVERIFY(daemon.waitForFinished());
        QVERIFY2(service.waitForFinished(15000), "the service outlived its bus");
        QCOMPARE(service.exitStatus(), QProcess::NormalExit);
        QCOMPARE(service.exitCode(), 0);
    }

    // systemd stops a service with SIGTERM; so does a library whose bus connection gave up.
    void shouldEndInOrderWhenTerminated_data()
    {
        QTest::addColumn<QString>("program");
        QTest::newRow("development service") << "services/call-ui-dev/call-ui-dev-service";
        QTest::newRow("modem service") << "services/call-ui-modem/call-ui-modem-service";
    }
    void shouldEndInOrderWhenTerminated()
    {
        QFETCH(QString, program);
        QProcess service;
        service.setProcessChannelMode(QProcess::ForwardedChannels);
        QTemporaryDir dir;
        // The modem service looks for ModemManager on the session bus, where there is none.
        const QStringList arguments =
            program.contains(QLatin1String("modem"))
                ? QStringList{QStringLiteral("--modem-bus"), QStringLiteral("session"),
                              QStringLiteral("--journal"), dir.filePath(QStringLiteral("c.json"))}
                : QStringList();
        service.start(TestSupport::builtProgram(program), arguments);
        QVERIFY(service.waitForStarted());
        QVERIFY(TestSupport::waitForBusName(CallUi::serviceName(), 15000));
        service.terminate();
        QVERIFY(service.waitForFinished(15000));
        QCOMPARE(service.exitStatus(), QProcess::NormalExit);
        QCOMPARE(service.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestServiceLifetime)
#include "tst_servicelifetime.moc"
