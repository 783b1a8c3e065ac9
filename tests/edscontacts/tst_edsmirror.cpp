#include "addresslookup.h"
#include "contactsengine.h"
#include "edscontactsservice.h"
#include "edstestsession.h"

#include <QtContacts/QContactManager>
#include <QtContacts/QContactName>
#include <QtContacts/QContactPhoneNumber>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace QtContacts;

// The mirror of EDS's address books against the real EDS on the test's bus: contacts written
// through libebook (as GNOME Contacts writes them) reach our engine's manager on the mirror file,
// and what is written through that manager reaches EDS.
class TestEdsMirror : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    int m_count = 0;
    QString m_file;
    QScopedPointer<EdsTestSession> m_eds;
    QScopedPointer<EdsContactsService> m_service;
    QScopedPointer<QContactManager> m_book;

    static QString card(const QString &name, const QString &number,
                        const QString &extra = QString())
    {
        return QStringLiteral("BEGIN:VCARD\nVERSION:3.0\nFN:%1\nN:;%1;;;\nTEL;TYPE=CELL:%2\n%3"
                              "END:VCARD")
            .arg(name, number, extra);
    }

    // retryDelay: how long the mirror waits before it starts EDS again by itself.
    void startMirror(int retryDelay = 100)
    {
        m_service.reset(new EdsContactsService(m_file));
        m_service->setRetryDelay(retryDelay);
        m_service->start();
    }

    void addHere(const QString &name, const QString &number)
    {
        QContact contact;
        QContactName contactName;
        contactName.setCustomLabel(name);
        contact.saveDetail(&contactName);
        QContactPhoneNumber phone;
        phone.setNumber(number);
        contact.saveDetail(&phone);
        QVERIFY(m_book->saveContact(&contact));
    }

    // "name: numbers" of every contact on the mirror, sorted.
    QString mirrored()
    {
        QStringList shown;
        for (const QContact &contact : m_book->contacts()) {
            QStringList numbers;
            for (const QContactPhoneNumber &number : contact.details<QContactPhoneNumber>())
                numbers << number.number();
            shown << QStringLiteral("%1: %2").arg(
                ContactsEngine::synthesizedContactDisplayLabel(contact),
                numbers.join(QLatin1Char(',')));
        }
        shown.sort();
        return shown.join(QLatin1String("; "));
    }

    // FN and TEL lines of every card in EDS's personal book, sorted.
    QString inEds()
    {
        QStringList shown;
        for (const QString &uid : m_eds->contactUids()) {
            QStringList lines;
            for (const QString &line :
                 m_eds->contactVCard(uid).split(QRegularExpression("\r?\n"))) {
                if (line.startsWith(QLatin1String("FN:")))
                    lines.prepend(line.mid(3));
                else if (line.startsWith(QLatin1String("TEL")))
                    lines << line.mid(line.lastIndexOf(QLatin1Char(':')) + 1);
            }
            shown << QStringLiteral("%1: %2").arg(lines.value(0),
                                                  lines.mid(1).join(QLatin1Char(',')));
        }
        shown.sort();
        return shown.join(QLatin1String("; "));
    }

    QContact mirroredContact(const QString &name)
    {
        for (const QContact &contact : m_book->contacts()) {
            if (ContactsEngine::synthesizedContactDisplayLabel(contact) == name)
                return contact;
        }
        return QContact();
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void init()
    {
        m_file = m_dir.filePath(QStringLiteral("mirror%1.db").arg(++m_count));
        m_eds.reset(new EdsTestSession);
        QVERIFY2(m_eds->start(), qPrintable(m_eds->errorString()));
        m_book.reset(new QContactManager(
            ContactsEngine::ensureRegistered(),
            {{QString::fromLatin1(ContactsEngine::databaseParameter), m_file}}));
    }

    void cleanup()
    {
        m_service.reset();
        m_book.reset();
        m_eds.reset();
    }

    void shouldShowContactsOfEds()
    {
        QVERIFY(!m_eds
                     ->addContact(
                         card(QStringLiteral("Ann Example"), QStringLiteral("+358 40 123 4567")))
                     .isEmpty());
        startMirror();
        QTRY_COMPARE(mirrored(), QStringLiteral("Ann Example: +358 40 123 4567"));
        // Found by the history's number lookup, by its trailing digits.
        ContactsEngine::AddressLookup lookup(m_file);
        const QList<ContactsEngine::AddressLookup::Match> matches =
            lookup.matchNumber(QStringLiteral("0401234567"), 7);
        QCOMPARE(matches.size(), 1);
        QCOMPARE(matches.first().displayLabel, QStringLiteral("Ann Example"));
    }

    void shouldFollowChangesMadeInEds_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("expected");
        QTest::newRow("added") << "add"
                               << "Ann Example: 0401234567; Bob Example: 0407654321";
        QTest::newRow("edited") << "edit"
                                << "Ann Changed: 0401234567,0509999999";
        QTest::newRow("removed") << "remove"
                                 << "";
    }

    void shouldFollowChangesMadeInEds()
    {
        QFETCH(QString, change);
        QFETCH(QString, expected);
        const QString uid =
            m_eds->addContact(card(QStringLiteral("Ann Example"), QStringLiteral("0401234567")));
        startMirror();
        QTRY_COMPARE(mirrored(), QStringLiteral("Ann Example: 0401234567"));
        if (change == QLatin1String("add")) {
            QVERIFY(
                !m_eds
                     ->addContact(card(QStringLiteral("Bob Example"), QStringLiteral("0407654321")))
                     .isEmpty());
        } else if (change == QLatin1String("edit")) {
            QVERIFY2(m_eds->modifyContact(
                         QStringLiteral("BEGIN:VCARD\nVERSION:3.0\nUID:%1\nFN:Ann Changed\n"
                                        "N:;Ann Changed;;;\nTEL;TYPE=CELL:0401234567\n"
                                        "TEL;TYPE=WORK:0509999999\nEND:VCARD")
                             .arg(uid)),
                     qPrintable(m_eds->errorString()));
        } else {
            QVERIFY(m_eds->removeContact(uid));
        }
        QTRY_COMPARE(mirrored(), expected);
    }

    void shouldWriteToEdsWhatIsWrittenHere_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("expected");
        QTest::newRow("added") << "add"
                               << "Ann Example: 0401234567; Cid New: 0405550000";
        QTest::newRow("number added") << "number"
                                      << "Ann Example: 0401234567,0405550000";
        QTest::newRow("removed") << "remove"
                                 << "";
    }

    void shouldWriteToEdsWhatIsWrittenHere()
    {
        QFETCH(QString, change);
        QFETCH(QString, expected);
        m_eds->addContact(card(QStringLiteral("Ann Example"), QStringLiteral("0401234567")));
        startMirror();
        QTRY_COMPARE(mirrored(), QStringLiteral("Ann Example: 0401234567"));
        QContact contact = change == QLatin1String("add")
                               ? QContact()
                               : mirroredContact(QStringLiteral("Ann Example"));
        if (change == QLatin1String("remove")) {
            QVERIFY(m_book->removeContact(contact.id()));
        } else {
            if (change == QLatin1String("add")) {
                QContactName name;
                name.setFirstName(QStringLiteral("Cid"));
                name.setLastName(QStringLiteral("New"));
                contact.saveDetail(&name);
            }
            QContactPhoneNumber number;
            number.setNumber(QStringLiteral("0405550000"));
            contact.saveDetail(&number);
            QVERIFY(m_book->saveContact(&contact));
        }
        QTRY_COMPARE(inEds(), expected);
        QTRY_COMPARE(mirrored(), expected);
    }

    void shouldKeepWorkingWhileEdsRestarts()
    {
        m_eds->addContact(card(QStringLiteral("Ann Example"), QStringLiteral("0401234567")));
        // EDS comes back when the test starts it again, not by the mirror's own retries.
        startMirror(60000);
        QTRY_COMPARE(mirrored(), QStringLiteral("Ann Example: 0401234567"));
        const QContactId ann = mirroredContact(QStringLiteral("Ann Example")).id();
        QVERIFY2(m_eds->stop(), qPrintable(m_eds->errorString()));

        // The mirror still answers and takes writes.
        QCOMPARE(mirrored(), QStringLiteral("Ann Example: 0401234567"));
        addHere(QStringLiteral("Dan Offline"), QStringLiteral("0406660000"));

        QVERIFY2(m_eds->start(), qPrintable(m_eds->errorString()));
        const QString both = QStringLiteral("Ann Example: 0401234567; Dan Offline: 0406660000");
        QTRY_COMPARE(inEds(), both);
        m_eds->addContact(card(QStringLiteral("Eve After"), QStringLiteral("0407770000")));
        QTRY_COMPARE(mirrored(), both + QStringLiteral("; Eve After: 0407770000"));
        // The same contact, under the same id, for the rows that show it.
        QCOMPARE(mirroredContact(QStringLiteral("Ann Example")).id(), ann);
    }

    void shouldFollowAddressBookLeaving_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("removed") << "remove";
        QTest::newRow("disabled") << "disable";
    }

    void shouldFollowAddressBookLeaving()
    {
        QFETCH(QString, change);
        m_eds->addContact(card(QStringLiteral("Ann Example"), QStringLiteral("0401234567")));
        const QString work = m_eds->createAddressBook(QStringLiteral("Work"));
        QVERIFY2(!work.isEmpty(), qPrintable(m_eds->errorString()));
        m_eds->addContact(card(QStringLiteral("Wes Work"), QStringLiteral("0208880000")), work);
        startMirror();
        const QString personal = QStringLiteral("Ann Example: 0401234567");
        QTRY_COMPARE(mirrored(), personal + QStringLiteral("; Wes Work: 0208880000"));
        if (change == QLatin1String("remove")) {
            QVERIFY2(m_eds->removeAddressBook(work), qPrintable(m_eds->errorString()));
            QTRY_COMPARE(mirrored(), personal);
        } else {
            QVERIFY2(m_eds->setAddressBookEnabled(work, false), qPrintable(m_eds->errorString()));
            QTRY_COMPARE(mirrored(), personal);
            QVERIFY2(m_eds->setAddressBookEnabled(work, true), qPrintable(m_eds->errorString()));
            QTRY_COMPARE(mirrored(), personal + QStringLiteral("; Wes Work: 0208880000"));
        }
        QCOMPARE(inEds(), personal);
    }

    void shouldTellOfChangeLostToRemovalInEds()
    {
        const QString uid =
            m_eds->addContact(card(QStringLiteral("Gus Gone"), QStringLiteral("0409990000")));
        startMirror();
        QTRY_COMPARE(mirrored(), QStringLiteral("Gus Gone: 0409990000"));
        // The program ends; GNOME Contacts removes Gus; our address book's tool changes him.
        m_service.reset();
        QVERIFY(m_eds->removeContact(uid));
        QContact gus = mirroredContact(QStringLiteral("Gus Gone"));
        QContactPhoneNumber number;
        number.setNumber(QStringLiteral("0409990001"));
        gus.saveDetail(&number);
        QVERIFY(m_book->saveContact(&gus));

        startMirror();
        QSignalSpy refused(m_service.data(), &EdsContactsService::writeRefused);
        QTRY_COMPARE(mirrored(), QString());
        QTRY_COMPARE(refused.count(), 1);
        QCOMPARE(refused.first().value(0).toString(), QStringLiteral("Gus Gone"));
    }
};

QTEST_GUILESS_MAIN(TestEdsMirror)
#include "tst_edsmirror.moc"
