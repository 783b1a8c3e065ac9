#include "callhistorycontact.h"

#include <QtContacts/QContactOnlineAccount>
#include <QtContacts/QContactPhoneNumber>
#include <QtContacts/QContactPresence>

#include <QSignalSpy>
#include <QtTest>

using namespace QtContacts;

Q_DECLARE_METATYPE(CallHistoryContact::NumberType)
Q_DECLARE_METATYPE(CallHistoryContact::PresenceCode)

namespace {

// "mobile:+358 40 1234567", "work,mobile:...", "home,work:...", "fax:...", "sip:..." (an
// online account) or a plain number: the kinds a test contact's addresses are given.
QContact contactWith(const QStringList &addresses)
{
    QContact contact;
    for (const QString &entry : addresses) {
        if (entry.startsWith(QLatin1String("sip:")) || entry.startsWith(QLatin1String("user@"))) {
            QContactOnlineAccount account;
            account.setAccountUri(entry);
            contact.saveDetail(&account);
            continue;
        }
        const int colon = entry.indexOf(QLatin1Char(':'));
        QContactPhoneNumber number;
        number.setNumber(colon < 0 ? entry : entry.mid(colon + 1));
        QList<int> contexts, subTypes;
        for (const QString &kind : entry.left(qMax(colon, 0)).split(QLatin1Char(','))) {
            if (kind == QLatin1String("home"))
                contexts << QContactDetail::ContextHome;
            else if (kind == QLatin1String("work"))
                contexts << QContactDetail::ContextWork;
            else if (kind == QLatin1String("other"))
                contexts << QContactDetail::ContextOther;
            else if (kind == QLatin1String("mobile"))
                subTypes << QContactPhoneNumber::SubTypeMobile;
            else if (kind == QLatin1String("fax"))
                subTypes << QContactPhoneNumber::SubTypeFax;
            else if (kind == QLatin1String("pager"))
                subTypes << QContactPhoneNumber::SubTypePager;
        }
        number.setContexts(contexts);
        number.setSubTypes(subTypes);
        contact.saveDetail(&number);
    }
    return contact;
}

// An online account on accountPath whose presence (state, message, minutes after an epoch) is
// linked to it through a detail URI.
void addAccountWithPresence(QContact *contact, const QString &uri, const QString &accountPath,
                            int state, const QString &message = QString(), int minute = 0)
{
    const QString presenceUri = QStringLiteral("presence:%1").arg(uri);
    QContactOnlineAccount account;
    account.setAccountUri(uri);
    account.setValue(QContactOnlineAccount__FieldAccountPath, accountPath);
    account.setLinkedDetailUris(presenceUri);
    contact->saveDetail(&account);
    QContactPresence presence;
    presence.setDetailUri(presenceUri);
    presence.setPresenceState(QContactPresence::PresenceState(state));
    presence.setCustomMessage(message);
    if (minute >= 0)
        presence.setTimestamp(QDateTime(QDate(2026, 1, 1), QTime(12, 0)).addSecs(minute * 60));
    contact->saveDetail(&presence);
}

} // namespace

