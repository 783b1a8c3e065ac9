#include "contactssource.h"
#include "edscontactsservice.h"
#include "edstestsession.h"
#include "mgconfitem.h"

#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

using ContactsEngine::ContactsSource;

// The address-book tool on the desktop's address book: which book it uses and why (sources),
// and what it writes reaching the real EDS on the test's bus.
class TestAddressBookTool : public QObject
{
    Q_OBJECT
private:
    QScopedPointer<EdsTestSession> m_eds;

    struct Result
    {
        int status = -1;
        QString out;
        QString err;
    };

    Result tool(const QStringList &arguments, const QString &source = QStringLiteral("eds"))
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (source.isEmpty())
            environment.remove(QLatin1String(ContactsSource::environmentVariable));
        else
            environment.insert(QLatin1String(ContactsSource::environmentVariable), source);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(CH_CONTACTS_TOOL), arguments);
        if (!process.waitForStarted() || !process.waitForFinished(60000))
            return {};
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    // The FN of every card in EDS's personal book, sorted.
    QString namesInEds()
    {
        QStringList names;
        for (const QString &uid : m_eds->contactUids()) {
            const QRegularExpressionMatch fn = QRegularExpression(QStringLiteral("\nFN:([^\r\n]*)"))
                                                   .match(m_eds->contactVCard(uid));
            names << fn.captured(1);
        }
        names.sort();
        return names.join(QLatin1Char(','));
    }

    QString idOf(const QString &listing, const QString &name)
    {
        for (const QString &line : listing.split(QLatin1Char('\n'))) {
            if (line.section(QLatin1Char('\t'), 1, 1) == name)
                return line.section(QLatin1Char('\t'), 0, 0);
        }
        return QString();
    }

private Q_SLOTS:
    void init()
    {
        m_eds.reset(new EdsTestSession);
        QVERIFY2(m_eds->start(), qPrintable(m_eds->errorString()));
    }

    void cleanup() { m_eds.reset(); }

    void shouldTellWhichAddressBookIsUsed_data()
    {
        QTest::addColumn<QString>("environment");
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("environment") << "eds"
                                     << ""
                                     << "chosen: eds (CALL_HISTORY_CONTACTS=eds)";
        QTest::newRow("setting") << ""
                                 << "local"
                                 << "chosen: local (the setting "
                                    "/apps/call-history/contacts/source is \"local\")";
        QTest::newRow("automatic") << ""
                                   << "auto"
                                   << "chosen: eds (EDS has 1 enabled address book(s))";
    }

    void shouldTellWhichAddressBookIsUsed()
    {
        QFETCH(QString, environment);
        QFETCH(QString, setting);
        QFETCH(QString, chosen);
        MGConfItem item(QString::fromLatin1(ContactsSource::settingKey));
        QVERIFY(item.set(setting));
        const Result result = tool({QStringLiteral("sources")}, environment);
        QCOMPARE(result.status, 0);
        const QStringList lines = result.out.split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0), chosen);
        QVERIFY2(
            result.out.contains(QLatin1String("system-address-book\tPersonal\tlocal\tenabled")),
            qPrintable(result.out));
    }

    void shouldDescribeSourcesInHelp()
    {
        const Result result = tool({QStringLiteral("--help")});
        QCOMPARE(result.status, 0);
        QVERIFY(result.out.contains(QLatin1String("  sources ")));
        QVERIFY(result.out.contains(QLatin1String("CALL_HISTORY_CONTACTS")));
    }

    void shouldWriteToEdsWhatItWrites()
    {
        Result added = tool({QStringLiteral("add"), QStringLiteral("Ann Tool"),
                             QStringLiteral("--mobile"), QStringLiteral("0401112233")});
        QVERIFY2(added.status == 0, qPrintable(added.err));
        QCOMPARE(namesInEds(), QStringLiteral("Ann Tool"));

        QVERIFY(!m_eds
                     ->addContact(QStringLiteral("BEGIN:VCARD\nVERSION:3.0\nFN:Bob Eds\n"
                                                 "TEL:0405556666\nEND:VCARD"))
                     .isEmpty());
        const Result synced = tool({QStringLiteral("sync")});
        QVERIFY2(synced.status == 0, qPrintable(synced.err));
        const Result listed = tool({QStringLiteral("list")});
        QVERIFY(listed.out.contains(QLatin1String("Bob Eds\t0405556666")));

        const Result removed = tool({QStringLiteral("delete"), idOf(listed.out, "Ann Tool")});
        QVERIFY2(removed.status == 0, qPrintable(removed.err));
        QCOMPARE(namesInEds(), QStringLiteral("Bob Eds"));
    }

    void shouldLeaveSyncToProcessThatKeepsMirror()
    {
        EdsContactsService program; // as the running program keeps the mirror
        program.start();
        QVERIFY(program.isMirroring());
        const Result synced = tool({QStringLiteral("sync")});
        QCOMPARE(synced.status, 0);
        QCOMPARE(synced.out, QStringLiteral("another process keeps the mirror in step with EDS\n"));
    }
};

QTEST_GUILESS_MAIN(TestAddressBookTool)
#include "tst_addressbooktool.moc"
