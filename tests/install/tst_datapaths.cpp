#include "mdatapaths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// Which data roots a program finds from the folder of its executable, in an installed prefix
// and in a build folder.
class TestDataPaths : public QObject
{
    Q_OBJECT
private:
    static void makeDir(const QString &path) { QVERIFY(QDir().mkpath(path)); }

private Q_SLOTS:
    void shouldFindRootsFromExecutableFolder_data()
    {
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("executableDir");
        QTest::addColumn<QStringList>("roots");
        QTest::newRow("program in prefix bin")
            << QStringList{"p/bin", "p/share/call-history"} << QString() << "p/bin"
            << QStringList{"p/share/call-history"};
        QTest::newRow("service in prefix libexec")
            << QStringList{"p/libexec/call-history", "p/share/call-history"} << QString()
            << "p/libexec/call-history" << QStringList{"p/share/call-history"};
        QTest::newRow("prefix without data")
            << QStringList{"p/bin"} << QString() << "p/bin" << QStringList{};
        QTest::newRow("program in build folder")
            << QStringList{"b/app", "b/data"} << "b/data/source-datadir"
            << "b/app" << QStringList{"b/data", "SOURCE"};
        QTest::newRow("test three folders down")
            << QStringList{"b/tests/a/b", "b/data"} << "b/data/source-datadir"
            << "b/tests/a/b" << QStringList{"b/data", "SOURCE"};
        QTest::newRow("build folder too far up")
            << QStringList{"b/1/2/3/4", "b/data"} << "b/data/source-datadir"
            << "b/1/2/3/4" << QStringList{};
        QTest::newRow("installed data wins over a build note")
            << QStringList{"b/bin", "b/share/call-history", "b/data"} << "b/data/source-datadir"
            << "b/bin" << QStringList{"b/share/call-history"};
    }
    void shouldFindRootsFromExecutableFolder()
    {
        QFETCH(QStringList, folders);
        QFETCH(QString, note);
        QFETCH(QString, executableDir);
        QFETCH(QStringList, roots);
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        const QString base = QDir(tmp.path()).canonicalPath();
        for (const QString &f : folders)
            makeDir(base + QLatin1Char('/') + f);
        if (!note.isEmpty()) {
            QFile f(base + QLatin1Char('/') + note);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("SOURCE\n");
        }
        QStringList found = MDataPaths::rootsFrom(base + QLatin1Char('/') + executableDir);
        for (QString &r : found)
            r.remove(base + QLatin1Char('/'));
        QCOMPARE(found.join(QLatin1Char(',')), roots.join(QLatin1Char(',')));
    }
};

QTEST_GUILESS_MAIN(TestDataPaths)
#include "tst_datapaths.moc"
