#include "testsupport.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QProcess>
#include <QtTest>

// The real program, started as separate processes on the test's private bus.
class TestSingleInstance : public QObject
{
    Q_OBJECT
private:
    QProcess m_first;

    static QString program()
    {
        return TestSupport::builtProgram(QStringLiteral("app/call-history"));
    }

    // "unset", "true" or "false": the published inbox property, read as another program would.
    static QString inbox()
    {
        QDBusMessage msg = QDBusMessage::createMethodCall(
            QStringLiteral("com.velto.CallHistory.Context"),
            QStringLiteral("/ContextProperty/CallHistory/Inbox"),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"));
        msg << QStringLiteral("com.velto.Context.Property");
        const QDBusMessage reply = QDBusConnection::sessionBus().call(msg, QDBus::Block, 3000);
        if (reply.type() != QDBusMessage::ReplyMessage)
            return QStringLiteral("error");
        const QVariantMap props = qdbus_cast<QVariantMap>(reply.arguments().value(0));
        if (!props.value(QStringLiteral("IsSet")).toBool())
            return QStringLiteral("unset");
        // Value is a variant property: its value comes wrapped once more.
        const QVariant v =
            qvariant_cast<QDBusVariant>(props.value(QStringLiteral("Value"))).variant();
        return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    }

    static int runSecond(const QStringList &args, QString *err = nullptr,
                         const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
    {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program(), args);
        if (!p.waitForFinished(15000)) {
            p.kill();
            return -1;
        }
        if (err)
            *err = QString::fromLocal8Bit(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QProcess::execute(
            QStringLiteral("dconf"),
            {QStringLiteral("reset"), QStringLiteral("/apps/call-history/settings/defaultPage")});
        m_first.setProcessChannelMode(QProcess::ForwardedChannels);
        m_first.start(program(), {QStringLiteral("callhistory")});
        QVERIFY(m_first.waitForStarted());
        QVERIFY(
            TestSupport::waitForBusName(QStringLiteral("com.velto.telephony.callhistory"), 15000));
    }

    void shouldHandleFirstInstanceParameters()
    {
        QTRY_COMPARE_WITH_TIMEOUT(inbox(), QStringLiteral("true"), 10000);
    }

    void shouldHandOverParametersAndExit_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("inbox");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("dialer with digits") << QStringList{"dialer", "0401234"} << "false" << 0;
        QTest::newRow("call history in capitals") << QStringList{"CALLHISTORY"} << "true" << 0;
        QTest::newRow("tel link") << QStringList{"tel:+358-40-123;phone-context=example.com"}
                                  << "false" << 0;
        QTest::newRow("contacts") << QStringList{"contacts"} << "false" << 0;
        QTest::newRow("callhistory mixed case") << QStringList{"CallHistory"} << "true" << 0;
        // Longer than a launch parameter may be: the running instance refuses it, and the page
        // stays as it was.
        QTest::newRow("absurdly long dialer string")
            << QStringList{"dialer", QString(100000, QLatin1Char('7'))} << "true" << 1;
    }
    void shouldHandOverParametersAndExit()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, inbox);
        QFETCH(int, exitCode);
        QCOMPARE(runSecond(args), exitCode);
        QTRY_COMPARE_WITH_TIMEOUT(this->inbox(), inbox, 10000);
        QCOMPARE(m_first.state(), QProcess::Running);
    }

    void shouldFailClearlyWithoutBus()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                   QStringLiteral("unix:path=/nonexistent/bus"));
        QString err;
        QCOMPARE(runSecond({}, &err, env), 1);
        QVERIFY2(err.contains(QLatin1String("session bus")), qPrintable(err));
    }

    void shouldSaveDefaultPageWhenQuit()
    {
        QCOMPARE(runSecond({QStringLiteral("contacts")}), 0);
        QTRY_COMPARE_WITH_TIMEOUT(inbox(), QStringLiteral("false"), 10000);
        QDBusMessage quit = QDBusMessage::createMethodCall(
            QStringLiteral("com.velto.telephony.callhistory"),
            QStringLiteral("/com/velto/touch/application"),
            QStringLiteral("com.velto.touch.application"), QStringLiteral("exit"));
        QDBusConnection::sessionBus().call(quit, QDBus::Block, 3000);
        QVERIFY(m_first.waitForFinished(10000));
        QCOMPARE(m_first.exitCode(), 0);
        QProcess read;
        read.start(
            QStringLiteral("dconf"),
            {QStringLiteral("read"), QStringLiteral("/apps/call-history/settings/defaultPage")});
        QVERIFY(read.waitForFinished());
        QCOMPARE(QString::fromUtf8(read.readAllStandardOutput()).trimmed(),
                 QStringLiteral("'contacts'"));
        // The name and the inbox property went with the process.
        QVERIFY(TestSupport::waitForBusNameGone(QStringLiteral("com.velto.telephony.callhistory")));
        QCOMPARE(inbox(), QStringLiteral("error"));
    }

    void cleanupTestCase()
    {
        if (m_first.state() != QProcess::NotRunning) {
            m_first.kill();
            m_first.waitForFinished();
        }
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
