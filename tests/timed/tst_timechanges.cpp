#include "clockchangewatcher.h"
#include "kxtime.h"
#include "timedinterface.h"
#include "timezonewatcher.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <ctime>

// The zone files live in a temporary folder that stands in for /etc.
class TestTimeChanges : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void shouldReadZoneFromLinkThenFile_data();
    void shouldReadZoneFromLinkThenFile();
    void shouldReportReplacedZoneLink();
    void shouldReportRewrittenZoneCopy();
    void shouldIgnoreUnrelatedFiles();
    void shouldReportZoneChangeAsSettingsWithoutTimeChange();
    void shouldReportZoneChangeFromSystemTimeObject();
    void shouldReportClockSet();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    void linkZone(const QString &zone);

    QScopedPointer<QTemporaryDir> m_dir;
};

void TestTimeChanges::init()
{
    qunsetenv("TZ");
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

void TestTimeChanges::linkZone(const QString &zone)
{
    // Replaced the way timedatectl does it: a new link renamed over the old one.
    const QString tmp = path(QStringLiteral("localtime.new"));
    QFile::remove(tmp);
    QVERIFY(QFile::link(QStringLiteral("/usr/share/zoneinfo/") + zone, tmp));
    QVERIFY(::rename(QFile::encodeName(tmp).constData(),
                     QFile::encodeName(path(QStringLiteral("localtime"))).constData()) == 0);
}

void TestTimeChanges::shouldReadZoneFromLinkThenFile_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("zone");
    QTest::newRow("link wins") << "Europe/Helsinki"
                               << "Asia/Tokyo"
                               << "Europe/Helsinki";
    QTest::newRow("file without link") << ""
                                       << "Asia/Tokyo\n"
                                       << "Asia/Tokyo";
    QTest::newRow("nothing") << ""
                             << ""
                             << "UTC";
}

void TestTimeChanges::shouldReadZoneFromLinkThenFile()
{
    QFETCH(QString, link);
    QFETCH(QString, file);
    QFETCH(QString, zone);
    if (!link.isEmpty())
        linkZone(link);
    if (!file.isEmpty()) {
        QFile f(path(QStringLiteral("timezone")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(file.toUtf8());
    }
    TimeZoneWatcher watcher(path(QStringLiteral("localtime")), path(QStringLiteral("timezone")));
    QCOMPARE(watcher.zoneId(), zone);
}

void TestTimeChanges::shouldReportReplacedZoneLink()
{
    linkZone(QStringLiteral("Europe/Helsinki"));
    TimeZoneWatcher watcher(path(QStringLiteral("localtime")), path(QStringLiteral("timezone")));
    QSignalSpy spy(&watcher, &TimeZoneWatcher::zoneChanged);
    linkZone(QStringLiteral("America/New_York"));
    QVERIFY(spy.wait(5000));
    QCOMPARE(spy.first().first().toString(), QStringLiteral("America/New_York"));
    linkZone(QStringLiteral("Asia/Tokyo"));
    QTRY_COMPARE(spy.count(), 2);
    QCOMPARE(watcher.zoneId(), QStringLiteral("Asia/Tokyo"));
}

void TestTimeChanges::shouldReportRewrittenZoneCopy()
{
    const QString localtime = path(QStringLiteral("localtime"));
    QVERIFY(QFile::copy(QStringLiteral("/usr/share/zoneinfo/Europe/Helsinki"), localtime));
    TimeZoneWatcher watcher(localtime, path(QStringLiteral("timezone")));
    QSignalSpy spy(&watcher, &TimeZoneWatcher::zoneChanged);
    QFile source(QStringLiteral("/usr/share/zoneinfo/Asia/Tokyo"));
    QVERIFY(source.open(QIODevice::ReadOnly));
    QFile target(localtime);
    QVERIFY(target.open(QIODevice::WriteOnly | QIODevice::Truncate));
    target.write(source.readAll());
    target.close();
    QVERIFY(spy.wait(5000));
}

void TestTimeChanges::shouldIgnoreUnrelatedFiles()
{
    linkZone(QStringLiteral("Europe/Helsinki"));
    TimeZoneWatcher watcher(path(QStringLiteral("localtime")), path(QStringLiteral("timezone")));
    QSignalSpy spy(&watcher, &TimeZoneWatcher::zoneChanged);
    QFile other(path(QStringLiteral("hostname")));
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.write("handset\n");
    other.close();
    QVERIFY(!spy.wait(300));
}

void TestTimeChanges::shouldReportZoneChangeAsSettingsWithoutTimeChange()
{
    linkZone(QStringLiteral("Europe/Helsinki"));
    Ostra::Timed::Interface timed(
        new TimeZoneWatcher(path(QStringLiteral("localtime")), path(QStringLiteral("timezone"))),
        new ClockChangeWatcher);
    QCOMPARE(timed.wallClockInfo().timeZone(), QStringLiteral("Europe/Helsinki"));
    QSignalSpy spy(&timed, &Ostra::Timed::Interface::settings_changed);
    linkZone(QStringLiteral("Asia/Tokyo"));
    QVERIFY(spy.wait(5000));
    QCOMPARE(spy.first().at(0).value<Ostra::Timed::WallClock::Info>().timeZone(),
             QStringLiteral("Asia/Tokyo"));
    QCOMPARE(spy.first().at(1).toBool(), false);
}

void TestTimeChanges::shouldReportZoneChangeFromSystemTimeObject()
{
    linkZone(QStringLiteral("Europe/Helsinki"));
    Veyla::KxTime time(
        new TimeZoneWatcher(path(QStringLiteral("localtime")), path(QStringLiteral("timezone"))),
        new ClockChangeWatcher);
    QSignalSpy spy(&time, SIGNAL(timeOrSettingsChanged(Veyla::KxTimeWhatChanged)));
    linkZone(QStringLiteral("Asia/Tokyo"));
    QVERIFY(spy.wait(5000));
    QCOMPARE(spy.first().first().value<Veyla::KxTimeWhatChanged>(), Veyla::KxTimeChangedTimeZone);
}

void TestTimeChanges::shouldReportClockSet()
{
    ClockChangeWatcher watcher;
    QVERIFY(watcher.isValid());
    // Setting the clock needs CAP_SYS_TIME and disturbs everything else on the machine, so it is
    // only done on request.
    if (qEnvironmentVariableIntValue("CALL_HISTORY_TEST_SET_CLOCK") != 1)
        QSKIP("set CALL_HISTORY_TEST_SET_CLOCK=1 (with CAP_SYS_TIME) to set the clock");
    QSignalSpy spy(&watcher, &ClockChangeWatcher::clockChanged);
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    if (clock_settime(CLOCK_REALTIME, &now) != 0)
        QSKIP("the clock cannot be set here");
    QVERIFY(spy.wait(5000));
}

QTEST_GUILESS_MAIN(TestTimeChanges)
#include "tst_timechanges.moc"
