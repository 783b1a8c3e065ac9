#include <gio/gio.h>

#include "callhistoryaccountsmanager.h"
#include "callhistorylocale.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <unistd.h>

namespace {
QStringList qtMessages;

void recordMessage(QtMsgType, const QMessageLogContext &, const QString &message)
{
    qtMessages << message;
}

// Everything written to the process's stderr (fd 2) while it lives, Qt and C libraries alike.
class StderrCapture
{
public:
    StderrCapture()
    {
        std::fflush(stderr);
        m_file.open();
        m_saved = dup(2);
        dup2(m_file.handle(), 2);
    }
    ~StderrCapture() { restore(); }
    QString text()
    {
        restore();
        m_file.seek(0);
        return QString::fromLocal8Bit(m_file.readAll());
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        dup2(m_saved, 2);
        close(m_saved);
        m_saved = -1;
    }
    QTemporaryFile m_file;
    int m_saved = -1;
};
} // namespace

// The registry on a session bus where no Telepathy account manager can be started, with an
// empty or unusable accounts database: the cellular account alone, no balances, no hang and
// nothing printed.
class TestCallHistoryAccountsWithoutServices : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void shouldServeTheCellularAccountAlone_data();
    void shouldServeTheCellularAccountAlone();

private:
    QProcess m_bus;
    QTemporaryDir m_dir;
};

void TestCallHistoryAccountsWithoutServices::initTestCase()
{
    // A bus of our own without service folders: nothing is started on demand.
    QVERIFY(m_dir.isValid());
    QFile config(m_dir.filePath(QStringLiteral("bus.conf")));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(
        "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
        " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
        "<busconfig><type>session</type><auth>EXTERNAL</auth>"
        "<listen>unix:tmpdir=" +
        QFile::encodeName(m_dir.path()) +
        "</listen>"
        "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
        "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n");
    config.close();
    m_bus.start(QStringLiteral("dbus-daemon"),
                {QStringLiteral("--config-file=") + config.fileName(), QStringLiteral("--nofork"),
                 QStringLiteral("--print-address=1")});
    QVERIFY(m_bus.waitForStarted());
    QVERIFY(m_bus.waitForReadyRead(10000));
    const QByteArray address = m_bus.readLine().trimmed();
    QVERIFY(!address.isEmpty());
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    qputenv("AG_PROVIDERS", QByteArray(CH_SOURCE_DIR "/data/accounts/providers"));
    qputenv("AG_SERVICES", QByteArray(CH_SOURCE_DIR "/data/accounts/services"));
}

void TestCallHistoryAccountsWithoutServices::cleanupTestCase()
{
    // The accounts library's bus connection would end the process when its bus goes away.
    if (GDBusConnection *connection = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)) {
        g_dbus_connection_set_exit_on_close(connection, FALSE);
        g_object_unref(connection);
    }
    m_bus.terminate();
    m_bus.waitForFinished();
}

void TestCallHistoryAccountsWithoutServices::shouldServeTheCellularAccountAlone_data()
{
    QTest::addColumn<QByteArray>("accounts");
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("db"))));
    QTest::newRow("empty database") << QFile::encodeName(m_dir.filePath(QStringLiteral("db")));
    QTest::newRow("database folder missing")
        << QFile::encodeName(m_dir.filePath(QStringLiteral("missing")));
    QTest::newRow("database folder cannot exist") << QByteArray("/dev/null/accounts");
}

void TestCallHistoryAccountsWithoutServices::shouldServeTheCellularAccountAlone()
{
    QFETCH(QByteArray, accounts);
    qputenv("ACCOUNTS", accounts);

    StderrCapture capture;
    qtMessages.clear();
    QtMessageHandler previous = qInstallMessageHandler(recordMessage);
    QString printed;
    {
        CallHistoryLocale locale;
        CallHistoryAccountsManager manager(&locale);
        // Let the failed start of the account manager and any database notification arrive.
        QTest::qWait(1000);
        const QList<CallHistoryAccount *> all = manager.accounts(false, false, true);
        qInstallMessageHandler(previous);
        printed = capture.text();
        QCOMPARE(all.size(), 1);
        QCOMPARE(manager.defaultAccountPath(true, true, true),
                 CallHistoryAccountsManager::cellularPath());
        QVERIFY(!manager.hasAccounts(true, true, false, false));
        QCOMPARE(manager.accountCredits(CallHistoryAccountsManager::cellularPath()), QString());
        QVERIFY(
            !manager.hasAccount(QStringLiteral("/org/freedesktop/Telepathy/Account/a/b/c"), false));
    }
    QCOMPARE(printed, QString());
    QCOMPARE(qtMessages.join(QLatin1Char('\n')), QString());
}

int main(int argc, char **argv)
{
    qputenv("LC_ALL", "C");
    QCoreApplication app(argc, argv);
    TestCallHistoryAccountsWithoutServices test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_callhistoryaccountswithoutservices.moc"
