#include "accountstestdatabase.h"
#include "callhistorycontact.h"
#include "contactforaddress.h"
#include "contactsengine.h"
#include "mapplication.h"
#include "testsupport.h"

#include <QtContacts/QContactManager>
#include <QtContacts/QContactOnlineAccount>
#include <QtContacts/QContactPhoneNumber>

#include <QtTest>

using namespace QtContacts;

namespace {
const QString Cellular = QStringLiteral("/org/freedesktop/Telepathy/Account/pulse/tel/pulse");
const QString Sip = QStringLiteral("/org/freedesktop/Telepathy/Account/sofiasip/sip/office");
} // namespace

// The contact the editor and merge picker start from, and what the address book keeps of it.
class TestContactForAddress : public QObject
{
    Q_OBJECT
private:
    AccountsTestDatabase m_accounts;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_accounts.create(
            QStringLiteral("velto-sip"), QStringLiteral("Office"),
            {{QStringLiteral("velto-sip-voip"), QStringLiteral("sofiasip/sip/office")}}));
    }

    void shouldPrepareOneDetail_data()
    {
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("address");
        // "phone:<number>" or "online:<uri>|<account path>"
        QTest::addColumn<QString>("detail");
        QTest::newRow("cellular number as given") << Cellular << "040 123 4567"
                                                  << "phone:040 123 4567";
        QTest::newRow("no account is cellular") << QString() << "0401234567"
                                                << "phone:0401234567";
        QTest::newRow("sip address holding a number") << Sip << "sip:+358401234567@example.com"
                                                      << "phone:+358401234567";
        QTest::newRow("sip address") << Sip << "sip:alice@example.com"
                                     << "online:sip:alice@example.com|" + Sip;
    }

    void shouldPrepareOneDetail()
    {
        QFETCH(QString, account);
        QFETCH(QString, address);
        QFETCH(QString, detail);
        QContact contact = contactForAddress(address, account);
        const QList<QContactPhoneNumber> numbers = contact.details<QContactPhoneNumber>();
        const QList<QContactOnlineAccount> accounts = contact.details<QContactOnlineAccount>();
        QCOMPARE(numbers.size() + accounts.size(), 1);
        const QString actual = numbers.isEmpty()
                                   ? QStringLiteral("online:%1|%2")
                                         .arg(accounts.first().accountUri(),
                                              accounts.first()
                                                  .value(QContactOnlineAccount__FieldAccountPath)
                                                  .toString())
                                   : QStringLiteral("phone:") + numbers.first().number();
        QCOMPARE(actual, detail);
        // Saved and read back, the contact record finds the address on its account.
        QContactManager book(ContactsEngine::ensureRegistered());
        QVERIFY(book.saveContact(&contact));
        CallHistoryContact record(ContactsEngine::toLocalId(contact.id()), nullptr);
        record.setContact(book.contact(contact.id()));
        const int expected = numbers.isEmpty() ? CallHistoryContact::NumberTypeOnlineAccount
                                               : CallHistoryContact::NumberTypeOther;
        QCOMPARE(int(record.numberType(numbers.isEmpty() ? address : numbers.first().number())),
                 expected);
    }

    void shouldGiveAnEmptyContactForNoAddress_data()
    {
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("address");
        QTest::newRow("cellular") << Cellular << "";
        QTest::newRow("no account") << QString() << "";
        QTest::newRow("sip") << Sip << "";
        QTest::newRow("blank on sip") << Sip << "  ";
    }

    void shouldGiveAnEmptyContactForNoAddress()
    {
        QFETCH(QString, account);
        QFETCH(QString, address);
        const QContact contact = contactForAddress(address, account);
        QCOMPARE(contact.details<QContactPhoneNumber>().size(), 0);
        QCOMPARE(contact.details<QContactOnlineAccount>().size(), 0);
        QVERIFY(contact.isEmpty());
    }
};

CH_TOUCH_TEST_MAIN(TestContactForAddress)
#include "tst_contactforaddress.moc"
