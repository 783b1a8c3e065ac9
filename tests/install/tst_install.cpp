#include "mdatapaths.h"
#include "testsupport.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// "cmake --install" of the build folder into a temporary prefix, and the installed program run
// from there: every file in its place, no build or source path left in any installed file, a
// valid desktop file, and a program that starts prestarted on the bus with its data from the
// prefix alone.
class TestInstall : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_prefix;

    QString installed(const QString &relative) const { return m_prefix.filePath(relative); }

    static QString run(const QString &program, const QStringList &args, int *code)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(program, args);
        if (!p.waitForFinished(120000)) {
            p.kill();
            *code = -1;
        } else {
            *code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
        }
        return QString::fromLocal8Bit(p.readAll());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_prefix.isValid());
        int code = 0;
        const QString out =
            run(QStringLiteral(CH_CMAKE_COMMAND),
                {QStringLiteral("--install"), QStringLiteral(CH_BINARY_DIR),
                 QStringLiteral("--prefix"), m_prefix.path(), QStringLiteral("--strip")},
                &code);
        QVERIFY2(code == 0, qPrintable(out));
    }

    void shouldInstallFile_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("executable");
        QTest::newRow("program") << "bin/call-history" << true;
        QTest::newRow("history store tool") << "bin/call-history-store" << true;
        QTest::newRow("address book tool") << "bin/call-history-contacts" << true;
        QTest::newRow("accounts tool") << "bin/call-history-accounts" << true;
        QTest::newRow("call-UI service") << "libexec/call-history/call-ui-dev-service" << true;
        QTest::newRow("modem call-UI service")
            << "libexec/call-history/call-ui-modem-service" << true;
        QTest::newRow("English catalogue")
            << "share/call-history/translations/telephony_en.qm" << false;
        QTest::newRow("German catalogue")
            << "share/call-history/translations/telephony_de.qm" << false;
        QTest::newRow("Arabic catalogue")
            << "share/call-history/translations/telephony_ar.qm" << false;
        QTest::newRow("theme") << "share/call-history/theme/theme.conf" << false;
        QTest::newRow("icon map") << "share/call-history/theme/icons.conf" << false;
        QTest::newRow("an icon") << "share/call-history/icons/toolbar-dialer.svg" << false;
        QTest::newRow("demo address book") << "share/call-history/demo/contacts.vcf" << false;
        QTest::newRow("accounts provider")
            << "share/accounts/providers/velto-sip.provider" << false;
        QTest::newRow("accounts service")
            << "share/accounts/services/velto-sip-voip.service" << false;
        QTest::newRow("desktop file") << "share/applications/call-history.desktop" << false;
        QTest::newRow("metainfo") << "share/metainfo/com.velto.telephony.callhistory.metainfo.xml"
                                  << false;
        QTest::newRow("application icon")
            << "share/icons/hicolor/scalable/apps/call-history.svg" << false;
        QTest::newRow("D-Bus service")
            << "share/dbus-1/services/com.velto.telephony.callhistory.service" << false;
        QTest::newRow("call-UI D-Bus service")
            << "share/dbus-1/services/com.velto.CallUi.service" << false;
        QTest::newRow("copyright") << "share/doc/call-history/copyright" << false;
        QTest::newRow("changelog") << "share/doc/call-history/changelog.Debian.gz" << false;
        QTest::newRow("modem package copyright")
            << "share/doc/call-history-modem/copyright" << false;
        QTest::newRow("modem package changelog")
            << "share/doc/call-history-modem/changelog.Debian.gz" << false;
        QTest::newRow("systemd unit") << "lib/systemd/user/call-history.service" << false;
        QTest::newRow("call-UI systemd unit") << "lib/systemd/user/call-ui-dev.service" << false;
        QTest::newRow("modem call-UI systemd unit")
            << "lib/systemd/user/call-ui-modem.service" << false;
    }
    void shouldInstallFile()
    {
        QFETCH(QString, path);
        QFETCH(bool, executable);
        const QFileInfo fi(installed(path));
        QVERIFY2(fi.isFile(), qPrintable(path));
        QCOMPARE(fi.isExecutable(), executable);
    }

    // The shared folders of the accounts database hold files of every package that defines
    // accounts: ours go there under names of our own only.
    void shouldShipAccountFilesUnderNamesOfItsOwn()
    {
        QStringList foreign;
        QDirIterator it(installed(QStringLiteral("share/accounts")), QDir::Files,
                        QDirIterator::Subdirectories);
        int own = 0;
        while (it.hasNext()) {
            const QString name = QFileInfo(it.next()).fileName();
            if (name.startsWith(QLatin1String("velto-")))
                ++own;
            else
                foreign << name;
        }
        QCOMPARE(foreign.join(QLatin1Char(',')), QString());
        QVERIFY(own > 0);
    }

    void shouldShipADebianChangelog()
    {
        int code = 0;
        const QString text =
            run(QStringLiteral("gzip"),
                {QStringLiteral("-dc"),
                 installed(QStringLiteral("share/doc/call-history/changelog.Debian.gz"))},
                &code);
        QCOMPARE(code, 0);
        QVERIFY2(text.startsWith(QStringLiteral("call-history (")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral(" -- ")), qPrintable(text));
    }

    // Binaries too (installed stripped, as a package ships them: debug information names the
    // build folder): a compiled-in build path would make the program read the build folder.
    void shouldHoldNoBuildOrSourcePath()
    {
#ifdef CH_SANITIZED_BUILD
        QSKIP("the sanitizers' checks name the source files they sit in; the plain build is "
              "checked");
#endif
        const QByteArray build = QByteArrayLiteral(CH_BINARY_DIR);
        const QByteArray source = QByteArrayLiteral(CH_SOURCE_DIR);
        QStringList found;
        QDirIterator it(m_prefix.path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile f(it.next());
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray content = f.readAll();
            if (content.contains(build) || content.contains(source))
                found << f.fileName().mid(m_prefix.path().size() + 1);
        }
        QCOMPARE(found.join(QLatin1Char(',')), QString());
    }

    void shouldNameInstalledProgramInServiceFiles_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("line");
        QTest::newRow("D-Bus service")
            << "share/dbus-1/services/com.velto.telephony.callhistory.service"
            << "Exec=%1/bin/call-history -prestart";
        QTest::newRow("systemd unit") << "lib/systemd/user/call-history.service"
                                      << "ExecStart=%1/bin/call-history -prestart";
        QTest::newRow("systemd unit bus name") << "lib/systemd/user/call-history.service"
                                               << "BusName=com.velto.telephony.callhistory";
        QTest::newRow("call-UI D-Bus service")
            << "share/dbus-1/services/com.velto.CallUi.service"
            << "Exec=%1/libexec/call-history/call-ui-dev-service";
        QTest::newRow("modem call-UI systemd unit")
            << "lib/systemd/user/call-ui-modem.service"
            << "ExecStart=%1/libexec/call-history/call-ui-modem-service";
        QTest::newRow("modem call-UI systemd unit bus name")
            << "lib/systemd/user/call-ui-modem.service"
            << "BusName=com.velto.CallUi";
        // Left beside the development service's file, which a plain install keeps activated.
        QTest::newRow("modem call-UI D-Bus service")
            << "share/call-history/modem/com.velto.CallUi.service"
            << "Exec=%1/libexec/call-history/call-ui-modem-service";
    }
    void shouldNameInstalledProgramInServiceFiles()
    {
        QFETCH(QString, path);
        QFETCH(QString, line);
        QFile f(installed(path));
        QVERIFY(f.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
        const QString expected =
            line.contains(QLatin1String("%1")) ? line.arg(m_prefix.path()) : line;
        QVERIFY2(lines.contains(expected), qPrintable(expected));
    }

    // The relative way from the installed executables' folders to the installed data.
    void shouldFindDataFromInstalledFolder_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("program and tools") << "bin";
        QTest::newRow("services") << "libexec/call-history";
    }
    void shouldFindDataFromInstalledFolder()
    {
        QFETCH(QString, folder);
        const QString data = QDir(installed(QStringLiteral("share/call-history"))).canonicalPath();
        QCOMPARE(MDataPaths::rootsFrom(installed(folder)).join(QLatin1Char(',')), data);
    }

    void shouldPassValidation_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("validator");
        QTest::newRow("desktop file")
            << "share/applications/call-history.desktop" << QStringList{"desktop-file-validate"};
        QTest::newRow("metainfo") << "share/metainfo/com.velto.telephony.callhistory.metainfo.xml"
                                  << QStringList{"appstreamcli", "validate", "--no-net"};
    }
    void shouldPassValidation()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, validator);
        int code = 0;
        const QString out = run(validator.first(), validator.mid(1) << installed(path), &code);
        QVERIFY2(code == 0, qPrintable(out));
        QVERIFY2(!out.contains(QLatin1String("error")), qPrintable(out));
    }

    // Started as D-Bus or systemd start it, with no data folder given: it has to find theme and
    // catalogues under the prefix (no build path is compiled in, see above) and serve requests.
    void shouldStartPrestartedFromPrefix()
    {
        const QString name = QStringLiteral("com.velto.telephony.callhistory");
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("CALL_HISTORY_DATA_DIR"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(installed(QStringLiteral("bin/call-history")), {QStringLiteral("-prestart")});
        QVERIFY(program.waitForStarted());
        QVERIFY(TestSupport::waitForBusName(name, 30000));

        QDBusMessage dialer = QDBusMessage::createMethodCall(name, QStringLiteral("/callhistory"),
                                                             name, QStringLiteral("dialer"));
        dialer << QStringLiteral("0401234567");
        QDBusConnection::sessionBus().call(dialer, QDBus::Block, 10000);
        // The program serves a call after the dialer request: it did not fail on it.
        QDBusMessage ping = QDBusMessage::createMethodCall(
            name, QStringLiteral("/"), QStringLiteral("org.freedesktop.DBus.Peer"),
            QStringLiteral("Ping"));
        QCOMPARE(int(QDBusConnection::sessionBus().call(ping, QDBus::Block, 10000).type()),
                 int(QDBusMessage::ReplyMessage));
        QCOMPARE(program.state(), QProcess::Running);

        QDBusMessage quit = QDBusMessage::createMethodCall(
            name, QStringLiteral("/com/velto/touch/application"),
            QStringLiteral("com.velto.touch.application"), QStringLiteral("exit"));
        QDBusConnection::sessionBus().call(quit, QDBus::Block, 5000);
        if (!program.waitForFinished(15000))
            program.kill();
        QCOMPARE(program.exitCode(), 0);
    }

    // The installed D-Bus service file starts the program on a bus of our own that knows no
    // other place for it.
    void shouldStartOnDemandThroughServiceFile()
    {
        const QString name = QStringLiteral("com.velto.telephony.callhistory");
        QTemporaryDir busDir;
        QVERIFY(busDir.isValid());
        QFile config(busDir.filePath(QStringLiteral("bus.conf")));
        QVERIFY(config.open(QIODevice::WriteOnly | QIODevice::Text));
        config.write(QStringLiteral("<busconfig><include>/usr/share/dbus-1/session.conf</include>"
                                    "<servicedir>%1</servicedir></busconfig>\n")
                         .arg(installed(QStringLiteral("share/dbus-1/services")))
                         .toUtf8());
        config.close();
        QProcess daemon;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("CALL_HISTORY_DATA_DIR"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        daemon.setProcessEnvironment(env);
        daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--config-file=") + config.fileName(),
                      QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        QVERIFY(daemon.waitForStarted());
        QVERIFY(daemon.waitForReadyRead(10000));
        const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
        QVERIFY(!address.isEmpty());
        // dbus-send as a separate client of that bus, as the desktop's launcher would be.
        const auto send = [&](const QStringList &args) {
            QProcess p;
            QProcessEnvironment e = env;
            e.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
            p.setProcessEnvironment(e);
            p.setProcessChannelMode(QProcess::MergedChannels);
            p.start(QStringLiteral("dbus-send"),
                    QStringList{QStringLiteral("--session"), QStringLiteral("--print-reply"),
                                QStringLiteral("--reply-timeout=30000")} +
                        args);
            if (!p.waitForFinished(40000))
                p.kill();
            return QString::fromUtf8(p.readAll()).simplified();
        };
        const QStringList busCall{QStringLiteral("--dest=org.freedesktop.DBus"),
                                  QStringLiteral("/org/freedesktop/DBus")};
        const QString started = send(
            busCall + QStringList{QStringLiteral("org.freedesktop.DBus.StartServiceByName"),
                                  QStringLiteral("string:") + name, QStringLiteral("uint32:0")});
        QVERIFY2(started.endsWith(QLatin1String("uint32 1")), qPrintable(started));
        const QStringList hasOwner =
            busCall + QStringList{QStringLiteral("org.freedesktop.DBus.NameHasOwner"),
                                  QStringLiteral("string:") + name};
        QVERIFY(send(hasOwner).endsWith(QLatin1String("boolean true")));
        send({QStringLiteral("--dest=") + name, QStringLiteral("/com/velto/touch/application"),
              QStringLiteral("com.velto.touch.application.exit")});
        QTRY_VERIFY_WITH_TIMEOUT(send(hasOwner).endsWith(QLatin1String("boolean false")), 15000);
        daemon.terminate();
        if (!daemon.waitForFinished(5000))
            daemon.kill();
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
