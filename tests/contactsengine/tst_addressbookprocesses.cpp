#include "contactmanagersignals.h"
#include "contactsengine.h"
#include "spiedlocalids.h"

#include <QtContacts/QContactManager>
#include <QtContacts/QContactName>

#include <QDBusConnection>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace QtContacts;

// The address-book tool in another process writes; a manager here is told.
class TestAddressBookProcesses : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    int m_count = 0;
    QString m_path;

    struct Result
    {
        int status = -1;
        QString out;
        QString err;
    };

    Result tool(const QStringList &arguments, const QByteArray &input = QByteArray(),
                const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(CH_CONTACTS_TOOL),
                      QStringList{QStringLiteral("--database"), m_path} + arguments);
        if (!process.waitForStarted())
            return {};
        process.write(input);
        process.closeWriteChannel();
        process.waitForFinished(30000);
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    QString writeFile(const QString &name, const QByteArray &content)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
        return path;
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("shared%1.db").arg(++m_count));
    }

    void shouldTellThisProcessOfChangesMadeByAnother()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("changes between processes travel on the session bus");
        QContactManager manager(ContactsEngine::ensureRegistered(),
                                {{QString::fromLatin1(ContactsEngine::databaseParameter), m_path}});
        QSignalSpy added(ContactManagerSignals::of(&manager),
                         &ContactManagerSignals::contactsAdded);
        QSignalSpy changed(ContactManagerSignals::of(&manager),
                           &ContactManagerSignals::contactsChanged);
        QSignalSpy removed(ContactManagerSignals::of(&manager),
                           &ContactManagerSignals::contactsRemoved);

        const Result first = tool({QStringLiteral("add"), QStringLiteral("Jo Ames"),
                                   QStringLiteral("--mobile"), QStringLiteral("+358401234567")});
        QCOMPARE(first.status, 0);
        const QString id = first.out.trimmed();
        QTRY_COMPARE(spiedLocalIds(added), id);
        QCOMPARE(manager.contact(ContactsEngine::toContactId(id.toUInt()))
                     .detail<QContactName>()
                     .lastName(),
                 QStringLiteral("Ames"));

        const QByteArray card = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Ames;Jo;;;\r\nUID:jo\r\n"
                                "TEL:0401234567\r\nEND:VCARD\r\n";
        QCOMPARE(tool({QStringLiteral("import"), writeFile(QStringLiteral("jo.vcf"), card)}).status,
                 0);
        QTRY_COMPARE(added.count(), 2);
        QCOMPARE(tool({QStringLiteral("import"), QStringLiteral("-")}, card).out,
                 QStringLiteral("imported 1 contacts (1 replaced)\n"));
        QTRY_COMPARE(changed.count(), 1);

        QCOMPARE(tool({QStringLiteral("delete"), id}).status, 0);
        QTRY_COMPARE(spiedLocalIds(removed), id);
        QCOMPARE(manager.contactIds().size(), 1);
    }

    void shouldRefuseABadVCardAndKeepTheBook_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::newRow("malformed")
            << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:X\r\n") << "not a valid vCard";
        QTest::newRow("unknown encoding")
            << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:J\xe9r\xf4me\r\nEND:VCARD\r\n")
            << "not UTF-8";
        QTest::newRow("mixed-case nested cards") << QByteArray("bEgIn:VcArD\r\n").repeated(100000) +
                                                        QByteArray("END:VCARD\r\n").repeated(100000)
                                                 << "too deeply";
        QTest::newRow("two cards with one UID")
            << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:A\r\nUID:u1\r\nEND:VCARD\r\n")
                   .repeated(2)
            << "same UID";
    }

    void shouldRefuseABadVCardAndKeepTheBook()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        QCOMPARE(tool({QStringLiteral("add"), QStringLiteral("Kept"), QStringLiteral("--phone"),
                       QStringLiteral("555 1234")})
                     .status,
                 0);
        const Result bad =
            tool({QStringLiteral("import"), writeFile(QStringLiteral("bad.vcf"), content)});
        QCOMPARE(bad.status, 1);
        QVERIFY2(bad.err.contains(message), qPrintable(bad.err));
        QVERIFY(bad.err.contains(QStringLiteral("nothing was imported")));
        QCOMPARE(tool({QStringLiteral("list")}).out, QStringLiteral("1\tKept\t555 1234\n"));
    }

    void shouldWorkWithoutASessionBus()
    {
        QProcessEnvironment noBus = QProcessEnvironment::systemEnvironment();
        noBus.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                     QStringLiteral("unix:path=") + m_dir.filePath(QStringLiteral("no-bus")));
        const Result added = tool({QStringLiteral("add"), QStringLiteral("Lone"),
                                   QStringLiteral("--phone"), QStringLiteral("0401234567")},
                                  QByteArray(), noBus);
        QCOMPARE(added.status, 0);
        QCOMPARE(tool({QStringLiteral("list")}, QByteArray(), noBus).out,
                 QStringLiteral("1\tLone\t0401234567\n"));
    }

    void shouldRefuseADamagedBookWithoutWritingIt()
    {
        const QByteArray garbage = QByteArray("not an address book ").repeated(500);
        writeFile(QFileInfo(m_path).fileName(), garbage);
        const Result result = tool({QStringLiteral("add"), QStringLiteral("Nobody")});
        QCOMPARE(result.status, 1);
        QVERIFY2(result.err.contains(QStringLiteral("damaged")), qPrintable(result.err));
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll() == garbage);
    }

    void shouldExportWhatItImported()
    {
        QFile demo(QStringLiteral(CH_SOURCE_DIR "/data/demo/contacts.vcf"));
        QVERIFY(demo.open(QIODevice::ReadOnly));
        const QByteArray card = demo.readAll();
        const Result imported = tool({QStringLiteral("import"), demo.fileName()});
        QCOMPARE(imported.status, 0);
        const Result exported = tool({QStringLiteral("export"), QStringLiteral("--vcard4")});
        QCOMPARE(exported.status, 0);
        QVERIFY(exported.out.contains(QStringLiteral("VERSION:4.0")));
        // Read back into a second book, the export lists the same contacts.
        const QString first = tool({QStringLiteral("list")}).out;
        m_path = m_dir.filePath(QStringLiteral("copy.db"));
        QCOMPARE(
            tool({QStringLiteral("import"), QStringLiteral("-")}, exported.out.toUtf8()).status, 0);
        QCOMPARE(tool({QStringLiteral("list")}).out, first);
        QVERIFY(card.size() > 0);
    }
};

QTEST_GUILESS_MAIN(TestAddressBookProcesses)
#include "tst_addressbookprocesses.moc"
