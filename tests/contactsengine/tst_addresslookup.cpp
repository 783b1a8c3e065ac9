#include "addresslookup.h"
#include "contactsengine.h"

#include <QtContacts/QContactManager>
#include <QtContacts/QContactName>
#include <QtContacts/QContactPhoneNumber>

#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>

using namespace QtContacts;
using ContactsEngine::AddressLookup;

class TestAddressLookup : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    int m_count = 0;
    QString m_path;
    QScopedPointer<QContactManager> m_manager;

    // Adds a contact named name with the given numbers ("+358 40 1" ...) and "sip:" addresses.
    QContactLocalId add(const QString &name, const QStringList &addresses)
    {
        QContact contact;
        QContactName contactName;
        contactName.setFirstName(name);
        contact.saveDetail(&contactName);
        for (const QString &address : addresses) {
            if (address.startsWith(QLatin1String("sip:")) || address.contains(QLatin1Char('@'))) {
                QContactOnlineAccount account;
                account.setAccountUri(address);
                contact.saveDetail(&account);
            } else {
                QContactPhoneNumber number;
                number.setNumber(address);
                contact.saveDetail(&number);
            }
        }
        if (!m_manager->saveContact(&contact))
            return 0;
        return ContactsEngine::toLocalId(contact.id());
    }

    static QString describe(const QList<AddressLookup::Match> &matches)
    {
        QStringList parts;
        for (const AddressLookup::Match &match : matches)
            parts << QStringLiteral("%1:%2").arg(match.displayLabel).arg(match.tailLength);
        return parts.join(QLatin1Char(' '));
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("lookup%1.db").arg(++m_count));
        m_manager.reset(new QContactManager(
            ContactsEngine::ensureRegistered(),
            {{QString::fromLatin1(ContactsEngine::databaseParameter), m_path}}));
        QCOMPARE(m_manager->error(), QContactManager::NoError);
    }

    void shouldMatchNumbersByTheirTrailingDigits_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<int>("minimumTail");
        QTest::addColumn<QString>("expected");
        QTest::newRow("national against international form") << "0401234567" << 7 << "Anna:9";
        QTest::newRow("separators and prefix do not count")
            << "+358 (40) 123-4567" << 7 << "Anna:12";
        QTest::newRow("four trailing digits") << "4567" << 4 << "Anna:4";
        QTest::newRow("fewer digits than the minimum") << "567" << 4 << "";
        QTest::newRow("tail shorter than asked for") << "0991234567" << 8 << "";
        QTest::newRow("pause and extension are ignored") << "0401234567p123" << 7 << "Anna:9";
        QTest::newRow("caller-id prefix is ignored") << "#31#0401234567" << 7 << "Anna:9";
        QTest::newRow("one number shared by two contacts")
            << "+44 20 7946 0000" << 7 << "Ben:12 Cleo:12";
        QTest::newRow("best of several numbers, once per contact")
            << "0207946 0000" << 4 << "Ben:10 Cleo:10 Dan:4";
        QTest::newRow("short code stored exactly") << "112" << 7 << "Emergency:3";
        QTest::newRow("native digits") << QString::fromUtf8("٠٤٠١٢٣٤٥٦٧") << 7 << "Anna:9";
        QTest::newRow("no digits") << "sip:anna@example.com" << 4 << "";
    }

    void shouldMatchNumbersByTheirTrailingDigits()
    {
        QFETCH(QString, query);
        QFETCH(int, minimumTail);
        QFETCH(QString, expected);
        QVERIFY(add(QStringLiteral("Anna"), {QStringLiteral("+358 40 123 4567")}));
        QVERIFY(add(QStringLiteral("Ben"),
                    {QStringLiteral("+44 20 7946 0000"), QStringLiteral("555 0000")}));
        QVERIFY(add(QStringLiteral("Cleo"), {QStringLiteral("+44 20 7946 0000")}));
        QVERIFY(add(QStringLiteral("Dan"), {QStringLiteral("+1 212 555 0000")}));
        QVERIFY(add(QStringLiteral("Emergency"), {QStringLiteral("112")}));
        QVERIFY(add(QStringLiteral("Anna SIP"), {QStringLiteral("sip:anna@example.com")}));
        AddressLookup lookup(m_path);
        QCOMPARE(describe(lookup.matchNumber(query, minimumTail)), expected);
        QCOMPARE(lookup.errorString(), QString());
    }

    void shouldMatchAddressesOnlyExactly_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("expected");
        QTest::newRow("same address") << "sip:fay@example.com"
                                      << "Fay:19";
        QTest::newRow("other case") << "sip:Fay@example.com"
                                    << "";
        QTest::newRow("same tail, other address") << "sip:kay@example.com"
                                                  << "";
        QTest::newRow("phone number of the contact") << "0401112222"
                                                     << "";
    }

    void shouldMatchAddressesOnlyExactly()
    {
        QFETCH(QString, query);
        QFETCH(QString, expected);
        QVERIFY(add(QStringLiteral("Fay"),
                    {QStringLiteral("sip:fay@example.com"), QStringLiteral("0401112222")}));
        AddressLookup lookup(m_path);
        QCOMPARE(describe(lookup.matchAddress(query)), expected);
    }

    void shouldSeeContactsSavedAfterItOpened()
    {
        QVERIFY(add(QStringLiteral("Gus"), {QStringLiteral("0501234567")}));
        AddressLookup lookup(m_path);
        QCOMPARE(describe(lookup.matchNumber(QStringLiteral("0507654321"), 7)), QString());
        QVERIFY(add(QStringLiteral("Hal"), {QStringLiteral("+358 50 765 4321")}));
        QCOMPARE(describe(lookup.matchNumber(QStringLiteral("0507654321"), 7)),
                 QStringLiteral("Hal:9"));
        QVERIFY(m_manager->removeContacts(m_manager->contactIds()));
        QCOMPARE(describe(lookup.matchNumber(QStringLiteral("0507654321"), 7)), QString());
    }

    void shouldAnswerInAnotherThreadWhileTheBookChanges()
    {
        QVERIFY(add(QStringLiteral("Ivy"), {QStringLiteral("0401234000")}));
        std::atomic<int> failures{0};
        std::atomic<int> answers{0};
        std::atomic<bool> stop{false};
        QScopedPointer<QThread> thread(QThread::create([&] {
            AddressLookup lookup(m_path);
            while (!stop) {
                const QList<AddressLookup::Match> matches =
                    lookup.matchNumber(QStringLiteral("+358401234000"), 7);
                if (!lookup.errorString().isEmpty() || matches.isEmpty() ||
                    matches.first().displayLabel != QLatin1String("Ivy"))
                    ++failures;
                ++answers;
            }
        }));
        thread->start();
        for (int i = 0; i < 50; ++i)
            QVERIFY(
                add(QStringLiteral("Other %1").arg(i), {QStringLiteral("050%1").arg(1000000 + i)}));
        QTRY_VERIFY(answers > 10);
        stop = true;
        QVERIFY(thread->wait(10000));
        QCOMPARE(failures.load(), 0);
    }

    void shouldReadABookThatNoOtherConnectionHasOpen()
    {
        QVERIFY(add(QStringLiteral("Jan"), {QStringLiteral("+358401230000")}));
        m_manager.reset(); // the last writer closes: no -wal or -shm file is left
        QVERIFY(!QFile::exists(m_path + QStringLiteral("-shm")));
        AddressLookup lookup(m_path);
        QCOMPARE(describe(lookup.matchNumber(QStringLiteral("0401230000"), 7)),
                 QStringLiteral("Jan:9"));
        QCOMPARE(lookup.errorString(), QString());
    }

    void shouldReportAMissingBook()
    {
        AddressLookup lookup(m_dir.filePath(QStringLiteral("missing.db")));
        QVERIFY(lookup.matchNumber(QStringLiteral("0401234567"), 7).isEmpty());
        QVERIFY(lookup.errorString().contains(QStringLiteral("missing.db")));
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("missing.db"))));
    }
};

QTEST_GUILESS_MAIN(TestAddressLookup)
#include "tst_addresslookup.moc"
