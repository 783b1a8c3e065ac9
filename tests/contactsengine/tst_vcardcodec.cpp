#include "contactsengine.h"
#include "vcardcodec.h"

#include <QtContacts/QContactGuid>
#include <QtContacts/QContactName>
#include <QtContacts/QContactPhoneNumber>
#include <QtContacts/QContactPresence>

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace QtContacts;
using ContactsEngine::VCardCodec;

class TestVCardCodec : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shouldReadTheDetailsOfCalls()
    {
        const QByteArray card =
            "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Voip;Vera;;;\r\nFN:Vera Voip\r\n"
            "UID:vera-1\r\n"
            "TEL;TYPE=CELL:+358 40 111 2222\r\nTEL;TYPE=WORK:09 333 4444\r\n"
            "IMPP:sip:other@example.com\r\n"
            "g1.IMPP;X-ACCOUNT-PATH=/org/freedesktop/Telepathy/Account/sofiasip/sip/a0;"
            "X-CAPABILITIES=AudioCalls,VideoCalls:sip:vera@example.com\r\n"
            "g1.X-PRESENCE;X-STATE=busy;X-TIMESTAMP=20261207T080000Z:In a meeting\r\n"
            "END:VCARD\r\n";
        QString error;
        const QList<QContact> contacts = VCardCodec::importContacts(card, &error);
        QCOMPARE(error, QString());
        QCOMPARE(contacts.size(), 1);
        const QContact contact = contacts.first();
        QCOMPARE(contact.detail<QContactGuid>().guid(), QStringLiteral("vera-1"));
        const QList<QContactPhoneNumber> numbers = contact.details<QContactPhoneNumber>();
        QCOMPARE(numbers.size(), 2);
        QCOMPARE(numbers.at(0).subTypes(), QList<int>{QContactPhoneNumber::SubTypeMobile});
        QCOMPARE(numbers.at(1).contexts(), QList<int>{QContactDetail::ContextWork});
        QCOMPARE(contact.details<QContactOnlineAccount>().size(), 2);
        const QContactOnlineAccount account = contact.details<QContactOnlineAccount>().at(1);
        QCOMPARE(account.accountUri(), QStringLiteral("sip:vera@example.com"));
        QCOMPARE(account.value(QContactOnlineAccount__FieldAccountPath).toString(),
                 QStringLiteral("/org/freedesktop/Telepathy/Account/sofiasip/sip/a0"));
        QCOMPARE(account.capabilities(),
                 (QStringList{QStringLiteral("AudioCalls"), QStringLiteral("VideoCalls")}));
        const QContactPresence presence = contact.detail<QContactPresence>();
        QCOMPARE(presence.presenceState(), QContactPresence::PresenceBusy);
        QCOMPARE(presence.customMessage(), QStringLiteral("In a meeting"));
        QCOMPARE(presence.timestamp(), QDateTime(QDate(2026, 12, 7), QTime(8, 0), Qt::UTC));
        QVERIFY(account.linkedDetailUris().contains(presence.detailUri()));
        QVERIFY(contact.details<QContactOnlineAccount>().at(0).linkedDetailUris().isEmpty());
    }

    void shouldWriteWhatItReads_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<QByteArray>("versionLine");
        QTest::newRow("vCard 3.0") << int(VCardCodec::VCard30) << QByteArray("VERSION:3.0");
        QTest::newRow("vCard 4.0") << int(VCardCodec::VCard40) << QByteArray("VERSION:4.0");
    }

    void shouldWriteWhatItReads()
    {
        QFETCH(int, version);
        QFETCH(QByteArray, versionLine);
        QContact contact;
        QContactName name;
        name.setFirstName(QStringLiteral("Wim"));
        contact.saveDetail(&name);
        QContactPhoneNumber number;
        number.setNumber(QStringLiteral("+31 20 555 0101"));
        number.setContexts(QContactDetail::ContextHome);
        contact.saveDetail(&number);
        QContactOnlineAccount account;
        account.setAccountUri(QStringLiteral("sip:wim@example.nl"));
        account.setCapabilities({QStringLiteral("AudioCalls"), QStringLiteral("VideoCalls")});
        account.setValue(QContactOnlineAccount__FieldAccountPath, QStringLiteral("/acc/wim"));
        account.setLinkedDetailUris({QStringLiteral("p1")});
        contact.saveDetail(&account);
        QContactPresence presence;
        presence.setDetailUri(QStringLiteral("p1"));
        presence.setPresenceState(QContactPresence::PresenceAway);
        presence.setCustomMessage(QStringLiteral("Biking, back at 5; ok?"));
        contact.saveDetail(&presence);

        const QByteArray text = VCardCodec::exportContacts({contact}, VCardCodec::Version(version));
        QVERIFY2(text.contains(versionLine), text.constData());
        QVERIFY2(text.contains("X-CAPABILITIES=AudioCalls,VideoCalls"), text.constData());
        QString error;
        const QList<QContact> back = VCardCodec::importContacts(text, &error);
        QCOMPARE(error, QString());
        QCOMPARE(back.size(), 1);
        QCOMPARE(back.first().detail<QContactPhoneNumber>().number(), number.number());
        QCOMPARE(back.first().detail<QContactPhoneNumber>().contexts(), number.contexts());
        const QContactOnlineAccount readAccount = back.first().detail<QContactOnlineAccount>();
        QCOMPARE(readAccount.accountUri(), account.accountUri());
        QCOMPARE(readAccount.capabilities(), account.capabilities());
        QCOMPARE(readAccount.value(QContactOnlineAccount__FieldAccountPath).toString(),
                 QStringLiteral("/acc/wim"));
        const QContactPresence readPresence = back.first().detail<QContactPresence>();
        QCOMPARE(readPresence.presenceState(), QContactPresence::PresenceAway);
        QCOMPARE(readPresence.customMessage(), presence.customMessage());
        QVERIFY(readAccount.linkedDetailUris().contains(readPresence.detailUri()));
    }

    void shouldRefuseBadInput_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("message");
        const QByteArray good = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:A\r\nTEL:123456\r\nEND:VCARD\r\n";
        QTest::newRow("empty") << QByteArray() << "no vCard";
        QTest::newRow("not a vCard") << QByteArray("hello, world\n") << "not a valid vCard";
        QTest::newRow("calendar") << QByteArray(
                                         "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nEND:VCALENDAR\r\n")
                                  << "not a vCard";
        QTest::newRow("unterminated")
            << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:A\r\n") << "not a valid vCard";
        QTest::newRow("latin-1 bytes")
            << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:J\xf6rg\r\nEND:VCARD\r\n")
            << "not UTF-8";
        QTest::newRow("utf-16") << QByteArray("\xff\xfe"
                                              "B\0E\0G\0I\0N\0",
                                              12)
                                << "not UTF-8";
        QTest::newRow("unknown charset")
            << QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\nFN;CHARSET=KOI8-R:abc\r\nEND:VCARD\r\n")
            << "character set";
        QTest::newRow("unknown encoding")
            << QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\nFN;ENCODING=UUENCODE:abc\r\nEND:VCARD\r\n")
            << "encoding";
        QTest::newRow("huge") << good.repeated(VCardCodec::maximumInputSize / good.size() + 1)
                              << "too large";
        QTest::newRow("too many cards")
            << good.repeated(VCardCodec::maximumContacts + 1) << "too many";
        QTest::newRow("too many mixed-case cards")
            << QByteArray("Begin:vCard\r\nVERSION:3.0\r\nFN:A\r\nEnd:vCard\r\n")
                   .repeated(VCardCodec::maximumContacts + 1)
            << "too many";
        // Deep enough to overflow the stack of QtVersit's reader thread.
        QTest::newRow("mixed-case nested cards") << QByteArray("Begin:VCard\r\n").repeated(100000) +
                                                        QByteArray("END:VCARD\r\n").repeated(100000)
                                                 << "too deeply";
        QTest::newRow("nesting hidden in groups, parameters and folds")
            << QByteArray(
                   "BEGIN:VCARD\r\na.BEGIN:VCARD\r\nBEGIN;X=1 :VCARD\r\nBEG\r\n IN:VCARD\r\n")
                       .repeated(3) +
                   QByteArray("END:VCARD\r\n").repeated(12)
            << "too deeply";
        // After a quoted-printable soft line break END is part of the value, not an end.
        QTest::newRow("ends hidden behind soft line breaks")
            << QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\n"
                          "NOTE;ENCODING=QUOTED-PRINTABLE:a=\r\nEND:VCARD\r\n")
                       .repeated(VCardCodec::maximumNesting + 1) +
                   QByteArray("END:VCARD\r\n").repeated(VCardCodec::maximumNesting + 1)
            << "too deeply";
        QTest::newRow("two cards with one UID")
            << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:A\r\nUID:same\r\nEND:VCARD\r\n"
                          "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:B\r\nUID:other\r\nEND:VCARD\r\n"
                          "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:C\r\nUID:same\r\nEND:VCARD\r\n")
            << "cards 1 and 3 have the same UID \"same\"";
    }

    // Cards as phones and address books export them (the fuzzer's seeds), and shapes that look
    // like nesting but are not.
    void shouldReadCardsAsTheyAreExported_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("contacts");
        const QDir corpus(QStringLiteral(CH_SOURCE_DIR "/fuzz/vcard/corpus"));
        const QStringList files = corpus.entryList(QDir::Files, QDir::Name);
        QVERIFY(files.size() >= 6);
        for (const QString &name : files) {
            QFile file(corpus.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray text = file.readAll();
            const int cards = text.count("\nEND:VCARD") + text.count("\nend:vcard") -
                              text.count("AGENT:\r\nBEGIN");
            QTest::newRow(qPrintable(name)) << text << cards;
        }
        QTest::newRow("many cards in mixed case, one after another")
            << QByteArray("Begin:VCard\r\nVERSION:3.0\r\nFN:A\r\nend:vcard\r\n").repeated(500)
            << 500;
        QTest::newRow("cards without UID")
            << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:A\r\nEND:VCARD\r\n").repeated(2) << 2;
    }

    void shouldReadCardsAsTheyAreExported()
    {
        QFETCH(QByteArray, input);
        QFETCH(int, contacts);
        QString error;
        const QList<QContact> read = VCardCodec::importContacts(input, &error);
        QCOMPARE(error, QString());
        QCOMPARE(read.size(), contacts);
    }

    void shouldRefuseBadInput()
    {
        QFETCH(QByteArray, input);
        QFETCH(QString, message);
        QString error;
        const QList<QContact> contacts = VCardCodec::importContacts(input, &error);
        QVERIFY(contacts.isEmpty());
        QVERIFY2(error.contains(message), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestVCardCodec)
#include "tst_vcardcodec.moc"