// The contact record: which address a call used, number kinds, presence, and its references.
class TestCallHistoryContact : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shouldFindTheAddressACallUsed_data()
    {
        QTest::addColumn<QStringList>("addresses");
        QTest::addColumn<QString>("remoteUid");
        QTest::addColumn<QString>("matched");

        QTest::newRow("international stored, national called")
            << QStringList{"+358 40 123 4567"} << "0401234567"
            << "+358 40 123 4567";
        QTest::newRow("four equal trailing digits") << QStringList{"0401234567"} << "4567"
                                                    << "0401234567";
        QTest::newRow("three equal trailing digits") << QStringList{"0401234567"} << "567"
                                                     << "";
        QTest::newRow("longest tail wins")
            << QStringList{"0501114567", "0401234567"} << "+358401234567"
            << "0401234567";
        QTest::newRow("first of equal tails")
            << QStringList{"0501234567", "0401234567"} << "1234567"
            << "0501234567";
        QTest::newRow("exact wins over a longer tail")
            << QStringList{"+358 40 123 4567", "1234567"} << "1234567"
            << "1234567";
        QTest::newRow("separators and prefixes do not count")
            << QStringList{"(040) 123-45 67"} << "*31#+358401234567p99"
            << "(040) 123-45 67";
        QTest::newRow("native digits stored")
            << QStringList{QString::fromUtf8("٠٤٠١٢٣٤٥٦٧")} << "0401234567"
            << "0401234567";
        QTest::newRow("account only exactly")
            << QStringList{"sip:jo@example.com"} << "sip:jo@example.com"
            << "sip:jo@example.com";
        QTest::newRow("account case-sensitive")
            << QStringList{"sip:jo@example.com"} << "sip:Jo@example.com"
            << "";
        QTest::newRow("account never by tail")
            << QStringList{"sip:0401234567@example.com"} << "0401234567"
            << "";
        QTest::newRow("no addresses") << QStringList{} << "0401234567"
                                      << "";
    }

    void shouldFindTheAddressACallUsed()
    {
        QFETCH(QStringList, addresses);
        QFETCH(QString, remoteUid);
        QFETCH(QString, matched);
        CallHistoryContact record(7, nullptr);
        record.setContact(contactWith(addresses));
        const ContactAddress *address = record.matchAddress(remoteUid);
        QCOMPARE(address ? address->value : QString(), matched);
    }

    void shouldTellTheKindOfNumber_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<CallHistoryContact::NumberType>("type");
        QTest::newRow("mobile") << "mobile:0401234567" << CallHistoryContact::NumberTypeMobile;
        QTest::newRow("work mobile is mobile")
            << "work,mobile:0401234567" << CallHistoryContact::NumberTypeMobile;
        QTest::newRow("home before work")
            << "home,work:0401234567" << CallHistoryContact::NumberTypeHome;
        QTest::newRow("work before home")
            << "work,home:0401234567" << CallHistoryContact::NumberTypeWork;
        QTest::newRow("fax at home") << "home,fax:0401234567" << CallHistoryContact::NumberTypeFax;
        QTest::newRow("pager") << "pager:0401234567" << CallHistoryContact::NumberTypeOther;
        QTest::newRow("other context") << "other:0401234567" << CallHistoryContact::NumberTypeOther;
        QTest::newRow("plain") << "0401234567" << CallHistoryContact::NumberTypeOther;
        QTest::newRow("online account")
            << "sip:0401234567" << CallHistoryContact::NumberTypeOnlineAccount;
    }

    void shouldTellTheKindOfNumber()
    {
        QFETCH(QString, address);
        QFETCH(CallHistoryContact::NumberType, type);
        CallHistoryContact record(7, nullptr);
        record.setContact(contactWith({address}));
        const QString remote = address.mid(address.indexOf(QLatin1Char(':')) + 1);
        QCOMPARE(record.numberType(address.startsWith(QLatin1String("sip:")) ? address : remote),
                 type);
        QCOMPARE(record.numberType(QStringLiteral("999")), CallHistoryContact::NumberTypeNone);
    }

    void shouldCountPhoneNumbersAndListAddressesInOrder()
    {
        CallHistoryContact record(7, nullptr);
        QCOMPARE(record.phoneNumberCount(), 0);
        record.setContact(contactWith({"sip:a@x", "mobile:040 1", "user@y", "0402"}));
        QCOMPARE(record.phoneNumberCount(), 2);
        QStringList values;
        for (const ContactAddress &address : record.addresses())
            values << address.value + QLatin1Char('/') + address.digits;
        QCOMPARE(values.join(QLatin1Char(' ')),
                 QStringLiteral("040 1/0401 0402/0402 sip:a@x/ user@y/"));
    }

    void shouldMapPresenceStates_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<CallHistoryContact::PresenceCode>("code");
        QTest::newRow("unknown") << int(QContactPresence::PresenceUnknown)
                                 << CallHistoryContact::PresenceUnknown;
        QTest::newRow("available")
            << int(QContactPresence::PresenceAvailable) << CallHistoryContact::PresenceAvailable;
        QTest::newRow("hidden") << int(QContactPresence::PresenceHidden)
                                << CallHistoryContact::PresenceOffline;
        QTest::newRow("busy") << int(QContactPresence::PresenceBusy)
                              << CallHistoryContact::PresenceBusy;
        QTest::newRow("away") << int(QContactPresence::PresenceAway)
                              << CallHistoryContact::PresenceAway;
        QTest::newRow("extended away")
            << int(QContactPresence::PresenceExtendedAway) << CallHistoryContact::PresenceAway;
        QTest::newRow("offline") << int(QContactPresence::PresenceOffline)
                                 << CallHistoryContact::PresenceOffline;
        QTest::newRow("out of range") << 7 << CallHistoryContact::PresenceUnknown;
    }

    void shouldMapPresenceStates()
    {
        QFETCH(int, state);
        QFETCH(CallHistoryContact::PresenceCode, code);
        QContact contact;
        addAccountWithPresence(&contact, QStringLiteral("sip:a@x"), QStringLiteral("/acc/sip"),
                               state);
        QCOMPARE(CallHistoryContact::presenceForAccount(QStringLiteral("/acc/sip"), contact), code);
        QCOMPARE(
            CallHistoryContact::presenceOfDetail(contact.detail<QContactOnlineAccount>(), contact),
            code);
    }

    void shouldGiveNoPresenceWithoutALinkedAccount()
    {
        QContact contact;
        addAccountWithPresence(&contact, QStringLiteral("sip:a@x"), QStringLiteral("/acc/sip"),
                               QContactPresence::PresenceBusy);
        QContactOnlineAccount unlinked;
        unlinked.setAccountUri(QStringLiteral("sip:b@x"));
        unlinked.setValue(QContactOnlineAccount__FieldAccountPath, QStringLiteral("/acc/other"));
        contact.saveDetail(&unlinked);
        QCOMPARE(CallHistoryContact::presenceForAccount(QStringLiteral("/acc/other"), contact),
                 CallHistoryContact::PresenceNone);
        QCOMPARE(CallHistoryContact::presenceForAccount(QStringLiteral("/acc/none"), contact),
                 CallHistoryContact::PresenceNone);
        QCOMPARE(CallHistoryContact::presenceForAccount(QString(), contact),
                 CallHistoryContact::PresenceNone);
    }

    void shouldRecomputeCachedPresenceAfterAnUpdate()
    {
        CallHistoryContact record(7, nullptr);
        QCOMPARE(record.presence(QStringLiteral("/acc/sip")), CallHistoryContact::PresenceNone);
        QContact contact;
        addAccountWithPresence(&contact, QStringLiteral("sip:a@x"), QStringLiteral("/acc/sip"),
                               QContactPresence::PresenceAvailable);
        record.setContact(contact);
        QCOMPARE(record.presence(QStringLiteral("/acc/sip")),
                 CallHistoryContact::PresenceAvailable);
    }

    void shouldTakeTheNewestStatusMessage_data()
    {
        QTest::addColumn<QList<int>>("minutes"); // -1: no timestamp
        QTest::addColumn<QString>("message");
        QTest::newRow("newest") << QList<int>{1, 5, 3} << "m1";
        QTest::newRow("equal: the first") << QList<int>{4, 4} << "m0";
        QTest::newRow("first without time is taken") << QList<int>{-1, 2} << "m1";
        QTest::newRow("later without time is not") << QList<int>{2, -1} << "m0";
        QTest::newRow("none") << QList<int>{} << "";
    }

    void shouldTakeTheNewestStatusMessage()
    {
        QFETCH(QList<int>, minutes);
        QFETCH(QString, message);
        QContact contact;
        for (int i = 0; i < minutes.size(); ++i)
            addAccountWithPresence(
                &contact, QStringLiteral("sip:%1@x").arg(i), QStringLiteral("/acc/%1").arg(i),
                QContactPresence::PresenceAvailable, QStringLiteral("m%1").arg(i), minutes.at(i));
        // A presence that no account links to never counts.
        QContactPresence stray;
        stray.setDetailUri(QStringLiteral("presence:stray"));
        stray.setCustomMessage(QStringLiteral("stray"));
        stray.setTimestamp(QDateTime(QDate(2030, 1, 1), QTime(0, 0)));
        contact.saveDetail(&stray);

        QCOMPARE(CallHistoryContact::presenceMessage(contact), message);
        CallHistoryContact record(7, nullptr);
        record.setContact(contact);
        QCOMPARE(record.statusMessage(), message);
    }

    void shouldAnnounceItIsUnusedOnlyAfterTheLastRelease()
    {
        CallHistoryContact record(9, nullptr, 50);
        QSignalSpy unreferenced(&record, &CallHistoryContact::unreferenced);
        record.ref();
        record.ref();
        record.release();
        QTest::qWait(150);
        QCOMPARE(unreferenced.count(), 0);
        record.release();
        QTRY_COMPARE(unreferenced.count(), 1);
        QCOMPARE(unreferenced.first().first().value<QContactLocalId>(), QContactLocalId(9));
        QCOMPARE(record.refCount(), 0);
    }

    void shouldStartTheDelayOnAReleaseWithoutReference()
    {
        CallHistoryContact record(9, nullptr, 50);
        QSignalSpy unreferenced(&record, &CallHistoryContact::unreferenced);
        record.release();
        QCOMPARE(record.refCount(), 0);
        QTRY_COMPARE(unreferenced.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestCallHistoryContact)
#include "tst_callhistorycontact.moc"
